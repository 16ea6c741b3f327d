#include "core/storage/ByteStream.h"

#include "core/storage/nkErrors.h"

#include <limits>

namespace pw {

void ByteReader::require(size_t count, const char* what) const {
    if (count > remaining())
        throw EStreamError("unexpected end of data at offset " + std::to_string(m_pos) +
                           " while reading " + what + " (" + std::to_string(count) +
                           " bytes needed, " + std::to_string(remaining()) + " left)");
}

void ByteReader::requireItems(uint64_t count, uint64_t minItemSize, const char* what) const {
    if (minItemSize != 0 && count > remaining() / minItemSize)
        throw EStreamError("count " + std::to_string(count) + " of " + what + " at offset " +
                           std::to_string(m_pos) + " runs past the end of the data");
}

void ByteReader::seek(size_t pos) {
    if (pos > m_data.size())
        throw EStreamError("offset " + std::to_string(pos) + " lies past the end of the data (" +
                           std::to_string(m_data.size()) + " bytes)");
    m_pos = pos;
}

uint8_t ByteReader::readU8() {
    require(1, "a byte");
    return static_cast<uint8_t>(m_data[m_pos++]);
}

uint32_t ByteReader::readU32() {
    require(4, "a 32-bit integer");
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i)
        v |= static_cast<uint32_t>(static_cast<uint8_t>(m_data[m_pos + i])) << (8 * i);
    m_pos += 4;
    return v;
}

int32_t ByteReader::readI32() {
    return static_cast<int32_t>(readU32());
}

std::string ByteReader::readBytes(size_t count) {
    require(count, "a byte string");
    std::string s(m_data.substr(m_pos, count));
    m_pos += count;
    return s;
}

std::string ByteReader::readCountedString() {
    const size_t start = m_pos;
    const uint32_t length = readU32();
    if (length > remaining()) {
        m_pos = start;
        throw EStreamError("string length " + std::to_string(length) + " at offset " +
                           std::to_string(start) + " runs past the end of the data");
    }
    return readBytes(length);
}

void ByteWriter::writeU32(uint32_t v) {
    for (int i = 0; i < 4; ++i)
        m_buf.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

void ByteWriter::writeCountedString(std::string_view s) {
    if (s.size() > std::numeric_limits<uint32_t>::max())
        throw EStreamError("string too long for a table stream");
    writeU32(static_cast<uint32_t>(s.size()));
    writeBytes(s);
}

void ByteWriter::patchU32(size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        m_buf[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

} // namespace pw
