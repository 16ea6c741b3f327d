// Guards: damaged configuration and table files end in an EStreamError, never a crash or over-read.
// Feeds arbitrary bytes to the container reader the main window uses for the configuration
// file, and to the bare table reader used for translation tables. Damage must end in an
// EStreamError, never in a crash, a read past the end or a runaway allocation.
#include "core/config/ConfigTables.h"
#include "core/storage/ByteStream.h"
#include "core/storage/nkErrors.h"

#include <cstdint>
#include <string_view>

using namespace pw;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    {
        ConfigTables tables(ConfigRole::Dialog);
        ByteReader in(bytes);
        try {
            tables.ConfigFile.LoadFromStream(in);
        } catch (const EStreamError&) {
        }
        // Whatever was loaded must be consistent enough to save and read again.
        ByteWriter out;
        tables.ConfigFile.SaveToStream(out);
        ConfigTables again(ConfigRole::MainWindow);
        ByteReader back(out.data());
        again.ConfigFile.LoadFromStream(back);
    }
    {
        ConfigTables tables(ConfigRole::MainWindow);
        ByteReader in(bytes);
        try {
            tables.TranslationSource.LoadFromStream(in);
        } catch (const EStreamError&) {
        }
    }
    return 0;
}
