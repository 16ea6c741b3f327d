// Guards: each FTP operation in every data-connection mode, refusals, safe downloads and uploads.
#include "support/FtpServer.h"

#include "core/ftp/FtpErrors.h"
#include "core/ftp/TSimpleFTP.h"
#include "core/ftp/TemporaryUpload.h"

#include <QTemporaryDir>
#include <QtTest>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <thread>

using namespace pw;

namespace {
// "caf\xE9 menu.txt": Windows-1252 bytes, not UTF-8.
const std::string kOddName = "caf\xE9 menu.txt";

std::string Pattern(size_t size) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i)
        bytes[i] = char((i * 7 + i / 251) & 0xff);
    return bytes;
}

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return in ? std::string(std::istreambuf_iterator<char>(in), {}) : "<missing>";
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::vector<std::string> Sorted(std::vector<std::string> names) {
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> LocalNames(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        names.push_back(e.path().filename().string());
    return Sorted(names);
}

struct Served {
    FtpServer server;
    std::string root;
    explicit Served(QStringList args = {}) : server(args) {
        root = server.root().toStdString();
        std::filesystem::create_directories(root + "/sub dir/deeper");
        WriteBytes(root + "/a.txt", "hello");
        WriteBytes(root + "/" + kOddName, Pattern(1234));
        WriteBytes(root + "/sub dir/Report.TXT", Pattern(70000));
    }
};

void Setup(TSimpleFTP& ftp, const FtpServer& server, bool passive = true) {
    ftp.HostName = server.hostName();
    ftp.SetPassive(passive);
    ftp.SetConnectTimeout(10000);
}

// The commands the server received that set up data connections, in order.
QStringList DataConnectionCommands(const FtpServer& server) {
    QStringList verbs;
    for (const QString& command : server.commands()) {
        const QString verb = command.section(' ', 0, 0);
        if (verb == "EPSV" || verb == "PASV" || verb == "EPRT" || verb == "PORT") verbs << verb;
    }
    return verbs;
}
} // namespace

class TestFtpClient : public QObject {
    Q_OBJECT

private slots:
    void operations_data();
    void operations();
    void refusals();
    void downloadsNeverDestroy();
    void dataConnections_data();
    void dataConnections();
    void uploadViaTemporary_data();
    void uploadViaTemporary();
    void rememberedFolder();
};

void TestFtpClient::operations_data() {
    QTest::addColumn<bool>("passive");
    QTest::addColumn<bool>("mlsd");
    QTest::newRow("passive, MLSD") << true << true;
    QTest::newRow("active, MLSD") << false << true;
    QTest::newRow("passive, LIST") << true << false;
    QTest::newRow("active, LIST") << false << false;
}

// Names with blanks and non-ASCII bytes, paths with "..", which reach the server as written.
void TestFtpClient::operations() {
    QFETCH(bool, passive);
    QFETCH(bool, mlsd);
    Served s(mlsd ? QStringList() : QStringList{"--no-mlsd"});
    QVERIFY2(s.server.isRunning(), qPrintable(s.server.errorString()));
    QTemporaryDir local;
    const std::string folder = local.path().toStdString();
    TSimpleFTP ftp;
    Setup(ftp, s.server, passive);
    int connected = 0, changes = 0;
    ftp.OnConnected = [&](TWinInetControl&) { ++connected; };
    ftp.OnDirectoryChange = [&](TSimpleFTP&) { ++changes; };
    QVERIFY(ftp.Connect());
    QVERIFY(ftp.Connect()); // already connected: nothing new is opened
    QCOMPARE(connected, 1);
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
    QCOMPARE(Sorted({list[0].Text, list[1].Text}),
             (std::vector<std::string>{"/sub dir/Report.TXT", "/sub dir/deeper"}));
    QCOMPARE(ftp.ReadDirectory("/sub dir/deeper/..", &list, false), 2);
    TFtpFindData found; // the current folder only, ignoring letter case
    QVERIFY(ftp.FindRemoteFile("/elsewhere/A.TXT", found));
    QCOMPARE(found.FileSize, int64_t(5));
    QVERIFY(!ftp.FindRemoteFile("/sub dir/Report.TXT", found));
    QCOMPARE(ftp.ReadDirectory("/missing/", nullptr, false), 0);
    QVERIFY(!ftp.LastListingSucceeded() && ftp.IsConnected());

    QVERIFY(ftp.ChangeDir("sub dir/"));
    QVERIFY(ftp.ChangeDir("deeper"));
    QVERIFY(ftp.ChangeDir(".."));
    QCOMPARE(ftp.RemoteDir(), std::string("/sub dir"));
    QCOMPARE(changes, 3);

    const std::string content = Pattern(1500000);
    WriteBytes(folder + "/up load.bin", content);
    std::vector<TFTPProgressInfo> progress;
    ftp.OnTransferProgress = [&](TSimpleFTP&, const TFTPProgressInfo& i) { progress.push_back(i); };
    QVERIFY(ftp.Put(folder + "/up load.bin", "/sub dir/deeper/../" + kOddName));
    QCOMPARE(ReadBytes(s.root + "/sub dir/" + kOddName), content);
    QCOMPARE(progress.back().FileName, std::string("up load.bin"));
    QCOMPARE(progress.back().BytesDone, int64_t(content.size()));
    for (const auto& p : progress)
        QVERIFY(p.BytesDone <= p.BytesTotal && p.BytesTotal == int64_t(content.size()));
    QVERIFY(ftp.Get(kOddName, folder + "/down load.bin")); // relative to /sub dir
    QCOMPARE(ReadBytes(folder + "/down load.bin"), content);
    QCOMPARE(progress.back().BytesDone, int64_t(content.size()));
    QVERIFY(ftp.Get("../a.txt", folder + "/a.txt"));
    QCOMPARE(ReadBytes(folder + "/a.txt"), std::string("hello"));
    WriteBytes(s.root + "/empty", "");
    QVERIFY(ftp.Get("/empty", folder + "/empty"));
    QCOMPARE(ReadBytes(folder + "/empty"), std::string());
    ftp.SetTransferType(ttAscii); // LF is CR LF on the wire and back
    WriteBytes(folder + "/lines.txt", "one\ntwo\n");
    QVERIFY(ftp.Put(folder + "/lines.txt", "/lines.txt"));
    QCOMPARE(ReadBytes(s.root + "/lines.txt"), std::string("one\ntwo\n"));
    QVERIFY(ftp.Get("/lines.txt", folder + "/lines back.txt"));
    QCOMPARE(ReadBytes(folder + "/lines back.txt"), std::string("one\ntwo\n"));

    QVERIFY(ftp.MakeDir("/new folder/"));
    QVERIFY(ftp.Rename("/" + kOddName, "/new folder/moved " + kOddName));
    QVERIFY(!ftp.RemoveDir("/new folder")); // not empty
    QVERIFY(ftp.ChangeDir("/new folder"));
    QVERIFY(ftp.Delete("moved " + kOddName)); // resolved against the current folder
    QVERIFY(ftp.RemoveDir("/new folder/"));
    QVERIFY(ftp.DeleteFile("/a.txt"));
    QVERIFY(ftp.ChangeDir("/sub dir"));
    QVERIFY(ftp.MakeDir("C:\\temp\\win dir\\")); // the last part, in the current folder
    QVERIFY(std::filesystem::is_directory(s.root + "/sub dir/win dir"));
    QCOMPARE(LocalNames(s.root), (std::vector<std::string>{"empty", "lines.txt", "sub dir"}));
    QCOMPARE(LocalNames(folder),
             (std::vector<std::string>{"a.txt", "down load.bin", "empty", "lines back.txt",
                                       "lines.txt", "up load.bin"}));
}

// Each refused command: false when silent, else its message; the connection stays.
void TestFtpClient::refusals() {
    Served s;
    QVERIFY(s.server.isRunning());
    QTemporaryDir local;
    const std::string to = local.filePath("x").toStdString();
    TSimpleFTP ftp, idle;
    Setup(ftp, s.server);
    ftp.LocalDir = local.path().toStdString();
    QVERIFY(ftp.Connect());
    QVERIFY(ftp.ChangeDir("/sub dir"));
    const std::string smuggled = "/evil\r\nDELE /sub dir/Report.TXT";
    struct Row {
        bool connected;
        std::function<bool(TSimpleFTP&)> call;
        std::string message;
    };
    const Row rows[] = {
        {true, [](auto& f) { return f.ChangeDir("/none"); }, "Couldn't change to directory /none"},
        {true, [](auto& f) { return f.DeleteFile("/gone"); }, "Error deleting /gone"},
        {true, [](auto& f) { return f.RemoveDir("/gone/"); }, "Error removing directory /gone/"},
        {true, [](auto& f) { return f.MakeDir("/sub dir"); }, "Error creating directory /sub dir"},
        {true, [](auto& f) { return f.Rename("/x", "/y"); }, "Error renaming file from /x to /y"},
        {true, [&](auto& f) { return f.MakeDir(smuggled); },
         "Error creating directory " + smuggled},
        {true, [&](auto& f) { return f.Get("/missing.txt", to); },
         "Error getting /missing.txt to " + to + ": remote file not found"},
        // Looked up ignoring case, but this server's names are case-sensitive.
        {true, [&](auto& f) { return f.Get("/sub dir/report.txt", to); },
         "Error getting /sub dir/report.txt from " + to},
        {true, [&](auto& f) { return f.Put("/no/such/file", "/a"); },
         "Error putting /no/such/file to /a: local file not found"},
        {true, [&](auto& f) { return f.Put(local.path().toStdString(), "/a"); },
         "Error putting " + local.path().toStdString() + " to /a"},
        // Names that would leave the local folder.
        {true, [](auto& f) { return f.GetFile(".."); },
         "Error getting .. from " + ftp.LocalDir.get()},
        {true, [](auto& f) { return f.GetFile("/sub dir/"); },
         "Error getting /sub dir/ from " + ftp.LocalDir.get()},
        {true,
         [](auto& f) {
             f.SetFileSystemType(ftUnknown);
             return f.FileSystemType() != ftUnix;
         },
         "Cannot change file system type when connected"},
        {false, [&](auto& f) { return f.Get("/a", to); }, "Not connected!"},
        {false, [](auto& f) { return f.Put("/etc/hostname", "/a"); }, "Not connected!"},
        {false, [](auto& f) { return f.Rename("/a", "/b"); }, "Not connected!"},
        {false, [](auto& f) { return f.MakeDir("/x"); }, "Not connected!"},
        {false, [](auto& f) { return f.DeleteFile("/x"); }, "Error deleting /x"},
    };
    for (const Row& row : rows) {
        TSimpleFTP& target = row.connected ? ftp : idle;
        target.SilentExceptions = true;
        QVERIFY2(!row.call(target), row.message.c_str());
        target.SilentExceptions = false;
        try {
            row.call(target);
            QFAIL(("no exception: " + row.message).c_str());
        } catch (const ESimpleFTPError& e) {
            QCOMPARE(std::string(e.what()), row.message);
        }
        QCOMPARE(target.IsConnected(), row.connected);
    }
    QCOMPARE(ftp.RemoteDir(), std::string("/sub dir"));
    QCOMPARE(ReadBytes(s.root + "/sub dir/Report.TXT"), Pattern(70000));
    QCOMPARE(LocalNames(local.path().toStdString()), std::vector<std::string>());
    QCOMPARE(idle.ReadDirectory("", nullptr, false), 0);
}

// A failed download leaves the local file as it was and no temporary file beside it.
void TestFtpClient::downloadsNeverDestroy() {
    Served s;
    QVERIFY(s.server.isRunning());
    const std::string longName(250, 'n'); // valid, but the temporary name may not be longer
    WriteBytes(s.root + "/" + longName, "long");
    TSimpleFTP ftp;
    Setup(ftp, s.server);
    QVERIFY(ftp.Connect());
    struct Row {
        std::string remote, local;
        bool existed, failIfExists, ok;
        std::string after;
    };
    const Row rows[] = {
        {"/missing.txt", "a.txt", true, false, false, "mine"},
        {"/sub dir/missing.txt", "a.txt", true, false, false, "mine"},
        {"/no folder/a.txt", "a.txt", true, false, false, "mine"},
        {"/a.txt", "a.txt", true, true, false, "mine"},
        {"/a.txt", "a.txt", false, true, true, "hello"},
        {"/a.txt", "a.txt", true, false, true, "hello"},
        {"/" + longName, longName, true, false, true, "long"},
        {"/missing", longName, true, false, false, "mine"},
        {"/a.txt", "nowhere/a.txt", false, false, false, "<missing>"},
    };
    for (const Row& row : rows) {
        QTemporaryDir local;
        const std::string folder = local.path().toStdString();
        if (row.existed) WriteBytes(folder + "/" + row.local, "mine");
        ftp.FailIfExistsOnGet = row.failIfExists;
        QCOMPARE(ftp.Get(row.remote, folder + "/" + row.local), row.ok);
        QCOMPARE(ReadBytes(folder + "/" + row.local), row.after);
        QCOMPARE(LocalNames(folder),
                 row.after == "<missing>" ? std::vector<std::string>() : std::vector{row.local});
        QVERIFY(ftp.IsConnected());
    }
}

// Passive mode asks EPSV; a server that refuses both EPSV and PASV gets the same request again
// in active mode, and active mode for the rest of the connection. Active never asks passive.
void TestFtpClient::dataConnections_data() {
    QTest::addColumn<bool>("passive");
    QTest::addColumn<bool>("refusesPassive");
    QTest::addColumn<QStringList>("first");  // a listing, a download (with its lookup), an upload
    QTest::addColumn<QStringList>("second"); // a listing on the next connection
    const QStringList epsv{"EPSV"}, eprt{"EPRT"}, refused{"EPSV", "PASV", "EPRT"};
    QTest::newRow("passive") << true << false << epsv + epsv + epsv + epsv << epsv;
    QTest::newRow("active") << false << false << eprt + eprt + eprt + eprt << eprt;
    QTest::newRow("passive refused") << true << true << refused + eprt + eprt + eprt << refused;
    QTest::newRow("active, passive refused") << false << true << eprt + eprt + eprt + eprt << eprt;
}

void TestFtpClient::dataConnections() {
    QFETCH(bool, passive);
    QFETCH(bool, refusesPassive);
    QFETCH(QStringList, first);
    QFETCH(QStringList, second);
    FtpServer server(refusesPassive ? QStringList{"--no-passive"} : QStringList());
    QVERIFY2(server.isRunning(), qPrintable(server.errorString()));
    const std::string root = server.root().toStdString();
    WriteBytes(root + "/a.txt", Pattern(70000));
    QTemporaryDir local;
    const std::string folder = local.path().toStdString();
    WriteBytes(folder + "/up.bin", Pattern(50000));
    TSimpleFTP ftp;
    Setup(ftp, server, passive);
    QVERIFY(ftp.Connect());
    QVERIFY(ftp.Refresh());
    QVERIFY(ftp.Get("/a.txt", folder + "/a.txt"));
    QCOMPARE(ReadBytes(folder + "/a.txt"), Pattern(70000));
    QVERIFY(ftp.Put(folder + "/up.bin", "/up.bin"));
    QCOMPARE(ReadBytes(root + "/up.bin"), Pattern(50000));
    QCOMPARE(DataConnectionCommands(server), first);
    QVERIFY(ftp.Disconnect());
    QVERIFY(ftp.Connect());
    TDirList list;
    QCOMPARE(ftp.ReadDirectory("", &list, false), 2);
    QCOMPARE(DataConnectionCommands(server).mid(first.size()), second);
}

void TestFtpClient::uploadViaTemporary_data() {
    QTest::addColumn<QStringList>("serverArgs");
    QTest::addColumn<bool>("killed");
    QTest::addColumn<bool>("silent");
    QTest::newRow("renamed over the target") << QStringList() << false << true;
    QTest::newRow("rename refused: direct upload") << QStringList{"--no-rename"} << false << false;
    QTest::newRow("server killed mid-upload") << QStringList{"--throttle", "50000"} << true << true;
    QTest::newRow("server killed, exceptions")
        << QStringList{"--throttle", "50000"} << true << false;
}

void TestFtpClient::uploadViaTemporary() {
    QFETCH(QStringList, serverArgs);
    QFETCH(bool, killed);
    QFETCH(bool, silent);
    FtpServer server(serverArgs);
    QVERIFY2(server.isRunning(), qPrintable(server.errorString()));
    QVERIFY(server.writeFile("www/index.html", "old page"));
    QTemporaryDir local;
    const std::string file = local.filePath("index.html").toStdString();
    const std::string page = Pattern(killed ? 400000 : 3000);
    WriteBytes(file, page);
    TSimpleFTP ftp;
    Setup(ftp, server);
    ftp.SilentExceptions = silent;
    QVERIFY(ftp.Connect());
    if (killed) {
        std::thread killer([&] {
            while (server.commands().filter("STOR").isEmpty())
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            server.kill();
        });
        bool ok = true, thrown = false;
        try {
            ok = PutViaTemporary(ftp, file, "/www/index.html");
        } catch (const std::exception&) {
            thrown = true;
        }
        killer.join();
        QVERIFY(thrown ? !silent : !ok);
        QCOMPARE(server.readFile("www/index.html"), QByteArray("old page"));
        return;
    }
    QVERIFY(PutViaTemporary(ftp, file, "/www/index.html"));
    QCOMPARE(server.readFile("www/index.html").toStdString(), page);
    QVERIFY(!QFile::exists(server.path("www/.index.html.upload")));
    // The page never goes out under its own name unless the server refuses the rename.
    const QStringList stores = server.commands().filter("STOR");
    QCOMPARE(stores.size(), serverArgs.isEmpty() ? 1 : 2);
    QCOMPARE(stores.first(), QStringLiteral("STOR /www/.index.html.upload"));
}

// The folder the server named is remembered: transfers by name ask no PWD of their own, a
// change of folder asks it once in the same request; the stored folder is entered again at
// the next login, and a refused one is not taken for the current one.
void TestFtpClient::rememberedFolder() {
    Served s;
    QVERIFY(s.server.isRunning());
    QTemporaryDir local;
    TSimpleFTP ftp;
    Setup(ftp, s.server);
    ftp.LocalDir = local.path().toStdString();
    QVERIFY(ftp.Connect());
    qsizetype mark = s.server.commands().size();
    QVERIFY(ftp.GetFile("a.txt"));
    QCOMPARE(ftp.RemoteDir(), std::string("/"));
    QStringList sent = s.server.commands().mid(mark);
    QVERIFY2(sent.contains("RETR /a.txt") && !sent.contains("PWD"), qPrintable(sent.join(", ")));

    mark = s.server.commands().size();
    QVERIFY(ftp.ChangeDir("sub dir/deeper/.."));
    QCOMPARE(ftp.RemoteDir(), std::string("/sub dir"));
    QVERIFY(ftp.GetFile("Report.TXT"));
    QVERIFY(ftp.PutFile("a.txt"));
    QVERIFY(ftp.PutFile(local.filePath("a.txt").toStdString()));
    sent = s.server.commands().mid(mark);
    QCOMPARE(sent.mid(0, 2), (QStringList{"CWD sub dir/deeper/..", "PWD"}));
    QCOMPARE(sent.count("PWD"), 1);
    QCOMPARE(sent.count("STOR /sub dir/a.txt"), 2);
    QCOMPARE(ReadBytes(local.filePath("Report.TXT").toStdString()), Pattern(70000));
    QCOMPARE(ReadBytes(s.root + "/sub dir/a.txt"), std::string("hello"));

    QVERIFY(!ftp.ChangeDir("/missing"));
    QCOMPARE(ftp.RemoteDir(), std::string("/sub dir"));
    QVERIFY(ftp.Disconnect());
    QCOMPARE(ftp.RemoteDir(), std::string("sub dir/deeper/..")); // as it was passed
    QVERIFY(ftp.Connect());
    QCOMPARE(ftp.RemoteDir(), std::string("/sub dir"));
    QVERIFY(ftp.Disconnect());
    QVERIFY(ftp.ChangeDir("/missing")); // stored now, refused at the next login
    QVERIFY(ftp.Connect());
    QCOMPARE(ftp.RemoteDir(), std::string("/"));
}

QTEST_GUILESS_MAIN(TestFtpClient)
#include "test_ftp_client.moc"
