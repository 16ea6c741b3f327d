#include "gui/local/LocalPane.h"

#include "gui/app/CommandTable.h"
#include "gui/ui/FilePane.h"

#include <QActionGroup>
#include <QComboBox>
#include <QDir>
#include <QTreeWidget>

LocalPane::LocalPane(CommandTable& commands, QWidget* parent) : QObject(parent) {
    setObjectName("LocalPane");
    m_pane = new FilePane({"pnLocal", "labLocalPath", "imFTPLocalRefresh", "lvLocalFiles"}, parent);
    m_volumes = new QComboBox(m_pane);
    m_volumes->setObjectName("cbLocalDrives");
    m_volumes->setFixedWidth(57);
    m_volumes->setMaxVisibleItems(26);
    m_pane->AddToPathRow(m_volumes);
    m_pane->List()->setDragEnabled(true);
    m_pane->SetPopupMenu(commands.MakePopup(m_pane->List(), "pmlvLocalFiles"));
    commands.MakeGroup("LocalSort", this)->setObjectName("agFTPLocalSort");
    connect(m_pane, &FilePane::SelectionChanged, this, &LocalPane::SelectionChanged);
}

bool LocalPane::HasSelection() const {
    return m_pane->HasSelection();
}

bool LocalPane::IsActive() const {
    return m_pane->IsActive();
}

bool LocalPane::PathIsRoot() const {
    const QString path = m_pane->Path();
    return path.isEmpty() || QDir(path).isRoot();
}

void LocalPane::SetRefreshing(bool on) {
    m_pane->SetBusy(on);
}

int LocalPane::PathRowHeight() const {
    return m_volumes->sizeHint().height();
}
