// The binary table stream: signature, name, field names, then each column's values.
#include "core/storage/ByteStream.h"
#include "core/storage/TnkTable.h"
#include "core/storage/nkErrors.h"

#include <algorithm>

namespace pw {

namespace {

constexpr int kMaxNesting = 32;

void reportProgress(const std::function<void(int)>& handler, int column, int columns, int done,
                    int total) {
    if (!handler || columns == 0) return;
    const double inColumn = total == 0 ? 1.0 : double(done) / total;
    handler(static_cast<int>((column + inColumn) * 100.0 / columns));
}

void writeTable(const TnkTable& table, ByteWriter& out);

void writeValue(const TnkField& value, ByteWriter& out) {
    out.writeU8(value.DataType());
    out.writeU8(value.ValueKind);
    switch (value.DataType()) {
    case dtNone:
        break;
    case dtInteger:
        out.writeI32(value.Integer());
        break;
    case dtString:
        out.writeCountedString(value.String());
        break;
    case dtStrings:
        out.writeU32(static_cast<uint32_t>(value.Strings().size()));
        for (const auto& line : value.Strings())
            out.writeCountedString(line);
        break;
    case dtStream:
        out.writeCountedString(value.Stream());
        break;
    case dtTable:
        writeTable(value.Table(), out);
        break;
    }
}

void writeTable(const TnkTable& table, ByteWriter& out) {
    out.writeU32(kTableSignature);
    out.writeCountedString(table.TableName);
    const int fields = table.FieldCount();
    out.writeU32(static_cast<uint32_t>(fields));
    for (int f = 0; f < fields; ++f)
        out.writeCountedString(table.FieldName(f));
    for (int f = 0; f < fields; ++f) {
        const TnkFields& column = table.Column(f);
        out.writeU32(static_cast<uint32_t>(column.Count()));
        for (int r = 0; r < column.Count(); ++r) {
            writeValue(column[r], out);
            reportProgress(table.OnWriteProgress, f, fields, r + 1, column.Count());
        }
    }
}

} // namespace

// Reads a table stream into an empty table, checking every count against what remains.
class TableStreamReader {
public:
    static void read(ByteReader& in, TnkTable& table, int depth,
                     const std::function<void(int)>& progress) {
        const size_t start = in.position();
        if (in.readU32() != kTableSignature)
            throw EStreamError("no table signature at offset " + std::to_string(start));
        table.TableName = in.readCountedString();
        const uint32_t fields = in.readU32();
        // Each field needs at least its name length and its value count.
        in.requireItems(fields, 8, "fields");
        for (uint32_t i = 0; i < fields; ++i)
            table.AddField(in.readCountedString());

        // Columns are filled by position. A name repeated in another letter case adds no
        // field, so its column has no place in the table and is read and dropped.
        TnkFields dropped;
        for (uint32_t i = 0; i < fields; ++i) {
            const int position = static_cast<int>(i);
            TnkFields& column = position < table.FieldCount() ? table.Column(position) : dropped;
            column.Clear();
            const uint32_t count = in.readU32();
            in.requireItems(count, 2, "values");
            for (uint32_t r = 0; r < count; ++r) {
                readValue(in, column.Append(), depth);
                reportProgress(progress, position, int(fields), int(r + 1), int(count));
            }
        }
        // Every column must hold the same number of values; a foreign or damaged file may
        // not, so shorter columns are filled with empty values rather than losing any.
        int records = 0;
        for (int f = 0; f < table.FieldCount(); ++f)
            records = std::max(records, table.Column(f).Count());
        for (int f = 0; f < table.FieldCount(); ++f)
            table.Column(f).Resize(records);
    }

private:
    static void readValue(ByteReader& in, TnkField& value, int depth) {
        const size_t at = in.position();
        const uint8_t type = in.readU8();
        if (type > kMaxDataType)
            throw EStreamError("unknown value type " + std::to_string(type) + " at offset " +
                               std::to_string(at));
        value.SetDataType(static_cast<TnkDataType>(type));
        const uint8_t kind = in.readU8();
        switch (value.DataType()) {
        case dtNone:
            break;
        case dtInteger:
            value.Integer() = in.readI32();
            break;
        case dtString: {
            // A stored text that reads as a number becomes the number, unless that would lose
            // characters (" 1", "+5"): then it stays the exact text, as a password must.
            const std::string text = in.readCountedString();
            value.WriteString(text);
            const std::string_view stored = std::string_view(text).substr(0, text.find('\0'));
            if (value.DataType() == dtInteger && value.AsString() != stored) value.WriteText(text);
            break;
        }
        case dtStrings: {
            const uint32_t lines = in.readU32();
            in.requireItems(lines, 4, "lines");
            auto& list = value.Strings();
            list.reserve(lines);
            for (uint32_t i = 0; i < lines; ++i)
                list.push_back(in.readCountedString());
            break;
        }
        case dtStream:
            value.Stream() = in.readCountedString();
            break;
        case dtTable:
            if (depth >= kMaxNesting)
                throw EStreamError("tables nested too deeply at offset " + std::to_string(at));
            read(in, value.Table(), depth + 1, {});
            break;
        }
        value.ValueKind = kind;
    }
};

void TnkTable::SaveToStream(ByteWriter& out) {
    writeTable(*this, out);
    Changed();
}

void TnkTable::LoadFromStream(ByteReader& in) {
    TnkTable loaded;
    TableStreamReader::read(in, loaded, 0, OnReadProgress);
    BeginUpdate();
    Swap(loaded);
    Changed();
    EndUpdate();
}

} // namespace pw
