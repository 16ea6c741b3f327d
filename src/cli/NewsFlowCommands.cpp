// news fetch / add / post: the news page's retrieval and posting against the server of one
// configuration of a configuration file, without a window. Standard output carries only
// JSON; status texts go to standard error.
#include "cli/CliCommands.h"
#include "cli/CliSupport.h"
#include "cli/NewsJson.h"
#include "cli/PasswordPrompt.h"
#include "core/config/ConfigLocation.h"
#include "core/config/ConfigTables.h"
#include "core/ftp/TSimpleFTP.h"
#include "core/news/NewNewsItem.h"
#include "core/news/NewsFlows.h"
#include "core/news/NewsFormat.h"
#include "core/storage/IntConvert.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

using namespace pw;

namespace {
constexpr const char* kCommonUsage = " [--config N] [--passive|--active] [--verbose]";
constexpr const char* kPasswordVariable = "PAGEWRIGHT_PASSWORD";

void printLine(const std::string& text) {
    std::fprintf(stderr, "%s\n", text.c_str());
}

// One configuration of the file, the news table and the FTP client, as the main window holds
// them for its news page.
class NewsSession {
public:
    NewsSession(const std::string& cfgPath, const Options& opts)
        : m_verbose(opts.flag("--verbose")) {
        std::error_code ec;
        if (!std::filesystem::is_regular_file(cfgPath, ec))
            throw CliError("Cannot open file " + cfgPath + " (no such file)");
        m_tables.ConfigFile.LoadFromFile(cfgPath);
        m_record = chooseRecord(cfgPath, opts);
        m_selection = SelectNewsConfiguration(m_tables.ConfigSource, m_record, ProgramFolder());
        m_ftp.SetConnectRetries(3);
        if (opts.flag("--passive") || opts.flag("--active"))
            m_selection.Passive = opts.flag("--passive");
        m_ftp.SilentExceptions = true;
        m_ftp.FailIfExistsOnGet = false;
        m_events.StatusText = [this](const std::string& text) {
            m_lastStatus = text;
            if (m_verbose) printLine(ToUtf8(text));
        };
        m_events.OverallGauge = [this](int percent) {
            if (m_verbose && percent > 0) printLine("overall " + std::to_string(percent) + "%");
        };
        m_events.TransferGauge = [this](bool enabled, int percent) {
            if (!m_verbose || !enabled || percent == m_lastTransfer) return;
            m_lastTransfer = percent;
            printLine("transfer " + std::to_string(percent) + "%");
        };
        m_events.Signs = [](bool, bool) {};
        m_events.StateChanged = [](ActivityState) {};
        m_events.AskPassword = [this] { return password(); };
        // A script is never asked: the configuration's pinned fingerprint decides.
        m_events.TrustRefused = [](const std::string& message) { printLine(message); };
    }
    NewsSession(const NewsSession&) = delete;
    NewsSession& operator=(const NewsSession&) = delete;

    // The working files go, as they do when the main window closes.
    ~NewsSession() {
        m_ftp.Disconnect();
        std::error_code ignored;
        std::filesystem::remove(m_selection.DataFile, ignored);
        std::filesystem::remove(m_selection.DirFile, ignored);
    }

    const TnkDBSource& config() const { return m_tables.ConfigSource; }
    int record() const { return m_record; }
    TnkDBSource& news() { return m_news.source; }
    const NewsPageContext& page() const { return m_page; }

    // Download and analysis into news() and page(); false after reporting the failure.
    bool retrieve() {
        NewsJob job = makeJob(m_news.source, m_page);
        return finish(RunNewsRetrieval(job, m_events));
    }
    // Builds the page from `items` and `page` and publishes it; false after reporting.
    bool post(TnkDBSource& items, NewsPageContext& page) {
        NewsJob job = makeJob(items, page);
        const bool ok = finish(RunNewsPosting(job, m_events));
        // A published page whose local copy failed: say so, the page itself is out.
        if (ok && m_lastStatus != "Successful" && !m_verbose) printLine(ToUtf8(m_lastStatus));
        return ok;
    }

private:
    int chooseRecord(const std::string& cfgPath, const Options& opts) const {
        const int count = m_tables.ConfigSource.RecordCount();
        if (count == 0) throw CliError("The file " + cfgPath + " holds no configuration");
        std::optional<int32_t> record;
        if (const auto text = opts.value("--config")) {
            record = TryStrToInt(*text);
            if (!record) throw CliError("--config needs a configuration number, not " + *text);
        } else {
            record = m_tables.SettingsSource.GetInteger(0, "NewsConfiguration");
        }
        if (*record < 0 || *record >= count)
            throw CliError("The file " + cfgPath + " has no configuration " +
                           std::to_string(*record) + " (it holds " + std::to_string(count) +
                           ", numbered from 0)");
        return *record;
    }

    NewsJob makeJob(TnkDBSource& items, NewsPageContext& page) {
        return {m_ftp,    m_tables.ConfigSource,
                m_record, m_tables.TranslationSource,
                items,    page,
                m_lines,  m_selection};
    }

    // A failed flow ends with its status text on stderr (already there when verbose).
    bool finish(bool ok) {
        if (!ok && !m_verbose) printLine(ToUtf8(m_lastStatus));
        return ok;
    }

    // Asked only when the configuration holds no password, and once per run: a command that
    // downloads and uploads logs in twice with the same answer.
    std::string password() {
        if (m_password) return *m_password;
        if (const char* given = std::getenv(kPasswordVariable)) {
            try {
                m_password = FromUtf8(given);
            } catch (const CliError&) {
                throw CliError(std::string(kPasswordVariable) +
                               " holds characters Windows-1252 lacks");
            }
        } else if (auto typed = ReadPasswordFromTerminal("Enter your password for ftp: ")) {
            m_password = FromUtf8(*typed);
        } else {
            printLine(std::string("The configuration holds no password, ") + kPasswordVariable +
                      " is not set and there is no terminal to ask: logging in with an empty "
                      "password");
            m_password = std::string();
        }
        return *m_password;
    }

    bool m_verbose;
    ConfigTables m_tables{ConfigRole::MainWindow};
    int m_record = 0;
    NewsSelection m_selection;
    TSimpleFTP m_ftp;
    NewsTable m_news;
    NewsPageContext m_page;
    std::vector<std::string> m_lines;
    NewsFlowEvents m_events;
    std::string m_lastStatus;
    int m_lastTransfer = -1;
    std::optional<std::string> m_password;
};

int fetch(const Options& opts) {
    opts.expectPositional(1, (std::string("news fetch CFG") + kCommonUsage).c_str());
    NewsSession session(opts.positional()[0], opts);
    if (!session.retrieve()) return 1;
    PrintJson(NewsPageToJson(session.news(), session.page()));
    return 0;
}

int add(const Options& opts) {
    const std::string usage =
        std::string("news add CFG --text TEXT [--header H] [--footer F]") + kCommonUsage;
    opts.expectPositional(1, usage.c_str());
    const auto text = opts.value("--text");
    if (!text) throw CliError("usage: pagewright-cli " + usage);
    // Every argument is checked before the server is asked.
    const std::string body = FromUtf8(*text);
    const auto converted = [&](const char* name) -> std::optional<std::string> {
        if (const auto v = opts.value(name)) return FromUtf8(*v);
        return std::nullopt;
    };
    const std::optional<std::string> header = converted("--header");
    const std::optional<std::string> footer = converted("--footer");

    NewsSession session(opts.positional()[0], opts);
    if (!session.retrieve()) return 1;
    TnkDBSource& news = session.news();
    const int record = AppendNewsItem(news, session.config(), session.record(), SystemNewsClock());
    news.SetString(record, news_field::kText, body);
    if (header) news.SetString(record, news_field::kHeader, *header);
    if (footer) news.SetString(record, news_field::kFooter, *footer);
    // Posting clears the table: the item is taken down first.
    const nlohmann::ordered_json item = NewsItemToJson(news, record);
    NewsPageContext page = session.page();
    if (!session.post(news, page)) return 1;
    PrintJson(item);
    return 0;
}

// The page keeps an item's date and time in fields of fixed width; an item with a shorter
// or longer one would be read back wrongly, and the item after it lost with it.
void requireMarkerWidths(const TnkDBSource& items) {
    for (int r = 0; r < items.RecordCount(); ++r) {
        const std::string date = items.GetString(r, news_field::kDate);
        const std::string time = items.GetString(r, news_field::kTime);
        if (date.size() != news_marker::kDateWidth || time.size() != news_marker::kTimeWidth)
            throw CliError("item " + std::to_string(r + 1) + ": the date must be " +
                           std::to_string(news_marker::kDateWidth) + " characters and the time " +
                           std::to_string(news_marker::kTimeWidth) +
                           " (as \"2026/12/07\" and \"09:15\")");
    }
}

int post(const Options& opts) {
    opts.expectPositional(2, (std::string("news post CFG ITEMS.json") + kCommonUsage).c_str());
    // The file is read in full before connecting: a damaged one uploads nothing.
    NewsTable items;
    NewsPageContext page;
    NewsPageFromJson(opts.positional()[1], items.source, page);
    requireMarkerWidths(items.source);
    NewsSession session(opts.positional()[0], opts);
    if (!session.retrieve()) return 1;
    return session.post(items.source, page) ? 0 : 1;
}
} // namespace

int RunNewsFlowCommand(const std::string& command, const Args& args) {
    const std::vector<std::string> flags{"--passive", "--active", "--verbose"};
    if (command == "fetch") return fetch(Options(args, {"--config"}, flags));
    if (command == "add")
        return add(Options(args, {"--config", "--text", "--header", "--footer"}, flags));
    if (command == "post") return post(Options(args, {"--config"}, flags));
    throw CliError("unknown news command \"" + command + "\"");
}
