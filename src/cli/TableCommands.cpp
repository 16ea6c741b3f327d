// table dump / table roundtrip: a bare table stream (a translation table file).
#include "cli/CliCommands.h"
#include "cli/CliSupport.h"
#include "core/storage/ByteStream.h"
#include "core/storage/FileIO.h"
#include "core/storage/TnkDBData.h"
#include "core/storage/TnkDBSource.h"
#include "core/storage/nkErrors.h"

using namespace pw;

namespace {
void loadTableFile(const std::string& path, TnkDBSource& source) {
    const std::string data = ReadWholeFile(path);
    ByteReader in(data);
    try {
        source.LoadFromStream(in);
    } catch (const EStreamError& e) {
        throw EStreamError("The file " + path + " is damaged: " + e.what());
    }
}
} // namespace

int RunTableCommand(const Args& args) {
    if (args.empty()) throw CliError("usage: pagewright-cli table dump FILE | roundtrip IN OUT");
    const Options opts(Args(args.begin() + 1, args.end()), {}, {});
    TnkDBData data;
    TnkDBSource source(&data);
    if (args[0] == "dump") {
        opts.expectPositional(1, "table dump FILE");
        loadTableFile(opts.positional()[0], source);
        PrintJson(TableToJson(source));
        return 0;
    }
    if (args[0] == "roundtrip") {
        opts.expectPositional(2, "table roundtrip IN OUT");
        loadTableFile(opts.positional()[0], source);
        ByteWriter out;
        source.SaveToStream(out);
        WriteOutputFile(opts.positional()[1], out.data());
        return 0;
    }
    throw CliError("unknown table command \"" + args[0] + "\" (dump, roundtrip)");
}
