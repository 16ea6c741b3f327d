#include "core/app/WindowPlacement.h"

#include "core/storage/TnkDBData.h"
#include "core/storage/TnkDBSource.h"

namespace pw {

namespace {
constexpr const char* kBoundFields[] = {"Left", "Top", "Width", "Height"};

int currentRecord(const TnkDBSource& settings) {
    return settings.CurrentIndex() < 0 ? 0 : settings.CurrentIndex();
}
} // namespace

StoredBounds ReadStoredBounds(const TnkDBSource& settings) {
    StoredBounds bounds;
    if (settings.RecordCount() == 0) return bounds;
    const int record = currentRecord(settings);
    if (settings.GetString(record, "SaveWindowPos") != "TRUE") return bounds;
    const auto read = [&](const char* field) -> std::optional<int> {
        const int value = settings.GetInteger(record, field);
        if (value < 0) return std::nullopt;
        return value;
    };
    bounds.Left = read("Left");
    bounds.Top = read("Top");
    bounds.Width = read("Width");
    bounds.Height = read("Height");
    return bounds;
}

void WriteBounds(TnkDBSource& settings, int left, int top, int width, int height) {
    TnkDBData* data = settings.DBData();
    if (!data) return;
    for (const char* field : kBoundFields)
        if (data->Table().FieldIndex(field) < 0) data->AddField(field);
    if (settings.RecordCount() == 0) settings.Append();
    const int record = currentRecord(settings);
    settings.SetInteger(record, "Top", top);
    settings.SetInteger(record, "Left", left);
    settings.SetInteger(record, "Height", height);
    settings.SetInteger(record, "Width", width);
}

} // namespace pw
