#pragma once
// The file and folder choosers of the dialogs. Each returns the chosen path, or an empty
// text when the user cancels.
#include <QString>

class QWidget;

namespace FileChoosers {
// Folders only, starting at `initial`.
QString ChooseFolder(QWidget* parent, const QString& initial);
// An existing file in an existing folder.
QString ChooseOpenFile(QWidget* parent, const QString& caption, const QString& filter,
                       const QString& defaultSuffix);
// A file to write; an existing one is replaced without a question.
QString ChooseSaveFile(QWidget* parent, const QString& caption, const QString& filter,
                       const QString& defaultSuffix, const QString& initial = {});
} // namespace FileChoosers
