#pragma once
// The main window's commands, each declared once in one table: what it is (name, picture,
// shortcut) and every place it appears (menu, toolbar, pop-up menu, tray menu) with the item's
// name and caption there. The table makes the actions; pages put a container's items in
// place with Fill and run a command's work through On, whichever of its items is used.
#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

class QAction;
class QActionGroup;
class QMenu;
class QToolBar;
class QWidget;
class UserPrompts;

class CommandTable : public QObject {
    Q_OBJECT
public:
    // The actions are children of `owner`, so that they are found by name below it.
    CommandTable(QWidget* owner, UserPrompts& prompts);

    // The item named `name` (as "miNewsStart"); nullptr for a name not in the table.
    QAction* Item(const QString& name) const { return m_items.value(name); }
    // Every item's name, in the table's order.
    const QStringList& Names() const { return m_names; }
    // The items of the command `command` (as "NewsStart").
    QList<QAction*> Items(const char* command) const;

    // Adds the items of the container named `container` to a menu or a toolbar, in order, with
    // its separators, named toolbar sections and sub-menus (made with `owner` as parent).
    void Fill(QMenu* menu, const char* container);
    void Fill(QToolBar* toolbar, const char* container);
    // A pop-up menu named `container` with its items, owned by `parent`.
    QMenu* MakePopup(QWidget* parent, const char* container);
    // The items of `command` as one group of which exactly one is checked.
    QActionGroup* MakeGroup(const char* command, QObject* parent);

    // Runs `work` when any item of `command` is triggered. An exception thrown by the work is
    // caught here and shown as an error, so that none travels through the event loop.
    void On(const char* command, std::function<void()> work);

private:
    QWidget* m_owner;
    UserPrompts& m_prompts;
    QHash<QString, QAction*> m_items;
    QStringList m_names;
};
