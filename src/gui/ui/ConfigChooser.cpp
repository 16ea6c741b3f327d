#include "gui/ui/ConfigChooser.h"

#include "core/storage/TnkDBSource.h"
#include "gui/ui/Cp1252Text.h"
#include "gui/ui/DBComboBox.h"

using namespace pw;

void FillConfigChooser(DBComboBox* chooser, TnkDBSource& configurations, TnkDBSource& settings,
                       const char* settingsField) {
    chooser->clear();
    for (int i = 0; i < configurations.RecordCount(); ++i)
        chooser->addItem(FromCp1252(configurations.GetString(i, "Name")));
    if (chooser->DataSource() != &settings)
        chooser->SetDataSource(&settings, settingsField);
    else
        settings.Notify(settingsField);
}
