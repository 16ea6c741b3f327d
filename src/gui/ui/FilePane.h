#pragma once
// One file pane of the FTP page: the path of the folder shown, the busy picture while it is
// refreshed and the list of its entries. The remote and the local pane are both made of it;
// their controllers fill it.
#include <QByteArray>
#include <QList>
#include <QString>
#include <QWidget>

#include <functional>
#include <vector>

class QHBoxLayout;
class QLabel;
class QMenu;
class QTreeWidget;
class QTreeWidgetItem;

// One row of a pane: its kind (the picture: 0 folder, 1 file, 2 parent), the name as shown and
// as the file system or the server holds it, and the three column texts.
struct PaneRow {
    int Image;
    QString Caption;
    QByteArray Name;
    QString Size, Type, Modified;
};

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
    ~FilePane() override;

    QTreeWidget* List() const { return m_list; }
    // Replaces every row in one pass, without redrawing in between.
    void SetRows(const std::vector<PaneRow>& rows);
    void Clear();
    // A row's picture index and its name as held (not as shown).
    static int RowImage(const QTreeWidgetItem* row);
    static QByteArray RowName(const QTreeWidgetItem* row);
    static void SetRowName(QTreeWidgetItem* row, const QByteArray& name);
    // The selected rows from the first to the last.
    QList<QTreeWidgetItem*> SelectedRows() const;
    // The first row's caption is "..".
    bool StartsWithParent() const;
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

    // In-place renaming of the focused row: asked whether a row may be edited as the edit
    // starts, told the text an edit ended with (the caption is not changed here), and told
    // whenever an edit ends, by Enter, Escape or the focus leaving.
    void StartRename();
    std::function<bool(const QTreeWidgetItem* row)> CanRename;
    std::function<void(QTreeWidgetItem* row, const QString& text)> Renamed;
    // Whether a rename is under way: the list's own keys wait until it ends.
    std::function<bool()> IsEditing;

signals:
    void SelectionChanged();
    void EditingEnded(); // also sent for Escape in the list
    // Keys in the list while no rename is under way: Backspace, Enter (and a double click),
    // and the left or right arrow released without Shift, Ctrl or Alt.
    void UpRequested();
    void OpenRequested();
    void OtherPaneRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QHBoxLayout* m_row;
    QLabel* m_path;
    QLabel* m_busy;
    QTreeWidget* m_list;
};
