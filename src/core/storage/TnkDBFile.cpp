#include "core/storage/TnkDBFile.h"

#include "core/storage/ByteStream.h"
#include "core/storage/FileIO.h"
#include "core/storage/TnkDBSource.h"
#include "core/storage/nkErrors.h"

namespace pw {

void TnkDBFile::SaveToStream(ByteWriter& out) {
    out.writeU32(static_cast<uint32_t>(DBSources.size()));
    for (auto& entry : DBSources) {
        out.writeCountedString(entry.Name);
        const size_t sizeAt = out.position();
        out.writeU32(0);
        if (entry.DBSource) entry.DBSource->SaveToStream(out);
        out.patchU32(sizeAt, static_cast<uint32_t>(out.position() - sizeAt));
    }
}

void TnkDBFile::LoadFromStream(ByteReader& in) {
    const int32_t count = in.readI32();
    if (count < 1) return;
    // An entry needs at least its name length and its size.
    in.requireItems(uint32_t(count), 8, "container entries");
    for (int32_t i = 0; i < count; ++i) {
        const std::string name = in.readCountedString();
        const size_t sizeAt = in.position();
        const uint32_t size = in.readU32();
        TnkDBSource* source = nullptr;
        for (auto& entry : DBSources) {
            if (entry.Name == name) {
                source = entry.DBSource;
                break;
            }
        }
        if (source && source->DBData()) {
            try {
                source->LoadFromStream(in);
            } catch (const EStreamError& e) {
                throw EStreamError("table \"" + name + "\": " + e.what());
            }
            continue;
        }
        if (!source && OnUnknownSource) OnUnknownSource(*this, name, in);
        if (size < 4)
            throw EStreamError("table \"" + name + "\" has an impossible size " +
                               std::to_string(size));
        in.seek(sizeAt + size);
    }
}

void TnkDBFile::SaveToFile(const std::string& fileName, unsigned mode) {
    ByteWriter out;
    SaveToStream(out);
    WriteFileAtomically(fileName, out.data(), static_cast<mode_t>(mode));
}

void TnkDBFile::LoadFromFile(const std::string& fileName) {
    const std::string data = ReadWholeFile(fileName);
    ByteReader in(data);
    try {
        LoadFromStream(in);
    } catch (const EStreamError& e) {
        throw EStreamError("The file " + fileName + " is damaged: " + e.what());
    }
}

} // namespace pw
