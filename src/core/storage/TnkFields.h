#pragma once
// One column of a record table: the values of one field in record order.
#include "core/storage/TnkField.h"

#include <vector>

namespace pw {

class TnkFields {
public:
    int Count() const { return static_cast<int>(m_values.size()); }
    TnkField& operator[](int index) { return m_values[static_cast<size_t>(index)]; }
    const TnkField& operator[](int index) const { return m_values[static_cast<size_t>(index)]; }

    void Resize(int count) { m_values.resize(static_cast<size_t>(count)); }
    void Clear() { m_values.clear(); }
    TnkField& Append() { return m_values.emplace_back(); }
    void Insert(int at) { m_values.emplace(m_values.begin() + at); }
    void Delete(int at) { m_values.erase(m_values.begin() + at); }
    void Exchange(int a, int b) { std::swap(m_values[size_t(a)], m_values[size_t(b)]); }

private:
    std::vector<TnkField> m_values;
};

} // namespace pw
