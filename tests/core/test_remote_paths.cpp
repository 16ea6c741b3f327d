// Guards: remote folders resolved against the current one, SFTP URLs and quoted arguments,
// the folder walk and MDTM times.
#include "core/ftp/FtpFindData.h"
#include "core/ftp/FtpPaths.h"
#include "core/ftp/SftpPaths.h"

#include "support/TableRows.h"

#include <QtTest>

using namespace pw;

namespace {
// clang-format off
const struct { const char *name, *current, *path, *resolved; } kResolve[] = {
    {"relative", "/a", "b", "/a/b"}, {"absolute wins", "/a", "/c/d", "/c/d"},
    {"empty is current", "/a/b", "", "/a/b"}, {"dot and slashes", "/a", "./b//c/", "/a/b/c"},
    {"up", "/a/b", "../c", "/a/c"}, {"up to the top", "/a", "..", "/"},
    {"above the top stays", "/", "../../x", "/x"}, {"dots in names", "/", "..a/b..", "/..a/b.."},
    {"top", "/", "/", "/"}};
// libcurl reads "/~/" as the home folder: a top folder named "~" goes as "//~".
const struct { const char *name, *path; bool directory; const char* url; } kUrls[] = {
    {"file", "/a b/c.txt", false, "sftp://h:22/a%20b/c.txt"},
    {"folder gets a slash", "/a", true, "sftp://h:22/a/"}, {"top folder", "/", true, "sftp://h:22/"},
    {"a folder named ~", "/~/x", false, "sftp://h:22/%2F~/x"}};
const struct { const char *name, *path, *argument; } kArguments[] = {
    {"plain", "/a b", "\"/a b\""}, {"quote", "/a\"b", "\"/a\\\"b\""},
    {"backslash", "/a\\b", "\"/a\\\\b\""}, {"both ends", "\"x\\", "\"\\\"x\\\\\""}};
const struct { const char* name; const char* path; QStringList chain; } kChains[] = {
    {"top", "/", {}}, {"one", "/a", {"/a"}}, {"trailing slash", "/a/b/", {"/a", "/a/b"}},
    {"doubled slash", "/a//b", {"/a", "/a//b"}}};
const struct { const char *name, *reply, *time; } kMdtm[] = { // "" for no time
    {"plain", "213 20261208094332", "2026/12/08 09:43:32"},
    {"fraction", "213 19991231235959.123", "1999/12/31 23:59:59"},
    {"first of the year", "213 20000101000000", "2000/01/01 00:00:00"},
    {"month 13", "213 20261308094332", ""}, {"month 0", "213 20260008094332", ""},
    {"hour 24", "213 20261208244332", ""}, {"short", "213 2026120809433", ""},
    // '/' and ':' are the characters on either side of the digits; read as digits they
    // would make 09:43:29 and 09:43:40.
    {"/ in a digit", "213 2026120809433/", ""}, {": in a digit", "213 2026120809433:", ""},
    {"trailing junk", "213 20261208094332x", ""},
    {"refused", "550 20261208094332", ""}};
// clang-format on
} // namespace

class TestRemotePaths : public QObject {
    Q_OBJECT
private slots:
    void resolve_data() { addRows(kResolve); }
    void resolve() {
        const auto& r = kResolve[fetchedRow()];
        QCOMPARE(ResolveRemotePath(r.current, r.path), std::string(r.resolved));
    }
    void sftpUrl_data() { addRows(kUrls); }
    void sftpUrl() {
        const auto& r = kUrls[fetchedRow()];
        QCOMPARE(SftpUrl("sftp://h:22/", r.path, r.directory), std::string(r.url));
    }
    void quotedArgument_data() { addRows(kArguments); }
    void quotedArgument() {
        const auto& r = kArguments[fetchedRow()];
        QCOMPARE(SftpArgument(r.path), std::string(r.argument));
    }
    void folderChain_data() { addRows(kChains); }
    void folderChain() {
        const auto& r = kChains[fetchedRow()];
        QStringList got;
        for (const std::string& folder : FolderChain(r.path))
            got << QString::fromStdString(folder);
        QCOMPARE(got, r.chain);
    }
    void mdtm_data() { addRows(kMdtm); }
    void mdtm() {
        const auto& r = kMdtm[fetchedRow()];
        TFtpFindData entry;
        entry.LastWriteTime = ParseMdtmReply(r.reply);
        QCOMPARE(entry.TimeText(), std::string(r.time));
    }
};

QTEST_GUILESS_MAIN(TestRemotePaths)
#include "test_remote_paths.moc"
