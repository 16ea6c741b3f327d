#pragma once
// The question asked when a server shows a certificate (FTP over TLS) or host key (SFTP) that
// nobody vouches for: what it showed, and whether to trust it for this connection, for good
// (its fingerprint stored with the configuration) or not at all. Nothing has been sent to the
// server yet.
#include "core/ftp/TrustedConnect.h"

#include <QDialog>

#include <functional>
#include <string>

class QPushButton;
class UserPrompts;
class WorkerThread;

class TfmCertificate : public QDialog {
    Q_OBJECT
public:
    // `canStore`: whether "Accept always" is offered (a quick connect has no configuration).
    TfmCertificate(const QString& host, const pw::TlsCertificate& shown, bool canStore,
                   QWidget* parent = nullptr);

    // Refuse unless one of the accept buttons was pressed.
    pw::TrustAnswer Answer() const { return m_answer; }

    // The question for a connect that runs on `worker`: the dialog runs on the GUI thread
    // while the worker waits. "Accept always" is offered when `store` is given, which then
    // keeps the fingerprint (on the GUI thread).
    static pw::TrustQuestion Question(WorkerThread& worker, UserPrompts& prompts, QWidget* parent,
                                      std::function<void(const std::string&)> store);

    QPushButton* btAcceptOnce = nullptr;
    QPushButton* btAcceptAlways = nullptr;
    QPushButton* btCancel = nullptr;

private:
    pw::TrustAnswer m_answer = pw::TrustAnswer::Refuse;
};
