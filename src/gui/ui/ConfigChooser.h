#pragma once
// Fills a chooser of configurations: their names in the table's order, the chosen one
// following the settings field `settingsField` (the index of the configuration).
class DBComboBox;
namespace pw {
class TnkDBSource;
}

void FillConfigChooser(DBComboBox* chooser, pw::TnkDBSource& configurations,
                       pw::TnkDBSource& settings, const char* settingsField);
