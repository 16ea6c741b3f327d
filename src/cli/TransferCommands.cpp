// ftp put-many / get-many: many files through the transfer queue and its worker over one
// connection, in order, one line per job on standard output ("ok NAME", "failed NAME:
// REASON"). With --journal the queue is kept in a transfer journal, so that the jobs that a
// killed run left unfinished can be run with --resume.
#include "cli/CliCommands.h"
#include "cli/CliSupport.h"
#include "cli/FtpConnectOptions.h"
#include "cli/FtpUrl.h"
#include "cli/PasswordPrompt.h"

#include "core/config/ConfigLocation.h"
#include "core/config/ConfigTables.h"
#include "core/ftp/FtpPaths.h"
#include "core/ftp/TSimpleFTP.h"
#include "core/storage/Cp1252.h"
#include "core/storage/FileIO.h"
#include "core/transfer/TransferJournal.h"
#include "core/transfer/TransferWorker.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stop_token>
#include <sys/stat.h>

using namespace pw;

namespace {
constexpr const char* kUsage =
    "usage: pagewright-cli ftp put-many URLDIR FILE... | ftp get-many URLDIR NAME... --to DIR\n"
    "       [--journal PATH [--resume]] [--passive|--active] [--timeout SECONDS]\n"
    "       [--accept-fingerprint SHA256] [--key-file PATH]";
constexpr int kUsageStatus = 2;
constexpr const char* kPasswordVariable = "PAGEWRIGHT_PASSWORD";
const std::vector<std::string> kValued = {"--timeout", "--journal", "--to", "--accept-fingerprint",
                                          "--key-file"};
const std::vector<std::string> kFlags = {"--passive", "--active", "--resume"};

void PrintError(const std::string& text) {
    std::fprintf(stderr, "%s\n", text.c_str());
}

// Names and reasons are bytes: UTF-8 stays, anything else is read as Windows-1252; control
// characters become "?" so that every job keeps to its one line.
std::string Shown(const std::string& text) {
    std::string out = IsValidUtf8(text) ? text : ToUtf8(text);
    for (char& c : out)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
    return out;
}

void PrintLine(const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout); // a killed run has told what it finished
}

// An absolute path without "." and ".." segments or a trailing separator.
std::string AbsolutePath(const std::string& path) {
    std::string out = std::filesystem::absolute(path).lexically_normal().string();
    while (out.size() > 1 && out.back() == kLocalSeparator)
        out.pop_back();
    return out;
}

std::string PasswordFor(const FtpUrl& url) {
    if (url.user.empty()) return "anonymous@";
    if (!url.password.empty()) return url.password;
    if (const char* given = std::getenv(kPasswordVariable)) return given;
    if (auto typed = ReadPasswordFromTerminal("Enter your password for ftp: ")) return *typed;
    PrintError(std::string("The URL holds no password, ") + kPasswordVariable +
               " is not set and there is no terminal to ask: logging in with an empty password");
    return {};
}

struct Plan {
    bool upload = true;
    FtpUrl url;
    std::string user;
    std::vector<std::string> items; // local files (put) or server names (get)
    std::string targetFolder;       // get-many --to
    std::optional<std::string> journal;
    bool resume = false;
    FtpConnectOptions connect;
};

// Throws CliError for anything the command line gets wrong.
Plan ParsePlan(const Args& args) {
    const Options options(args, kValued, kFlags);
    const auto& pos = options.positional();
    Plan plan;
    plan.upload = !pos.empty() && pos[0] == "put-many";
    plan.resume = options.flag("--resume");
    plan.journal = options.value("--journal");
    if (pos.size() < 2 || (pos.size() < 3 && !plan.resume))
        throw CliError("needs a server folder and at least one name");
    plan.connect = ReadFtpConnectOptions(options);
    if (plan.resume && !plan.journal) throw CliError("--resume needs --journal PATH");
    plan.url = ParseFtpUrl(pos[1]);
    plan.user = LoginUser(plan.url);
    plan.items.assign(pos.begin() + 2, pos.end());
    const auto to = options.value("--to");
    if (plan.upload && to) throw CliError("--to belongs to get-many");
    if (!plan.upload) {
        if (!to) throw CliError("get-many needs --to DIR");
        struct stat info {};
        if (::stat(to->c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
            throw CliError("--to " + *to + " is not a folder");
        plan.targetFolder = AbsolutePath(*to);
    }
    return plan;
}

// The connection settings of this run: its address's protocol and the options given.
void SetRunConnection(TnkFTPRecord& r, const Plan& plan) {
    r.Protocol = plan.url.protocol;
    r.Passive = plan.connect.passive;
    r.TrustedFingerprint = plan.connect.acceptFingerprint;
    r.KeyFile = plan.connect.keyFile;
}

std::vector<TransferJob> NewJobs(const Plan& plan, const std::string& password) {
    std::vector<TransferJob> jobs;
    for (const std::string& item : plan.items) {
        TransferJob job;
        TnkFTPRecord& r = job.Record;
        r.Upload = plan.upload;
        r.RemoteFolder = plan.url.path;
        r.ServerHost = plan.url.hostPort;
        r.ServerUser = plan.user;
        r.ServerPassword = password;
        SetRunConnection(r, plan);
        if (plan.upload) {
            r.LocalFile = AbsolutePath(item);
            r.RemoteFile = LocalFileNamePart(item);
            struct stat info {};
            if (::stat(r.LocalFile.c_str(), &info) == 0)
                job.SizeText = std::to_string(info.st_size);
        } else {
            r.RemoteFile = item;
            r.LocalFile = plan.targetFolder + kLocalSeparator + item;
        }
        jobs.push_back(std::move(job));
    }
    return jobs;
}

// Journal jobs carry no password: the URL's when they name its server and login, else the
// configuration file's for the same server and login, else none.
void FillPasswords(std::vector<TransferJob>& jobs, const Plan& plan, const std::string& password) {
    try {
        ConfigTables tables(ConfigRole::MainWindow);
        if (tables.LoadIfExists(ConfigFilePath())) FillJobPasswords(jobs, tables.ConfigSource);
    } catch (const std::exception& e) {
        PrintError(std::string("The configuration file gives no passwords: ") + e.what());
    }
    for (TransferJob& job : jobs)
        if (job.Record.ServerHost == plan.url.hostPort && job.Record.ServerUser == plan.user &&
            job.Record.Protocol == plan.url.protocol) {
            job.Record.ServerPassword = password;
            SetRunConnection(job.Record, plan);
        }
}

int Run(const Plan& plan) {
    TransferQueue queue;
    std::optional<TransferJournal> journal;
    std::vector<TransferJob> kept;
    if (plan.journal) {
        journal.emplace(*plan.journal);
        TransferJournalLoad load = journal->Load();
        if (!load.Error.empty()) PrintError(load.Error);
        if (!load.Jobs.empty() && !plan.resume) {
            const size_t count = load.Jobs.size();
            PrintError("The transfer journal " + *plan.journal + " holds " + std::to_string(count) +
                       (count == 1 ? " unfinished job" : " unfinished jobs") +
                       ": run the command with --resume to run them first");
            return kUsageStatus;
        }
        kept = std::move(load.Jobs);
        journal->OnError = [](const std::string& error) { PrintError(error); };
        journal->Attach(queue);
    }
    const std::string password = PasswordFor(plan.url);
    FillPasswords(kept, plan, password);
    queue.Restore(std::move(kept));
    // A journal that cannot be written would not survive a crash: nothing runs without it.
    if (journal && !journal->LastError().empty()) return 1;
    queue.RetryAllFailed();
    queue.EnqueueTransfer(NewJobs(plan, password));
    if (queue.WaitingCount() == 0) return 0;

    TSimpleFTP ftp;
    ApplyFtpConnectOptions(plan.connect, ftp);
    std::stop_source stop;
    bool anyFailed = false;
    TransferEvents events;
    auto ended = [&] {
        if (queue.WaitingCount() == 0) stop.request_stop();
    };
    events.OnJobFinished = [&](const TransferJob& job) {
        PrintLine("ok " + Shown(job.Caption()));
        ended();
    };
    events.OnJobFailed = [&](const TransferJob& job) {
        anyFailed = true;
        PrintLine("failed " + Shown(job.Caption()) + ": " + Shown(job.Reason));
        ended();
    };
    events.OnReconnecting = [](const TransferJob& job, int attempt, std::chrono::milliseconds) {
        PrintError("The connection was lost during " + Shown(job.Caption()) + ", try " +
                   std::to_string(attempt + 1));
    };
    TransferWorker worker(queue, ftp, events);
    worker.Run(stop.get_token());
    return anyFailed ? 1 : 0;
}
} // namespace

bool IsTransferCommand(const Args& args) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (std::find(kValued.begin(), kValued.end(), arg) != kValued.end()) {
            ++i;
            continue;
        }
        if (arg.rfind("--", 0) == 0) continue;
        return arg == "put-many" || arg == "get-many";
    }
    return false;
}

int RunTransferCommand(const Args& args) {
    Plan plan;
    try {
        plan = ParsePlan(args);
    } catch (const CliError& e) {
        PrintError(e.what());
        PrintError(kUsage);
        return kUsageStatus;
    }
    return Run(plan);
}
