#pragma once
// The controller of the local file pane: one folder of this computer listed in one of five
// orders, the volume chooser, going into folders and up, making, renaming and deleting
// entries, and the folder monitor that lists the folder again when it changes. Everything
// runs on the GUI thread.
#include "core/local/LocalSort.h"

#include <QObject>
#include <QString>

#include <string>

class CommandTable;
class FilePane;
class QComboBox;
class QFileSystemWatcher;
class QTreeWidgetItem;
class QWidget;
struct PaneServices;

class LocalPane : public QObject {
    Q_OBJECT
public:
    LocalPane(CommandTable& commands, PaneServices& services, QWidget* parent);

    FilePane* Pane() const { return m_pane; }
    bool HasSelection() const;
    bool IsActive() const;
    // The path shown names a root (or nothing).
    bool PathIsRoot() const;
    void SetRefreshing(bool on);
    // The height of the path row with the volume chooser in it.
    int PathRowHeight() const;

    // The current folder, as shown and as the file system names it.
    QString Folder() const;
    std::string FolderBytes() const;
    // Shows `folder` (used exactly as given), watches it when `watch` says so, and lists it.
    void AimAt(const QString& folder, bool watch);
    pw::LocalSortMode SortMode() const { return m_sort; }

    void Refresh();
    void GoRoot();
    void GoUp();    // only when the list starts with ".."
    void OpenRow(); // the first selected row: a folder is entered, ".." goes up
    void MakeFolder();
    void DeleteSelected();

signals:
    void SelectionChanged();
    // The left or right arrow asks for the other pane's list.
    void OtherPaneRequested();

private:
    void connectCommands(CommandTable& commands);
    void fillVolumes();
    void goTo(const QString& folder);
    void goToParent();
    void armMonitor();
    void pauseMonitor();
    void monitorFired();
    void renamed(QTreeWidgetItem* row, const QString& text);

    PaneServices& m_services;
    FilePane* m_pane;
    QComboBox* m_volumes;
    QFileSystemWatcher* m_monitor;
    bool m_watch = false; // automatic refresh of the chosen configuration
    bool m_changedWhileEditing = false;
    pw::LocalSortMode m_sort = pw::kDefaultLocalSortMode;
};
