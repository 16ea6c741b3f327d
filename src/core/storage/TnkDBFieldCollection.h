#pragma once
// Field definitions of a record source: name, default text and a recorded (not enforced) type.
#include "core/storage/TnkDataType.h"

#include <string>
#include <vector>

namespace pw {

struct TnkDBFieldItem {
    TnkDBFieldItem(std::string name, std::string defaultText = {}, TnkDataType type = dtNone)
        : Name(std::move(name)), Default(std::move(defaultText)), DataType(type) {}
    std::string Name;
    std::string Default;
    TnkDataType DataType = dtNone;
};

class TnkDBFieldCollection {
public:
    TnkDBFieldCollection() = default;
    TnkDBFieldCollection(std::initializer_list<TnkDBFieldItem> items) : m_items(items) {}

    TnkDBFieldItem& Add(std::string name, std::string defaultText = {}, TnkDataType type = dtNone) {
        return m_items.emplace_back(std::move(name), std::move(defaultText), type);
    }
    int Count() const { return static_cast<int>(m_items.size()); }
    const TnkDBFieldItem& operator[](int i) const { return m_items[size_t(i)]; }
    auto begin() const { return m_items.begin(); }
    auto end() const { return m_items.end(); }

private:
    std::vector<TnkDBFieldItem> m_items;
};

} // namespace pw
