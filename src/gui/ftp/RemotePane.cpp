#include "gui/ftp/RemotePane.h"

#include "core/app/DropTarget.h"
#include "core/config/Password.h"
#include "core/ftp/EndpointSetup.h"
#include "core/ftp/RemoteRows.h"
#include "core/ftp/TSimpleFTP.h"
#include "core/ftp/TrustedConnect.h"
#include "core/storage/TnkDBSource.h"
#include "core/transfer/JobServer.h"
#include "gui/app/CommandTable.h"
#include "gui/dialogs/PasswordDialog.h"
#include "gui/dialogs/TfmCertificate.h"
#include "gui/dialogs/TfmCreateFolder.h"
#include "gui/ftp/FtpSession.h"
#include "gui/ftp/PaneServices.h"
#include "gui/ftp/TfmQuickConnect.h"
#include "gui/ui/Cp1252Text.h"
#include "gui/ui/FilePane.h"
#include "gui/ui/GaugeStatusBar.h"
#include "gui/ui/UserPrompts.h"
#include "gui/ui/WorkerThread.h"

#include <QLineEdit>
#include <QTreeWidget>

#include <memory>
#include <vector>

using namespace pw;

namespace {
enum Panel { Gauge = 0, Text = 1, SuccessSign = 2, FailureSign = 3 };

// What a listing hands to the GUI thread.
struct Listing {
    QString path;
    std::string wirePath; // the folder as the server names it
    std::vector<PaneRow> rows;
    TnkFTPRecord server;
};
} // namespace

RemotePane::RemotePane(CommandTable& commands, FtpSession& session, PaneServices& services,
                       GaugeStatusBar& status, QWidget* parent)
    : QObject(parent), m_session(session), m_services(services), m_status(status),
      thFTPConnect(session.Worker("thFTPConnect")), thFTPRefresh(session.Worker("thFTPRefresh")) {
    setObjectName("RemotePane");
    m_pane =
        new FilePane({"pnRemote", "labRemotePath", "imFTPRemoteRefresh", "lvRemoteFiles"}, parent);
    m_pane->SetPopupMenu(commands.MakePopup(m_pane->List(), "pmlvRemoteFiles"));
    commands.MakeGroup("RemoteSort", this);
    connect(m_pane, &FilePane::SelectionChanged, this, &RemotePane::SelectionChanged);
    connect(m_pane, &FilePane::OpenRequested, this, [this] { OpenRow(); });
    connect(m_pane, &FilePane::UpRequested, this, [this] {
        if (m_pane->Path() != "/") GoUp();
    });
    connect(m_pane, &FilePane::OtherPaneRequested, this, &RemotePane::OtherPaneRequested);
    m_pane->IsEditing = [this] { return m_services.RemoteEditing; };
    m_pane->CanRename = [this](const QTreeWidgetItem* row) {
        m_services.RemoteEditing = row->text(0) != "..";
        return m_services.RemoteEditing;
    };
    m_pane->Renamed = [this](QTreeWidgetItem* row, const QString& text) { renamed(row, text); };
    connect(m_pane, &FilePane::EditingEnded, this, [this] { m_services.RemoteEditing = false; });
    thFTPConnect.OnExecute = [this](WorkerThread& worker) {
        showStatus(worker, 33, "Connecting...", false, false);
        m_services.SetFTPState(ActivityState::Busy);
        TSimpleFTP& ftp = m_session.Ftp();
        std::string refusal;
        if (!ConnectTrusting(ftp, trustQuestion(worker), &refusal)) {
            ftp.Abort();
            m_services.SetFTPState(ActivityState::Idle);
            showStatus(worker, -1, "Error: Cannot connect", false, true);
            if (!refusal.empty())
                worker.Queue([this, refusal] {
                    m_services.Prompts.ShowError(m_services.Window,
                                                 QString::fromStdString(refusal));
                });
            return;
        }
        showStatus(worker, 66, "Refreshing folder...", false, false);
        m_services.SetRemoteRefreshing(true);
        listOnWorker(worker);
        showStatus(worker, -1, "Succesful", true, false);
        m_services.SetFTPState(ActivityState::Connected);
    };
    thFTPRefresh.OnExecute = [this](WorkerThread& worker) {
        if (m_busyState) m_services.SetFTPState(ActivityState::Busy);
        if (m_work) m_work(m_session.Ftp());
        listOnWorker(worker);
        if (m_busyState) m_services.SetFTPState(ActivityState::Connected);
    };
    connectCommands(commands);
}

void RemotePane::connectCommands(CommandTable& commands) {
    commands.On("FTPQuickConnect", [this] { QuickConnect(); });
    commands.On("FTPDisconnect", [this] { Disconnect(); });
    commands.On("RemoteRefresh", [this] { Refresh(); });
    commands.On("RemoteRoot", [this] { GoRoot(); });
    commands.On("RemoteUp", [this] { GoUp(); });
    commands.On("RemoteMakeFolder", [this] { MakeFolder(); });
    commands.On("RemoteRename", [this] { m_pane->StartRename(); });
    commands.On("RemoteDelete", [this] { DeleteSelected(); });
}

bool RemotePane::HasSelection() const {
    return m_pane->HasSelection();
}

bool RemotePane::IsActive() const {
    return m_pane->IsActive();
}

int RemotePane::PathLength() const {
    return m_pane->Path().size();
}

void RemotePane::SetRefreshing(bool on) {
    m_pane->SetBusy(on);
}

// A gauge below 0 hides the gauge.
void RemotePane::showStatus(WorkerThread& worker, int gauge, const QString& text, bool success,
                            bool failure) {
    worker.Queue([this, gauge, text, success, failure] {
        m_status.SetPanelEnabled(Gauge, gauge >= 0);
        if (gauge >= 0) m_status.SetPosition(Gauge, gauge);
        m_status.SetText(Text, text);
        m_status.SetPanelEnabled(SuccessSign, success);
        m_status.SetPanelEnabled(FailureSign, failure);
    });
}

void RemotePane::Connect(int record) {
    const TnkDBSource& config = m_services.Config;
    if (record < 0 || record >= config.RecordCount()) return;
    TSimpleFTP& ftp = m_session.Ftp();
    const ServerEndpoint endpoint = ReadServerEndpoint(config, record);
    ApplyServerEndpoint(ftp, endpoint);
    m_record = record;
    m_uploadViaTemporary = endpoint.uploadViaTemporary;
    ftp.UserName = config.GetString(record, "LoginName");
    std::string password = ScramblePassword(config.GetString(record, "LoginPassword"));
    if (password.empty()) {
        // The answer is used whether the prompt was confirmed or closed, and not kept.
        TfmPassword prompt(m_services.Window);
        m_services.Prompts.RunDialog(prompt);
        password = ToCp1252(prompt.edPassword->text());
    }
    ftp.Password = password;
    const std::string folder = config.GetString(record, "FTPDefaultFolder");
    ftp.SetRemoteDir(folder.empty() ? "/" : folder);
    startConnect();
}

void RemotePane::QuickConnect() {
    TfmQuickConnect dialog(m_services.Window);
    m_services.Prompts.RunDialog(dialog);
    if (dialog.result() != QDialog::Accepted) return;
    TSimpleFTP& ftp = m_session.Ftp();
    m_quickEndpoint = dialog.Endpoint();
    ApplyServerEndpoint(ftp, m_quickEndpoint);
    m_record = -1;
    m_uploadViaTemporary = m_quickEndpoint.uploadViaTemporary;
    ftp.UserName = dialog.UserName();
    ftp.Password = dialog.Password();
    ftp.SetRemoteDir(dialog.Address().path);
    emit ChooserVisibilityChanged(false);
    startConnect();
}

pw::TrustQuestion RemotePane::trustQuestion(WorkerThread& worker) {
    std::function<void(const std::string&)> store;
    if (const int record = m_record; record >= 0 && m_services.StoreFingerprint)
        store = [this, record](const std::string& fingerprint) {
            try {
                m_services.StoreFingerprint(record, fingerprint);
            } catch (const std::exception& e) {
                m_services.Prompts.ShowError(m_services.Window, QString::fromStdString(e.what()));
            }
        };
    return TfmCertificate::Question(worker, m_services.Prompts, m_services.Window, store);
}

void RemotePane::startConnect() {
    if (QWidget* focus = m_pane->window()->focusWidget();
        focus && focus->objectName() == "cbFTPConfig")
        m_pane->List()->setFocus();
    thFTPConnect.Start();
}

void RemotePane::Disconnect() {
    m_services.SetFTPState(ActivityState::Busy);
    m_session.RequestAbort(); // the connection is cut without waiting for the server's answer
    m_pane->Clear();
    m_pane->SetPath("/");
    m_wirePath = "/";
    m_services.SetFTPState(ActivityState::Idle);
    emit ChooserVisibilityChanged(true);
}

void RemotePane::Refresh() {
    m_busyState = true;
    m_work = nullptr;
    thFTPRefresh.Start();
}

void RemotePane::runThenList(std::function<void(TSimpleFTP&)> work) {
    m_busyState = false;
    m_work = std::move(work);
    m_services.SetRemoteRefreshing(true);
    m_services.UpdateCommandStates();
    thFTPRefresh.Start();
}

void RemotePane::listOnWorker(WorkerThread& worker) {
    TSimpleFTP& ftp = m_session.Ftp();
    auto listing = std::make_shared<Listing>();
    const std::string shownPath = ShownRemotePath(ftp.RemoteDir());
    TDirList list;
    ftp.ReadDirectory("", &list, false);
    std::vector<TFtpFindData> entries;
    entries.reserve(list.size());
    for (TDirListLine& line : list)
        entries.push_back(std::move(line.Entry));
    const std::vector<RemoteRow> rows =
        MakeRemoteRows(entries, shownPath, FileTimeNow(), LinkProbeFor(ftp));
    const bool utf8 = ftp.NamesAreUtf8();
    const auto shown = [utf8](const std::string& name) {
        return utf8 ? QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()))
                    : FromCp1252(name);
    };
    listing->path = shown(shownPath);
    listing->wirePath = shownPath;
    listing->rows.reserve(rows.size());
    for (const RemoteRow& r : rows)
        listing->rows.push_back({r.Image, shown(r.Caption), QByteArray::fromStdString(r.Caption),
                                 QString::fromStdString(r.SizeText()),
                                 QString::fromLatin1(r.TypeText), QString::fromLatin1(r.Modified)});
    SetJobServer(listing->server, ftp, m_uploadViaTemporary);
    listing->server.RemoteFolder = listing->wirePath;
    worker.Queue([this, listing] {
        m_pane->SetPath(listing->path);
        m_pane->SetRows(listing->rows);
        m_wirePath = listing->wirePath;
        DropTarget = listing->server;
    });
    m_services.SetRemoteRefreshing(false);
}

TnkFTPRecord RemotePane::Target() const {
    TnkFTPRecord target;
    SetJobServer(target, m_session.Ftp(), m_uploadViaTemporary);
    target.RemoteFolder = m_wirePath;
    return target;
}

std::string RemotePane::WireName(const QString& typed) const {
    return m_session.Ftp().NamesAreUtf8() ? typed.toUtf8().toStdString() : ToCp1252(typed);
}

void RemotePane::GoRoot() {
    runThenList([](TSimpleFTP& ftp) { ftp.ChangeDir("/"); });
}

void RemotePane::GoUp() {
    runThenList([](TSimpleFTP& ftp) { ftp.ChangeDir(".."); });
}

void RemotePane::OpenRow() {
    const QList<QTreeWidgetItem*> selected = m_pane->SelectedRows();
    if (selected.isEmpty() || FilePane::RowImage(selected.first()) == 1) return;
    const std::string name = FilePane::RowName(selected.first()).toStdString();
    runThenList([name](TSimpleFTP& ftp) { ftp.ChangeDir(name); });
}

void RemotePane::MakeFolder() {
    TfmCreateFolder dialog(m_services.Window);
    m_services.Prompts.RunDialog(dialog);
    if (dialog.result() != QDialog::Accepted) return;
    const std::string name = WireName(dialog.edFolder->text());
    runThenList([name](TSimpleFTP& ftp) { ftp.MakeDir(name); });
}

void RemotePane::DeleteSelected() {
    if (!m_services.Prompts.AskYesNo(m_services.Window, "Delete files on FTP",
                                     "Do you want to delete the selected file(s)?"))
        return;
    const std::string folder = m_wirePath;
    std::vector<std::pair<std::string, bool>> targets; // path, whether it is a file
    for (QTreeWidgetItem* row : m_pane->SelectedRows()) {
        if (row->text(0) == "..") continue;
        targets.emplace_back(RemoteEntryPath(folder, FilePane::RowName(row).toStdString()),
                             FilePane::RowImage(row) == 1);
    }
    runThenList([targets](TSimpleFTP& ftp) {
        for (const auto& [path, file] : targets)
            file ? ftp.DeleteFile(path) : ftp.RemoveDir(path);
    });
}

void RemotePane::renamed(QTreeWidgetItem* row, const QString& text) {
    m_services.RemoteEditing = false;
    const QByteArray old = FilePane::RowName(row);
    const std::string name = WireName(text);
    if (text.isEmpty() || name == old.toStdString()) return;
    // The row shows the new name once the server has taken it; the listing that follows shows
    // the server's real state either way.
    runThenList([from = old.toStdString(), name](TSimpleFTP& ftp) { ftp.Rename(from, name); });
}
