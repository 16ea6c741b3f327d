#pragma once
// Pieces every page of the main window is made of: its toolbar, a column without margins,
// a list with fixed columns and the busy picture beside a path.
#include <initializer_list>
#include <tuple>

class QLabel;
class QToolBar;
class QTreeWidget;
class QVBoxLayout;
class QWidget;

// A fixed toolbar with small buttons, named `name`.
QToolBar* MakePageToolbar(QWidget* parent, const char* name);
// A widget at the end of a toolbar takes the free width, pushing what follows to the right.
void AddToolbarSpacer(QToolBar* toolbar);
// A vertical layout on `widget` without margins or spacing.
QVBoxLayout* MakeColumn(QWidget* widget);
// A list of rows with the columns (caption, width or 0, right-aligned) and a pop-up menu on
// request; the columns are not sortable by a click on their header.
QTreeWidget* MakeListView(QWidget* parent, const char* name,
                          std::initializer_list<std::tuple<const char*, int, bool>> columns);
// The hidden busy picture shown while a list is being refreshed.
QLabel* MakeBusyPicture(QWidget* parent, const char* name);
