#include "cli/CliSupport.h"

#include "core/storage/Cp1252.h"
#include "core/storage/FileIO.h"
#include "core/storage/TnkDBData.h"
#include "core/storage/TnkDBSource.h"

#include <algorithm>
#include <cstdio>

using namespace pw;

Options::Options(const std::vector<std::string>& args, const std::vector<std::string>& valued,
                 const std::vector<std::string>& flags) {
    const auto has = [](const std::vector<std::string>& list, const std::string& s) {
        return std::find(list.begin(), list.end(), s) != list.end();
    };
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a.size() > 2 && a.rfind("--", 0) == 0) {
            if (has(valued, a)) {
                if (i + 1 >= args.size()) throw CliError("option " + a + " needs a value");
                m_values.emplace_back(a, args[++i]);
            } else if (has(flags, a)) {
                m_flags.push_back(a);
            } else {
                throw CliError("unknown option " + a);
            }
        } else {
            m_positional.push_back(a);
        }
    }
}

std::optional<std::string> Options::value(const std::string& name) const {
    std::optional<std::string> found;
    for (const auto& [n, v] : m_values)
        if (n == name) found = v;
    return found;
}

bool Options::flag(const std::string& name) const {
    return std::find(m_flags.begin(), m_flags.end(), name) != m_flags.end();
}

void Options::expectPositional(size_t count, const char* usage) const {
    if (m_positional.size() != count) throw CliError(std::string("usage: pagewright-cli ") + usage);
}

std::string ToUtf8(const std::string& cp1252) {
    return Cp1252ToUtf8(cp1252);
}

std::string FromUtf8(const std::string& utf8) {
    auto bytes = Utf8ToCp1252(utf8);
    if (!bytes) throw CliError("text is not UTF-8 or holds characters Windows-1252 lacks");
    return *bytes;
}

nlohmann::ordered_json TableToJson(const TnkDBSource& source) {
    nlohmann::ordered_json fields = nlohmann::ordered_json::array();
    nlohmann::ordered_json records = nlohmann::ordered_json::array();
    if (const TnkDBData* data = source.DBData()) {
        const TnkTable& table = data->Table();
        for (int f = 0; f < table.FieldCount(); ++f)
            fields.push_back(ToUtf8(table.FieldName(f)));
        for (int r = 0; r < table.RecordCount(); ++r) {
            nlohmann::ordered_json record = nlohmann::ordered_json::object();
            for (int f = 0; f < table.FieldCount(); ++f)
                record[ToUtf8(table.FieldName(f))] = ToUtf8(table.Value(f, r).AsString());
            records.push_back(std::move(record));
        }
    }
    return {{"fields", fields}, {"records", records}};
}

void PrintJson(const nlohmann::ordered_json& value) {
    const std::string text = value.dump(2) + "\n";
    std::fwrite(text.data(), 1, text.size(), stdout);
}

void WriteOutputFile(const std::string& path, const std::string& bytes) {
    WriteFileAtomically(path, bytes, 0644);
}
