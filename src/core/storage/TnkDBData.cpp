#include "core/storage/TnkDBData.h"

#include "core/storage/ByteStream.h"
#include "core/storage/TnkDBSource.h"
#include "core/storage/nkErrors.h"

namespace pw {

TnkDBData::TnkDBData() = default;

TnkDBData::~TnkDBData() {
    if (m_source) m_source->SetDBData(nullptr);
}

void TnkDBData::setSource(TnkDBSource* source) {
    m_source = source;
    if (source) {
        m_table.OnChange = [this] {
            if (m_source) m_source->DataChanged();
        };
    } else {
        m_table.OnChange = nullptr;
    }
}

void TnkDBData::Loaded() {
    if (m_binData.empty()) return;
    std::string bin;
    bin.swap(m_binData);
    ByteReader in(bin);
    const uint32_t length = in.readU32();
    if (length > in.remaining()) throw EStreamError("BinData is shorter than its byte count");
    ByteReader stream(std::string_view(bin).substr(4, length));
    m_table.LoadFromStream(stream);
}

void TnkDBData::Exchange(int a, int b) {
    const int count = m_table.RecordCount();
    if (a < 0 || a >= count) throw EListError(a);
    if (b < 0 || b >= count) throw EListError(b);
    m_table.Exchange(a, b);
}

} // namespace pw
