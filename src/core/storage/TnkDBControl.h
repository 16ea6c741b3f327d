#pragma once
// What a data-aware control implements to follow a record source: the source calls
// DataChanged when the control's field (or every field) may have changed, and the control
// re-reads its value from the source's current record.
namespace pw {

class TnkDBControl {
public:
    virtual ~TnkDBControl() = default;
    virtual void DataChanged() = 0;
};

} // namespace pw
