#pragma once
// The controller of the local file pane: a folder of this computer, the volume chooser, its
// pop-up menu and the sort order of its list.
#include <QObject>

class CommandTable;
class FilePane;
class QComboBox;
class QWidget;

class LocalPane : public QObject {
    Q_OBJECT
public:
    LocalPane(CommandTable& commands, QWidget* parent);

    FilePane* Pane() const { return m_pane; }
    bool HasSelection() const;
    bool IsActive() const;
    // The path shown names a root (or nothing).
    bool PathIsRoot() const;
    void SetRefreshing(bool on);
    // The height of the path row with the volume chooser in it.
    int PathRowHeight() const;

signals:
    void SelectionChanged();

private:
    FilePane* m_pane;
    QComboBox* m_volumes;
};
