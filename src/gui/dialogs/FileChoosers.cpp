#include "gui/dialogs/FileChoosers.h"

#include <QFileDialog>

namespace {
QString run(QFileDialog& dialog) {
    if (dialog.exec() != QDialog::Accepted) return {};
    const QStringList files = dialog.selectedFiles();
    return files.isEmpty() ? QString() : QDir::toNativeSeparators(files.first());
}
} // namespace

namespace FileChoosers {

QString ChooseFolder(QWidget* parent, const QString& initial) {
    QFileDialog dialog(parent, QStringLiteral("Select folder"), initial);
    dialog.setObjectName(QStringLiteral("dlgChooseFolder"));
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    return run(dialog);
}

QString ChooseOpenFile(QWidget* parent, const QString& caption, const QString& filter,
                       const QString& defaultSuffix) {
    QFileDialog dialog(parent, caption, QString(), filter);
    dialog.setObjectName(QStringLiteral("dlgOpenFile"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(defaultSuffix);
    return run(dialog);
}

QString ChooseSaveFile(QWidget* parent, const QString& caption, const QString& filter,
                       const QString& defaultSuffix, const QString& initial) {
    QFileDialog dialog(parent, caption, initial, filter);
    dialog.setObjectName(QStringLiteral("dlgSaveFile"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setDefaultSuffix(defaultSuffix);
    return run(dialog);
}

} // namespace FileChoosers
