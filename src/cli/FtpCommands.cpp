// ftp ls / get / put / mkdir / rmdir / rm / pwd / rename.
#include "cli/CliCommands.h"
#include "cli/CliSupport.h"
#include "cli/FtpConnectOptions.h"
#include "cli/FtpUrl.h"

#include "core/ftp/CertificateTrust.h"
#include "core/ftp/FtpPaths.h"
#include "core/ftp/RemoteRows.h"
#include "core/ftp/TSimpleFTP.h"
#include "core/storage/Cp1252.h"

#include <cstdio>
#include <sys/stat.h>

using namespace pw;

namespace {
constexpr const char* kUsage =
    "ftp ls URL | get URL LOCAL | put LOCAL URL | mkdir URL | rmdir URL | rm URL | pwd URL | "
    "rename URL NEWNAME [--passive|--active] [--timeout SECONDS] [--accept-fingerprint SHA256] "
    "[--key-file PATH]";

// Server names are bytes: UTF-8 stays as it is, anything else is read as Windows-1252.
std::string NameToUtf8(const std::string& name) {
    return IsValidUtf8(name) ? name : ToUtf8(name);
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? "/" : path.substr(0, slash + 1);
}

struct Session {
    FtpUrl url;
    TSimpleFTP ftp;

    Session(const std::string& urlText, const Options& options) : url(ParseFtpUrl(urlText)) {
        ftp.SilentExceptions = false;
        ftp.SetProtocol(url.protocol);
        ftp.Port = int(url.port);
        ftp.HostName = url.hostPort;
        ftp.UserName = LoginUser(url);
        ftp.Password = url.user.empty() ? "anonymous@" : url.password;
        ApplyFtpConnectOptions(ReadFtpConnectOptions(options), ftp);
        try {
            ftp.Connect();
        } catch (const ECertificateUntrusted& e) {
            // A line a script can read the fingerprint from, to pass it back.
            std::fprintf(stderr, "certificate: fingerprint %s subject %s\n",
                         e.Certificate().Fingerprint.c_str(), e.Certificate().Subject.c_str());
            throw;
        }
    }
};
} // namespace

int RunFtpCommand(const Args& args) {
    const Options options(args, {"--timeout", "--accept-fingerprint", "--key-file"},
                          {"--passive", "--active", "--rows"});
    const auto& pos = options.positional();
    if (pos.empty()) throw CliError(std::string("usage: pagewright-cli ") + kUsage);
    const std::string& command = pos[0];
    ReadFtpConnectOptions(options); // a bad mode or time-out fails before any connect

    if (command == "ls") {
        options.expectPositional(2, "ftp ls URL");
        Session s(pos[1], options);
        s.ftp.ChangeDir(s.url.path);
        if (options.flag("--rows")) {
            // The remote pane's rows: entries collected, then turned into rows once the
            // listing has ended (links are probed with CWD, which cannot run inside it).
            std::vector<TFtpFindData> entries;
            s.ftp.OnFindItem = [&entries](TSimpleFTP&, const TFtpFindData& entry) {
                entries.push_back(entry);
            };
            if (!s.ftp.Refresh()) throw CliError("Error listing " + s.url.path);
            PrintPaneRows(MakeRemoteRows(entries, ShownRemotePath(s.ftp.RemoteDir()), FileTimeNow(),
                                         LinkProbeFor(s.ftp)));
            return 0;
        }
        s.ftp.OnFindItem = [](TSimpleFTP&, const TFtpFindData& entry) {
            if (entry.FileName == "." || entry.FileName == "..") return;
            // One object per line, laid out as {"name": "a.txt", "type": "file", ...}.
            // Appended piece by piece: g++ 12 at -O3 warns (-Wrestrict) about "text" + string.
            std::string text = "{\"name\": ";
            text += nlohmann::json(NameToUtf8(entry.FileName)).dump();
            text += ", \"type\": \"";
            text += entry.IsDirectory() ? "dir" : "file";
            text += "\", \"size\": ";
            text += entry.HasSize() ? std::to_string(entry.FileSize) : std::string("null");
            text += ", \"modified\": ";
            if (entry.HasTime()) {
                text += '"';
                text += FormatDateTime(entry.LastWriteDateTime());
                text += '"';
            } else {
                text += "null";
            }
            text += "}\n";
            std::fwrite(text.data(), 1, text.size(), stdout);
        };
        if (!s.ftp.Refresh()) throw CliError("Error listing " + s.url.path);
        return 0;
    }
    if (command == "get") {
        options.expectPositional(3, "ftp get URL LOCAL");
        Session s(pos[1], options);
        std::string local = pos[2];
        struct stat info {};
        if (::stat(local.c_str(), &info) == 0 && S_ISDIR(info.st_mode))
            local = TSimpleFTP::AddBackslash(local) + s.url.path.substr(s.url.path.rfind('/') + 1);
        s.ftp.Get(s.url.path, local);
        return 0;
    }
    if (command == "put") {
        options.expectPositional(3, "ftp put LOCAL URL");
        Session s(pos[2], options);
        std::string remote = s.url.path;
        if (remote.back() == '/') remote += LocalFileNamePart(pos[1]);
        s.ftp.Put(pos[1], remote);
        return 0;
    }
    if (command == "mkdir" || command == "rmdir" || command == "rm" || command == "pwd") {
        options.expectPositional(2, "ftp mkdir|rmdir|rm|pwd URL");
        Session s(pos[1], options);
        if (command == "mkdir") s.ftp.MakeDir(s.url.path);
        if (command == "rmdir") s.ftp.RemoveDir(s.url.path);
        if (command == "rm") s.ftp.DeleteFile(s.url.path);
        if (command == "pwd") {
            s.ftp.ChangeDir(s.url.path);
            const std::string dir = s.ftp.RemoteDir() + "\n";
            std::fwrite(dir.data(), 1, dir.size(), stdout);
        }
        return 0;
    }
    if (command == "rename") {
        options.expectPositional(3, "ftp rename URL NEWNAME");
        Session s(pos[1], options);
        const std::string& newName = pos[2];
        const std::string target =
            newName.rfind('/', 0) == 0 ? newName : FolderOf(s.url.path) + newName;
        s.ftp.Rename(s.url.path, target);
        return 0;
    }
    throw CliError("unknown ftp command \"" + command +
                   "\" (ls, get, put, mkdir, rmdir, rm, pwd, rename)");
}
