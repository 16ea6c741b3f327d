// Guards: each FTP operation in every data-connection mode, refusals, safe downloads and uploads.
#include "support/FtpServer.h"
#include "support/LocalFiles.h"

#include "core/ftp/FtpErrors.h"
#include "core/ftp/TSimpleFTP.h"
#include "core/ftp/TemporaryUpload.h"

#include <QtTest>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <thread>

using namespace pw;

namespace {
const std::string kOddName = "caf\xE9 menu.txt"; // Windows-1252 bytes, not UTF-8

const auto Bytes = [](int size) { return Pattern(size).toStdString(); };

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return in ? std::string(std::istreambuf_iterator<char>(in), {}) : "<missing>";
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::set<std::string> LocalNames(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        names.insert(e.path().filename().string());
    return names;
}

// A server with a.txt, an oddly named file, "sub dir/Report.TXT" and "sub dir/deeper/".
struct Served {
    FtpServer server;
    std::string root = server.root().toStdString();
    TSimpleFTP ftp;
    explicit Served(QStringList args = {}, bool passive = true) : server(args) {
        std::filesystem::create_directories(root + "/sub dir/deeper");
        WriteBytes(root + "/a.txt", "hello");
        WriteBytes(root + "/" + kOddName, Bytes(1234));
        WriteBytes(root + "/sub dir/Report.TXT", Bytes(70000));
        ftp.HostName = server.hostName();
        ftp.SetPassive(passive);
        ftp.SetConnectTimeout(10000);
    }
};
} // namespace

class TestFtpClient : public QObject {
    Q_OBJECT

private slots:
    void operations_data();
    void operations();
    void refusals();
    void uploadViaTemporary_data();
    void uploadViaTemporary();
};

// Passive mode asks EPSV; a server that refuses both EPSV and PASV gets the same request again
// in active mode, and active mode for the rest of the connection. Active never asks passive.
void TestFtpClient::operations_data() {
    QTest::addColumn<bool>("passive");
    QTest::addColumn<QStringList>("serverArgs");
    QTest::addColumn<QString>("dataCommands"); // a pattern; the last is the next connection's
    const QStringList refused{"--no-passive"};
    QTest::newRow("passive, MLSD") << true << QStringList() << "^EPSV(,EPSV)*$";
    QTest::newRow("active, LIST") << false << QStringList{"--no-mlsd"} << "^EPRT(,EPRT)*$";
    QTest::newRow("passive refused") << true << refused << "^EPSV,PASV(,EPRT)+,EPSV,PASV,EPRT$";
    QTest::newRow("active, passive refused") << false << refused << "^EPRT(,EPRT)*$";
}

// Names with blanks and non-ASCII bytes, and paths with "..", reach the server as written. The
// folder the server named is remembered: no PWD of its own for a transfer by name, one in the
// change of folder's request; the next login enters it again unless it is refused.
void TestFtpClient::operations() {
    QFETCH(bool, passive);
    QFETCH(QStringList, serverArgs);
    QFETCH(QString, dataCommands);
    Served s(serverArgs, passive);
    QVERIFY2(s.server.isRunning(), qPrintable(s.server.errorString()));
    QTemporaryDir local;
    const std::string folder = local.path().toStdString();
    TSimpleFTP& ftp = s.ftp;
    ftp.LocalDir = folder;
    int changes = 0;
    ftp.OnDirectoryChange = [&](TSimpleFTP&) { ++changes; };
    QVERIFY(ftp.Connect() && ftp.Connect()); // already connected: nothing new is opened
    QCOMPARE(std::string(ftp.LastResponse), std::string("230 Login successful."));

    std::map<std::string, TFtpFindData> seen;
    ftp.OnFindItem = [&](TSimpleFTP&, const TFtpFindData& e) { seen[e.FileName] = e; };
    QVERIFY(ftp.Refresh());
    QCOMPARE(seen.size(), size_t(3));
    QCOMPARE(seen[kOddName].FileSize, int64_t(1234));
    QVERIFY(!seen[kOddName].IsDirectory() && seen["sub dir"].IsDirectory());
    seen.clear();
    TDirList list; // a list of full paths fires no event
    QCOMPARE(ftp.ReadDirectory("/sub dir/", &list, true), 2);
    QVERIFY(seen.empty());
    const auto [low, high] = std::minmax(list[0].Text, list[1].Text);
    QCOMPARE(low + "|" + high, std::string("/sub dir/Report.TXT|/sub dir/deeper"));
    TFtpFindData found; // the current folder only, ignoring letter case
    QVERIFY(ftp.FindRemoteFile("/elsewhere/A.TXT", found) && found.FileSize == 5);
    QVERIFY(!ftp.FindRemoteFile("/sub dir/Report.TXT", found));
    QCOMPARE(ftp.ReadDirectory("/missing/", nullptr, false), 0);
    QVERIFY(!ftp.LastListingSucceeded() && ftp.IsConnected());

    const qsizetype mark = s.server.commands().size();
    QVERIFY(ftp.GetFile("a.txt"));
    QCOMPARE(ftp.RemoteDir(), std::string("/"));
    QVERIFY(ftp.ChangeDir("sub dir/deeper/../"));
    QCOMPARE(ftp.RemoteDir(), std::string("/sub dir"));
    QCOMPARE(changes, 1);
    QVERIFY(ftp.GetFile("Report.TXT") && ftp.PutFile("a.txt"));
    QVERIFY(ftp.PutFile(local.filePath("a.txt").toStdString()));
    const QStringList sent = s.server.commands().mid(mark);
    QVERIFY2(sent.contains("RETR /a.txt") && sent.count("PWD") == 1, qPrintable(sent.join(",")));
    QCOMPARE(sent.mid(sent.indexOf("PWD") - 1, 2), (QStringList{"CWD sub dir/deeper/..", "PWD"}));
    QCOMPARE(sent.count("STOR /sub dir/a.txt"), 2);
    QCOMPARE(ReadBytes(folder + "/Report.TXT"), Bytes(70000));
    QCOMPARE(ReadBytes(s.root + "/sub dir/a.txt"), std::string("hello"));

    const std::string content = Bytes(1500000);
    WriteBytes(folder + "/up load.bin", content);
    std::vector<TFTPProgressInfo> progress;
    ftp.OnTransferProgress = [&](TSimpleFTP&, const TFTPProgressInfo& i) { progress.push_back(i); };
    QVERIFY(ftp.Put(folder + "/up load.bin", "/sub dir/deeper/../" + kOddName));
    QCOMPARE(ReadBytes(s.root + "/sub dir/" + kOddName), content);
    QCOMPARE(progress.back().FileName + std::to_string(progress.back().BytesDone),
             "up load.bin1500000");
    for (const auto& p : progress)
        QVERIFY(p.BytesDone <= p.BytesTotal && p.BytesTotal == int64_t(content.size()));
    QVERIFY(ftp.Get(kOddName, folder + "/down load.bin")); // relative to /sub dir
    QCOMPARE(ReadBytes(folder + "/down load.bin"), content);
    WriteBytes(s.root + "/empty", "");
    QVERIFY(ftp.Get("../a.txt", folder + "/a.txt") && ftp.Get("/empty", folder + "/empty"));
    QCOMPARE(ReadBytes(folder + "/a.txt") + "|" + ReadBytes(folder + "/empty"), "hello|");
    ftp.SetTransferType(ttAscii); // LF is CR LF on the wire and back
    WriteBytes(folder + "/lines.txt", "one\ntwo\n");
    QVERIFY(ftp.Put(folder + "/lines.txt", "/lines.txt") &&
            ftp.Get("/lines.txt", folder + "/back.txt"));
    QCOMPARE(ReadBytes(s.root + "/lines.txt") + ReadBytes(folder + "/back.txt"),
             std::string("one\ntwo\none\ntwo\n"));

    QVERIFY(ftp.MakeDir("/new folder/"));
    QVERIFY(ftp.Rename("/" + kOddName, "/new folder/moved " + kOddName));
    QVERIFY(!ftp.RemoveDir("/new folder")); // not empty
    // A bare name is resolved against the current folder.
    QVERIFY(ftp.ChangeDir("/new folder") && ftp.Delete("moved " + kOddName));
    QVERIFY(ftp.RemoveDir("/new folder/") && ftp.DeleteFile("/a.txt"));
    QVERIFY(ftp.ChangeDir("/sub dir/deeper/.."));
    QVERIFY(ftp.MakeDir("C:\\temp\\win dir\\")); // the last part, in the current folder
    QVERIFY(std::filesystem::is_directory(s.root + "/sub dir/win dir"));
    QCOMPARE(LocalNames(s.root), (std::set<std::string>{"empty", "lines.txt", "sub dir"}));

    QVERIFY(!ftp.ChangeDir("/missing") && ftp.RemoteDir() == "/sub dir");
    QVERIFY(ftp.Disconnect());
    QCOMPARE(ftp.RemoteDir(), std::string("/sub dir/deeper/..")); // as it was passed
    QVERIFY(ftp.Connect() && ftp.RemoteDir() == "/sub dir");
    QVERIFY(ftp.Disconnect() && ftp.ChangeDir("/missing")); // stored, refused at the next login
    QVERIFY(ftp.Connect() && ftp.Refresh());
    QCOMPARE(ftp.RemoteDir(), std::string("/"));
    QStringList verbs = s.server.commands().filter(QRegularExpression("^(EPSV|PASV|EPRT|PORT)"));
    verbs.replaceInStrings(QRegularExpression(" .*"), "");
    QVERIFY2(QRegularExpression(dataCommands).match(verbs.join(',')).hasMatch(),
             qPrintable(verbs.join(',')));
}

// Each refused command: false when silent, else its message; the connection stays.
void TestFtpClient::refusals() {
    Served s;
    QVERIFY(s.server.isRunning());
    QTemporaryDir local;
    const std::string folder = local.path().toStdString(), to = folder + "/x";
    TSimpleFTP& ftp = s.ftp;
    TSimpleFTP idle;
    ftp.LocalDir = folder;
    QVERIFY(ftp.Connect() && ftp.ChangeDir("/sub dir"));
    const std::string smuggled = "/evil\r\nDELE /sub dir/Report.TXT";
    const std::string getting = "Error getting ", dir = "Error creating directory ";
    const std::pair<std::function<bool(TSimpleFTP&)>, std::string> rows[] = {
        {[](auto& f) { return f.ChangeDir("/none"); }, "Couldn't change to directory /none"},
        {[](auto& f) { return f.DeleteFile("/gone"); }, "Error deleting /gone"},
        {[](auto& f) { return f.RemoveDir("/gone/"); }, "Error removing directory /gone/"},
        {[](auto& f) { return f.MakeDir("/sub dir"); }, dir + "/sub dir"},
        {[](auto& f) { return f.Rename("/x", "/y"); }, "Error renaming file from /x to /y"},
        {[&](auto& f) { return f.MakeDir(smuggled); }, dir + smuggled},
        {[&](auto& f) { return f.Get("/missing.txt", to); },
         getting + "/missing.txt to " + to + ": remote file not found"},
        {[&](auto& f) { return f.Get("/sub dir/report.txt", to); }, // found ignoring case
         getting + "/sub dir/report.txt from " + to},
        {[&](auto& f) { return f.Put("/no/such/file", "/a"); },
         "Error putting /no/such/file to /a: local file not found"},
        {[&](auto& f) { return f.Put(folder, "/a"); }, "Error putting " + folder + " to /a"},
        {[&](auto& f) { return f.Put(s.root + "/a.txt", "/no dir/a"); },
         "Error putting " + s.root + "/a.txt to /no dir/a"},
        // Names that would leave the local folder.
        {[](auto& f) { return f.GetFile(".."); }, getting + ".. from " + folder},
        {[](auto& f) { return f.GetFile("/sub dir/"); }, getting + "/sub dir/ from " + folder},
        {[](auto& f) { return f.SetFileSystemType(ftUnknown), f.FileSystemType() != ftUnix; },
         "Cannot change file system type when connected"},
        {[&](auto& f) { return f.Get("/a", to); }, "Not connected!"},
        {[](auto& f) { return f.Put("/etc/hostname", "/a"); }, "Not connected!"},
        {[](auto& f) { return f.Rename("/a", "/b"); }, "Not connected!"},
        {[](auto& f) { return f.MakeDir("/x"); }, "Not connected!"},
    };
    for (const auto& [call, message] : rows) {
        TSimpleFTP& target = message == "Not connected!" ? idle : ftp;
        target.SilentExceptions = false;
        try {
            call(target);
            QFAIL(("no exception: " + message).c_str());
        } catch (const ESimpleFTPError& e) {
            QCOMPARE(std::string(e.what()), message);
        }
        target.SilentExceptions = true;
        QVERIFY2(!call(target), message.c_str());
        QCOMPARE(target.IsConnected(), &target == &ftp);
    }
    QCOMPARE(ftp.RemoteDir(), std::string("/sub dir"));
    QCOMPARE(ReadBytes(s.root + "/sub dir/Report.TXT"), Bytes(70000));
    QVERIFY(LocalNames(folder).empty());
    QCOMPARE(idle.ReadDirectory("", nullptr, false), 0);

    // A failed download leaves the local file as it was and no temporary file beside it.
    const std::string longName(250, 'n'); // valid, but the temporary name may not be longer
    WriteBytes(s.root + "/" + longName, "long");

    struct Row {
        std::string remote, local;
        bool existed, failIfExists, ok;
        std::string after;
    };
    const Row downloads[] = {
        {"/missing.txt", "a.txt", true, false, false, "mine"},
        {"/no folder/a.txt", "a.txt", true, false, false, "mine"},
        {"/a.txt", "a.txt", true, true, false, "mine"},
        {"/a.txt", "a.txt", false, true, true, "hello"},
        {"/a.txt", "a.txt", true, false, true, "hello"},
        {"/" + longName, longName, true, false, true, "long"},
        {"/missing", longName, true, false, false, "mine"},
        {"/a.txt", "nowhere/a.txt", false, false, false, "<missing>"},
    };
    for (const Row& row : downloads) {
        QTemporaryDir fresh;
        const std::string into = fresh.path().toStdString();
        if (row.existed) WriteBytes(into + "/" + row.local, "mine");
        s.ftp.FailIfExistsOnGet = row.failIfExists;
        QCOMPARE(s.ftp.Get(row.remote, into + "/" + row.local), row.ok);
        QCOMPARE(ReadBytes(into + "/" + row.local), row.after);
        QCOMPARE(LocalNames(into),
                 row.after == "<missing>" ? std::set<std::string>() : std::set{row.local});
        QVERIFY(s.ftp.IsConnected());
    }
}

// The page goes up under a temporary name and is renamed over the old one; a server that
// refuses the rename gets it under its own name; one that dies mid-upload keeps the old page.
void TestFtpClient::uploadViaTemporary_data() {
    QTest::addColumn<QStringList>("serverArgs");
    QTest::newRow("renamed over the target") << QStringList();
    QTest::newRow("rename refused: direct upload") << QStringList{"--no-rename"};
    QTest::newRow("server killed mid-upload") << QStringList{"--throttle", "50000"};
}

void TestFtpClient::uploadViaTemporary() {
    QFETCH(QStringList, serverArgs);
    const bool killed = serverArgs.contains("--throttle");
    Served s(serverArgs);
    QVERIFY(s.server.isRunning() && s.server.writeFile("www/index.html", "old page"));
    QTemporaryDir local;
    const std::string file = local.filePath("index.html").toStdString();
    const std::string page = Bytes(killed ? 400000 : 3000);
    WriteBytes(file, page);
    s.ftp.SilentExceptions = killed;
    QVERIFY(s.ftp.Connect());
    std::thread killer([&] {
        while (killed && s.server.commands().filter("STOR").isEmpty())
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (killed) s.server.kill();
    });
    const bool ok = PutViaTemporary(s.ftp, file, "/www/index.html");
    killer.join();
    QCOMPARE(ok, !killed);
    QCOMPARE(s.server.readFile("www/index.html").toStdString(), killed ? "old page" : page);
    if (killed) return;
    QVERIFY(!QFile::exists(s.server.path("www/.index.html.upload")));
    const QStringList stores = s.server.commands().filter("STOR");
    QCOMPARE(stores.size(), serverArgs.isEmpty() ? 1 : 2);
    QCOMPARE(stores.first(), QStringLiteral("STOR /www/.index.html.upload"));
}

QTEST_GUILESS_MAIN(TestFtpClient)
#include "test_ftp_client.moc"
