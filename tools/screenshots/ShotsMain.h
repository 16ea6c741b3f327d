#pragma once
// Screenshots of the main window: each visible page with sample content, and the tray menu.
#include <QDir>

// Writes the PNG files into `outputDir`, prints their paths; returns the number of failures.
// Expects PAGEWRIGHT_HOME to name a writable temporary folder.
int MainWindowShots(const QDir& outputDir);
