#pragma once
// The toolbar's customizing window: one check box per button of the toolbar, checked while
// the button is shown. Changes apply at once.
#include <QDialog>

class QListWidget;
class QToolBar;

class ToolbarCustomizer : public QDialog {
    Q_OBJECT
public:
    explicit ToolbarCustomizer(QToolBar* toolbar, QWidget* parent = nullptr);

    QListWidget* List() const { return m_list; }

private:
    QListWidget* m_list;
};
