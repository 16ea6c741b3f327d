#pragma once
// Small layout helpers shared by the dialogs.
class QDialog;
class QFrame;
class QSize;
class QWidget;

namespace DialogLayout {
QFrame* HorizontalRule(QWidget* parent);
// Gives the dialog its designed client size, or the size its layout needs when the
// platform's fonts need more, so no text is cut off.
void FitClientArea(QDialog* dialog, QSize designed, bool fixed);
} // namespace DialogLayout
