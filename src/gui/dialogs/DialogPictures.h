#pragma once
// Pictures of the dialogs: SVG files in the program's resources, drawn at the size asked for;
// the title, the globe and the About box's plate are drawn in code.
#include <QIcon>
#include <QImage>
#include <QPixmap>

namespace DialogPictures {
enum class Glyph { Add, Delete, First, Prior, Next, Last, MoveLeft, MoveRight, Clear, Browse };
QIcon ToolGlyph(Glyph glyph); // 16 x 16 toolbar and button glyphs

QPixmap Folder(int size);       // a folder with a star: creating a folder
QPixmap Key(int size);          // a key: the password prompt
QPixmap WizardSide(QSize size); // the tall picture beside the wizard's pages
QPixmap Screen(QSize size);     // a small window: the page about the main window
QPixmap ProgramIcon(int size);  // the program's icon
QPixmap Title(QSize size);      // the program's name, drawn large
QPixmap Globe(QSize size);      // the picture at the About box's top right
QImage AboutFace(QSize size);   // grey plate with tabs on a magenta (transparent) ground
} // namespace DialogPictures
