#pragma once
// Screenshots of the news page's dialogs: the header editor, the newsfile wizard and the
// page preview.
#include <QDir>

// Writes the PNG files into `outputDir`, prints their paths; returns the number of failures.
int NewsDialogShots(const QDir& outputDir);
