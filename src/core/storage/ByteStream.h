#pragma once
// Little-endian byte reading and writing for table streams and container files.
// The reader never reads past the end of its data: every read checks what remains and
// throws EStreamError instead.
#include <cstdint>
#include <string>
#include <string_view>

namespace pw {

class ByteReader {
public:
    explicit ByteReader(std::string_view data) : m_data(data) {}

    size_t position() const { return m_pos; }
    size_t size() const { return m_data.size(); }
    size_t remaining() const { return m_data.size() - m_pos; }
    bool atEnd() const { return m_pos >= m_data.size(); }
    void seek(size_t pos); // throws when pos lies beyond the end

    uint8_t readU8();
    uint32_t readU32();
    int32_t readI32();
    std::string readBytes(size_t count);
    std::string readCountedString(); // u32 length, then that many bytes

    // Throws unless `count` items of at least `minItemSize` bytes each can still follow.
    void requireItems(uint64_t count, uint64_t minItemSize, const char* what) const;

private:
    void require(size_t count, const char* what) const;
    std::string_view m_data;
    size_t m_pos = 0;
};

class ByteWriter {
public:
    size_t position() const { return m_buf.size(); }
    void writeU8(uint8_t v) { m_buf.push_back(static_cast<char>(v)); }
    void writeU32(uint32_t v);
    void writeI32(int32_t v) { writeU32(static_cast<uint32_t>(v)); }
    void writeBytes(std::string_view bytes) { m_buf.append(bytes); }
    void writeCountedString(std::string_view s);
    void patchU32(size_t at, uint32_t v); // overwrite four bytes already written

    const std::string& data() const { return m_buf; }
    std::string take() { return std::move(m_buf); }

private:
    std::string m_buf;
};

} // namespace pw
