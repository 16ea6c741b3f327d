#include "gui/local/LocalPane.h"

#include "core/local/LocalRows.h"
#include "core/local/Volumes.h"
#include "gui/app/CommandTable.h"
#include "gui/dialogs/TfmCreateFolder.h"
#include "gui/ftp/PaneServices.h"
#include "gui/ui/FilePane.h"
#include "gui/ui/UserPrompts.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileSystemWatcher>
#include <QLineEdit>
#include <QStorageInfo>
#include <QStyle>
#include <QTreeWidget>

#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

using namespace pw;

namespace {
std::string bytes(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

QString shown(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

QStyle::StandardPixmap volumePicture(VolumeKind kind) {
    switch (kind) {
    case VolumeKind::Removable:
        return QStyle::SP_DriveFDIcon;
    case VolumeKind::CdRom:
        return QStyle::SP_DriveCDIcon;
    case VolumeKind::Network:
        return QStyle::SP_DriveNetIcon;
    case VolumeKind::Fixed:
        break;
    }
    return QStyle::SP_DriveHDIcon;
}

// The sort items in the order of the modes.
constexpr const char* kSortItems[] = {"miFTPLocalSortUnsorted", "miFTPLocalSortName",
                                      "miFTPLocalSortExtension", "miFTPLocalSortTimeDate",
                                      "miFTPLocalSortSize"};
} // namespace

LocalPane::LocalPane(CommandTable& commands, PaneServices& services, QWidget* parent)
    : QObject(parent), m_services(services) {
    setObjectName("LocalPane");
    m_pane = new FilePane({"pnLocal", "labLocalPath", "imFTPLocalRefresh", "lvLocalFiles"}, parent);
    m_volumes = new QComboBox(m_pane);
    m_volumes->setObjectName("cbLocalDrives");
    m_volumes->setFixedWidth(57);
    m_volumes->setMaxVisibleItems(26);
    m_volumes->view()->setMinimumWidth(160);
    m_pane->AddToPathRow(m_volumes);
    m_pane->List()->setDragEnabled(true);
    m_pane->SetPopupMenu(commands.MakePopup(m_pane->List(), "pmlvLocalFiles"));
    m_monitor = new QFileSystemWatcher(this);
    m_monitor->setObjectName("fmFTPLocalDirectory");
    connect(m_monitor, &QFileSystemWatcher::directoryChanged, this, &LocalPane::monitorFired);
    connect(m_pane, &FilePane::SelectionChanged, this, &LocalPane::SelectionChanged);
    connect(m_pane, &FilePane::OpenRequested, this, [this] { OpenRow(); });
    connect(m_pane, &FilePane::UpRequested, this, [this] { GoUp(); });
    connect(m_pane, &FilePane::OtherPaneRequested, this, &LocalPane::OtherPaneRequested);
    m_pane->IsEditing = [this] { return m_services.LocalEditing; };
    connect(m_volumes, &QComboBox::activated, this,
            [this](int index) { goTo(m_volumes->itemData(index).toString()); });
    m_pane->CanRename = [this](const QTreeWidgetItem* row) {
        m_services.LocalEditing = row->text(0) != "..";
        return m_services.LocalEditing;
    };
    m_pane->Renamed = [this](QTreeWidgetItem* row, const QString& text) { renamed(row, text); };
    connect(m_pane, &FilePane::EditingEnded, this, [this] {
        m_services.LocalEditing = false;
        if (m_changedWhileEditing)
            QMetaObject::invokeMethod(
                this, [this] { monitorFired(); }, Qt::QueuedConnection);
    });
    connectCommands(commands);
    m_pane->SetPath("/");
}

void LocalPane::connectCommands(CommandTable& commands) {
    commands.On("LocalRefresh", [this] { Refresh(); });
    commands.On("LocalRoot", [this] { GoRoot(); });
    commands.On("LocalUp", [this] { GoUp(); });
    commands.On("LocalMakeFolder", [this] { MakeFolder(); });
    commands.On("LocalRename", [this] { m_pane->StartRename(); });
    commands.On("LocalDelete", [this] { DeleteSelected(); });
    QActionGroup* sort = commands.MakeGroup("LocalSort", this);
    sort->setObjectName("agFTPLocalSort");
    for (int mode = 0; mode < 5; ++mode)
        if (QAction* item = commands.Item(kSortItems[mode]))
            connect(item, &QAction::triggered, this, [this, mode] {
                m_sort = static_cast<LocalSortMode>(mode);
                Refresh();
            });
}

bool LocalPane::HasSelection() const {
    return m_pane->HasSelection();
}

bool LocalPane::IsActive() const {
    return m_pane->IsActive();
}

bool LocalPane::PathIsRoot() const {
    return IsLocalRoot(FolderBytes());
}

void LocalPane::SetRefreshing(bool on) {
    m_pane->SetBusy(on);
}

int LocalPane::PathRowHeight() const {
    return m_volumes->sizeHint().height();
}

QString LocalPane::Folder() const {
    return m_pane->Path();
}

std::string LocalPane::FolderBytes() const {
    return bytes(m_pane->Path());
}

void LocalPane::AimAt(const QString& folder, bool watch) {
    m_watch = watch;
    m_pane->SetPath(folder);
    armMonitor();
    Refresh();
}

void LocalPane::Refresh() {
    m_services.SetLocalRefreshing(true);
    // The busy picture shows before the folder is read, however long that takes.
    m_pane->window()->repaint();
    m_services.UpdateCommandStates();
    const LocalListing listing = ListLocalPane(FolderBytes(), m_sort);
    std::vector<PaneRow> rows;
    rows.reserve(listing.Rows.size());
    for (const LocalRow& r : listing.Rows)
        rows.push_back({r.Image, shown(r.Caption), QByteArray::fromStdString(r.Caption),
                        QString::fromStdString(r.SizeText()), QString::fromLatin1(r.TypeText),
                        QString::fromLatin1(r.Modified)});
    m_pane->SetRows(rows);
    fillVolumes();
    m_services.SetLocalRefreshing(false);
    m_services.UpdateCommandStates();
}

void LocalPane::fillVolumes() {
    m_volumes->blockSignals(true);
    m_volumes->clear();
    std::vector<std::string> roots;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        const std::string root = bytes(volume.rootPath());
        const std::string device = volume.device().toStdString();
        const std::string type = volume.fileSystemType().toStdString();
        if (!volume.isValid() || !IsShownVolume(type, device, root)) continue;
        const VolumeKind kind = ClassifyVolume(type, device, IsRemovableBlockDevice(device));
        m_volumes->addItem(QApplication::style()->standardIcon(volumePicture(kind)),
                           volume.rootPath(), volume.rootPath());
        roots.push_back(root);
    }
    m_volumes->setCurrentIndex(VolumeIndexForPath(roots, FolderBytes()));
    m_volumes->blockSignals(false);
}

void LocalPane::goTo(const QString& folder) {
    m_pane->SetPath(folder);
    armMonitor();
    Refresh();
}

void LocalPane::GoRoot() {
    const int volume = m_volumes->currentIndex();
    if (volume >= 0) goTo(m_volumes->itemData(volume).toString());
}

void LocalPane::GoUp() {
    if (m_pane->StartsWithParent()) goToParent();
}

void LocalPane::goToParent() {
    goTo(shown(LocalParentFolder(FolderBytes())));
}

void LocalPane::OpenRow() {
    const QList<QTreeWidgetItem*> selected = m_pane->SelectedRows();
    if (selected.isEmpty()) return;
    QTreeWidgetItem* row = selected.first();
    if (row->text(0) == "..")
        goToParent();
    else if (FilePane::RowImage(row) == kFolderImage)
        goTo(shown(JoinLocalPath(FolderBytes(), FilePane::RowName(row).toStdString())));
}

void LocalPane::MakeFolder() {
    TfmCreateFolder dialog(m_services.Window);
    m_services.Prompts.RunDialog(dialog);
    if (dialog.result() != QDialog::Accepted) return;
    // One level; failures show in the next listing.
    ::mkdir(JoinLocalPath(FolderBytes(), bytes(dialog.edFolder->text())).c_str(), 0777);
}

void LocalPane::DeleteSelected() {
    if (!m_services.Prompts.AskYesNo(m_services.Window, "Delete local files",
                                     "Do you want to delete the selected file(s)?"))
        return;
    for (QTreeWidgetItem* row : m_pane->SelectedRows()) {
        const std::string path = JoinLocalPath(FolderBytes(), FilePane::RowName(row).toStdString());
        const int image = FilePane::RowImage(row);
        if (image == kFileImage)
            ::unlink(path.c_str());
        else if (image == kFolderImage && row->text(0) != "..")
            ::rmdir(path.c_str()); // only an empty folder goes
    }
}

void LocalPane::renamed(QTreeWidgetItem* row, const QString& text) {
    m_services.LocalEditing = false;
    if (text.isEmpty()) return;
    const std::string from = JoinLocalPath(FolderBytes(), FilePane::RowName(row).toStdString());
    const std::string to = JoinLocalPath(FolderBytes(), bytes(text));
    if (from == to) {
        row->setText(0, text);
        return;
    }
    // The monitor is off while the pane renames: the change is its own. A refused rename
    // keeps the old caption, which is still the file's name.
    pauseMonitor();
    if (std::rename(from.c_str(), to.c_str()) == 0) {
        row->setText(0, text);
        FilePane::SetRowName(row, QByteArray::fromStdString(bytes(text)));
    }
    armMonitor();
}

void LocalPane::pauseMonitor() {
    if (!m_monitor->directories().isEmpty()) m_monitor->removePaths(m_monitor->directories());
}

void LocalPane::armMonitor() {
    pauseMonitor();
    if (m_watch && !Folder().isEmpty()) m_monitor->addPath(Folder());
}

void LocalPane::monitorFired() {
    // A listing would end a rename the user is typing: it waits for the edit to end.
    if (m_services.LocalEditing) {
        m_changedWhileEditing = true;
        return;
    }
    m_changedWhileEditing = false;
    pauseMonitor();
    Refresh();
    armMonitor();
}
