#include "gui/ftp/PaneKeys.h"

#include "gui/app/CommandTable.h"
#include "gui/ftp/RemotePane.h"
#include "gui/local/LocalPane.h"

#include <QAction>
#include <QApplication>
#include <QWidget>

PaneKeys::PaneKeys(CommandTable& commands, RemotePane& remote, LocalPane& local, QObject* parent)
    : QObject(parent), m_remote(remote), m_local(local) {
    for (auto [key, remoteItem, localItem] :
         {std::tuple{"miFTPRenameFile", "miFTPRenameRemoteFile", "miFTPRenameLocalFile"},
          std::tuple{"miFTPRefreshFolder", "miFTPRefreshFTP", "miFTPRefreshLocal"},
          std::tuple{"miFTPCopyFile", "miFTPCopyFTPToLocal", "miFTPCopyLocalToFTP"},
          std::tuple{"miFTPMakeFolder", "miFTPMakeDirectoryFTP", "miFTPMakeDirectoryLocal"},
          std::tuple{"miFTPDeleteFile", "miFTPDeleteOnFTP", "miFTPDeleteOnLocal"}})
        m_keys.append({commands.Item(key), commands.Item(remoteItem), commands.Item(localItem)});
    for (const Key& k : m_keys)
        connect(k.key, &QAction::triggered, this, [this, k] {
            if (QAction* t = target(k); t && t->isEnabled()) t->trigger();
        });
    connect(qApp, &QApplication::focusChanged, this, &PaneKeys::Update);
}

QAction* PaneKeys::target(const Key& key) const {
    return m_remote.IsActive() ? key.remote : m_local.IsActive() ? key.local : nullptr;
}

void PaneKeys::Update() {
    const bool selected = (m_remote.IsActive() && m_remote.HasSelection()) ||
                          (m_local.IsActive() && m_local.HasSelection());
    for (const Key& k : m_keys) {
        QAction* t = target(k);
        // Rename follows the selection alone; the others follow their pane's command.
        k.key->setEnabled(k.key == m_keys.first().key ? selected : t && t->isEnabled());
    }
}
