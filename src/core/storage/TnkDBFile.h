#pragma once
// A container of named table streams: each entry of DBSources is saved under its name and
// loaded from the stored entry of exactly that name.
#include <functional>
#include <string>
#include <vector>

namespace pw {

class ByteReader;
class ByteWriter;
class TnkDBSource;

struct TnkDBSourceCollectionItem {
    std::string Name;
    TnkDBSource* DBSource = nullptr;
};

class TnkDBFile {
public:
    std::vector<TnkDBSourceCollectionItem> DBSources;
    // A stored table that no entry names; the stream stands at the table's start. The
    // reading goes on after that table whatever the handler does with the stream.
    std::function<void(TnkDBFile&, const std::string& name, ByteReader& stream)> OnUnknownSource;

    void SaveToStream(ByteWriter& out);
    // Tables read completely before any damage stay loaded; damage throws EStreamError.
    void LoadFromStream(ByteReader& in);

    // Atomic save; the file is created with `mode` (the configuration file is 0600).
    void SaveToFile(const std::string& fileName, unsigned mode = 0600);
    // Throws EFileError when the file cannot be read, EStreamError (naming the file) when
    // it is damaged.
    void LoadFromFile(const std::string& fileName);
};

} // namespace pw
