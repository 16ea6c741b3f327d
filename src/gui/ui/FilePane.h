#pragma once
// One file pane of the FTP page: the path of the folder shown, the busy picture while it is
// refreshed and the list of its entries. The remote and the local pane are both made of it;
// their controllers fill it.
#include <QWidget>

class QHBoxLayout;
class QLabel;
class QMenu;
class QTreeWidget;

class FilePane : public QWidget {
    Q_OBJECT
public:
    struct Names {
        const char* pane; // "pnRemote"
        const char* path; // "labRemotePath"
        const char* busy; // "imFTPRemoteRefresh"
        const char* list; // "lvRemoteFiles"
    };
    FilePane(const Names& names, QWidget* parent = nullptr);

    QTreeWidget* List() const { return m_list; }
    QString Path() const;
    void SetPath(const QString& path);
    void SetBusy(bool busy);
    bool HasSelection() const;
    // Whether the list has the keyboard focus: the pane is the active one.
    bool IsActive() const;
    // Puts `widget` at the end of the path row.
    void AddToPathRow(QWidget* widget);
    // The path row is at least `height` high, so that two panes' lists start level.
    void SetPathRowHeight(int height);
    // A right click on the list opens `menu` there.
    void SetPopupMenu(QMenu* menu);

signals:
    void SelectionChanged();

private:
    QHBoxLayout* m_row;
    QLabel* m_path;
    QLabel* m_busy;
    QTreeWidget* m_list;
};
