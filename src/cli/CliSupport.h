#pragma once
// Small helpers shared by the command groups of pagewright-cli.
#include <nlohmann/json.hpp>

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace pw {
class TnkDBSource;
}

// A usage or input error: printed as one line, exit status 1.
class CliError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Options of the form "--name VALUE" or "--flag", anywhere among the arguments.
class Options {
public:
    // `valued` lists the options that take a value, `flags` those that do not.
    Options(const std::vector<std::string>& args, const std::vector<std::string>& valued,
            const std::vector<std::string>& flags);
    const std::vector<std::string>& positional() const { return m_positional; }
    std::optional<std::string> value(const std::string& name) const;
    bool flag(const std::string& name) const;
    // Throws CliError unless there are exactly `count` positional arguments.
    void expectPositional(size_t count, const char* usage) const;

private:
    std::vector<std::string> m_positional;
    std::vector<std::pair<std::string, std::string>> m_values;
    std::vector<std::string> m_flags;
};

// {"fields": [...], "records": [{field: text, ...}, ...]} with every text as UTF-8.
nlohmann::ordered_json TableToJson(const pw::TnkDBSource& source);
std::string ToUtf8(const std::string& cp1252);
// Throws CliError for text that Windows-1252 cannot hold.
std::string FromUtf8(const std::string& utf8);

void PrintJson(const nlohmann::ordered_json& value);
void WriteOutputFile(const std::string& path, const std::string& bytes);
