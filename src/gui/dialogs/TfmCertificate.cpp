#include "gui/dialogs/TfmCertificate.h"

#include "gui/dialogs/DialogPictures.h"
#include "gui/ui/UserPrompts.h"
#include "gui/ui/WorkerThread.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
QLabel* selectable(const std::string& text, QWidget* parent) {
    auto* label = new QLabel(QString::fromStdString(text), parent);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setWordWrap(true);
    return label;
}
} // namespace

TfmCertificate::TfmCertificate(const QString& host, const pw::TlsCertificate& shown, bool canStore,
                               QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("fmCertificate"));
    setWindowTitle(QStringLiteral("Unknown server identity"));
    // A host key has no issuer and no validity.
    const bool hostKey = shown.Issuer.empty() && shown.NotBefore.empty();

    auto* picture = new QLabel(this);
    picture->setPixmap(DialogPictures::Key(32));
    auto* intro = new QLabel(
        QStringLiteral("%1 presented a %2 that this computer cannot vouch for. Nothing has been "
                       "sent to it yet. Compare the fingerprint with the one your provider "
                       "gives before you accept it.")
            .arg(host, hostKey ? QStringLiteral("host key") : QStringLiteral("certificate")),
        this);
    intro->setWordWrap(true);
    auto* top = new QHBoxLayout;
    top->addWidget(picture, 0, Qt::AlignTop);
    top->addWidget(intro, 1);

    auto* form = new QFormLayout;
    form->addRow(hostKey ? QStringLiteral("Key:") : QStringLiteral("Subject:"),
                 selectable(shown.Subject, this));
    if (!hostKey) {
        form->addRow(QStringLiteral("Issuer:"), selectable(shown.Issuer, this));
        form->addRow(QStringLiteral("Valid from:"), selectable(shown.NotBefore, this));
        form->addRow(QStringLiteral("Valid until:"), selectable(shown.NotAfter, this));
    }
    QLabel* fingerprint = selectable(shown.Fingerprint, this);
    fingerprint->setObjectName(QStringLiteral("lbFingerprint"));
    form->addRow(QStringLiteral("SHA-256:"), fingerprint);

    btAcceptOnce = new QPushButton(QStringLiteral("Accept once"), this);
    btAcceptOnce->setObjectName(QStringLiteral("btAcceptOnce"));
    btAcceptAlways = new QPushButton(QStringLiteral("Accept always"), this);
    btAcceptAlways->setObjectName(QStringLiteral("btAcceptAlways"));
    btAcceptAlways->setVisible(canStore);
    btCancel = new QPushButton(QStringLiteral("Cancel"), this);
    btCancel->setObjectName(QStringLiteral("btCancel"));
    btCancel->setDefault(true); // Enter never trusts by accident
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btAcceptOnce);
    buttons->addWidget(btAcceptAlways);
    buttons->addWidget(btCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(form);
    layout->addLayout(buttons);
    connect(btAcceptOnce, &QPushButton::clicked, this, [this] {
        m_answer = pw::TrustAnswer::Once;
        accept();
    });
    connect(btAcceptAlways, &QPushButton::clicked, this, [this] {
        m_answer = pw::TrustAnswer::Always;
        accept();
    });
    connect(btCancel, &QPushButton::clicked, this, &QDialog::reject);
    setMinimumWidth(520);
}

pw::TrustQuestion TfmCertificate::Question(WorkerThread& worker, UserPrompts& prompts,
                                           QWidget* parent,
                                           std::function<void(const std::string&)> store) {
    return [&worker, &prompts, parent, store](const std::string& host,
                                              const pw::TlsCertificate& shown) {
        // A worker told to end gets no answer from its skipped step: the connect is refused.
        pw::TrustAnswer answer = pw::TrustAnswer::Refuse;
        worker.Synchronize([&] {
            TfmCertificate dialog(QString::fromStdString(host), shown, bool(store), parent);
            prompts.RunDialog(dialog);
            answer = dialog.Answer();
            if (answer == pw::TrustAnswer::Always) store(shown.Fingerprint);
        });
        return answer;
    };
}
