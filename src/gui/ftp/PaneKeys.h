#pragma once
// The function-key commands of the FTP page (F2 rename, F3 refresh, F5 copy, F7 make folder,
// F8 delete) run the matching command of the pane whose list has the keyboard focus, and are
// enabled as that command is.
#include <QObject>

class CommandTable;
class LocalPane;
class RemotePane;
class QAction;

class PaneKeys : public QObject {
    Q_OBJECT
public:
    PaneKeys(CommandTable& commands, RemotePane& remote, LocalPane& local, QObject* parent);

    // Follows the focus and the enabled state of the panes' commands.
    void Update();

private:
    struct Key {
        QAction* key;
        QAction* remote;
        QAction* local;
    };
    QAction* target(const Key& key) const;

    RemotePane& m_remote;
    LocalPane& m_local;
    QList<Key> m_keys;
};
