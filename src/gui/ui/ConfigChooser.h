#pragma once
// Fills a chooser of configurations: their names in the table's order, the chosen one
// following the settings field `settingsField` (the index of the configuration).
class DBComboBox;
class TnkDBSource;

void FillConfigChooser(DBComboBox* chooser, TnkDBSource& configurations, TnkDBSource& settings,
                       const char* settingsField);
