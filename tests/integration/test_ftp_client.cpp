// Every operation of the FTP client against a real server, in active and passive mode, with
// and without MLSD, with names that hold blanks and non-ASCII bytes; the commands that open
// data connections, also against a server that refuses passive mode; uploads under a
// temporary name that never leave half a file in the target's place.
#include "support/FtpServer.h"

#include "core/ftp/FtpErrors.h"
#include "core/ftp/TSimpleFTP.h"
#include "core/ftp/TemporaryUpload.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtTest>

#include <filesystem>
#include <fstream>
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
    if (!in) return "<missing>";
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::vector<std::string> LocalNames(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

struct Served {
    FtpServer server;
    std::string root;
    explicit Served(bool mlsd) : server(mlsd ? QStringList() : QStringList{"--no-mlsd"}) {
        root = server.root().toStdString();
        std::filesystem::create_directories(root + "/sub dir/deeper");
        WriteBytes(root + "/a.txt", "hello");
        WriteBytes(root + "/" + kOddName, Pattern(1234));
        WriteBytes(root + "/sub dir/Report.TXT", Pattern(70000));
    }
};

void AddModes() {
    QTest::addColumn<bool>("passive");
    QTest::addColumn<bool>("mlsd");
    QTest::newRow("passive, MLSD") << true << true;
    QTest::newRow("active, MLSD") << false << true;
    QTest::newRow("passive, LIST") << true << false;
    QTest::newRow("active, LIST") << false << false;
}

void Setup(TSimpleFTP& ftp, const FtpServer& server, bool passive) {
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
    void listing_data() { AddModes(); }
    void listing();
    void directories_data() { AddModes(); }
    void directories();
    void transfers_data() { AddModes(); }
    void transfers();
    void downloadNeverDestroys_data() { AddModes(); }
    void downloadNeverDestroys();
    void fileCommands_data() { AddModes(); }
    void fileCommands();
    void dotSegments_data() { AddModes(); }
    void dotSegments();
    void dataConnections_data();
    void dataConnections();
    void passiveWithoutDelay();
    void uploadViaTemporary_data();
    void uploadViaTemporary();
    void longLocalName();
    void singleNames();
    void rememberedFolder();
    void notConnected();
};

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
    Setup(ftp, server, true);
    ftp.SilentExceptions = silent;
    QVERIFY(ftp.Connect());
    QCOMPARE(UploadTemporaryPath("/www/index.html"), std::string("/www/.index.html.upload"));

    if (killed) {
        std::thread killer([&] {
            while (server.commands().filter("STOR").isEmpty())
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            server.kill();
        });
        bool ok = true;
        try {
            ok = PutViaTemporary(ftp, file, "/www/index.html");
        } catch (const std::exception&) {
            ok = false;
            QVERIFY(!silent);
        }
        killer.join();
        QVERIFY(!ok);
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

void TestFtpClient::listing() {
    QFETCH(bool, passive);
    QFETCH(bool, mlsd);
    Served s(mlsd);
    QVERIFY2(s.server.isRunning(), qPrintable(s.server.errorString()));
    TSimpleFTP ftp;
    Setup(ftp, s.server, passive);
    int connected = 0;
    ftp.OnConnected = [&](TWinInetControl&) { ++connected; };
    QVERIFY(ftp.Connect());
    QCOMPARE(connected, 1);
    QCOMPARE(ftp.State(), wisConnected);
    QCOMPARE(std::string(ftp.LastResponse), std::string("230 Login successful."));
    QVERIFY(ftp.Connect()); // already connected: nothing new is opened
    QCOMPARE(connected, 1);

    std::map<std::string, TFtpFindData> seen;
    ftp.OnFindItem = [&](TSimpleFTP&, const TFtpFindData& e) { seen[e.FileName] = e; };
    QVERIFY(ftp.Refresh());
    QCOMPARE(seen.size(), size_t(3));
    QVERIFY(seen.count(kOddName));
    QCOMPARE(seen[kOddName].FileSize, int64_t(1234));
    QVERIFY(!seen[kOddName].IsDirectory());
    QVERIFY(seen["sub dir"].IsDirectory());
    QCOMPARE(seen["a.txt"].FileSize, int64_t(5));
    // The time stamp is today's (in UTC), give or take the test's run time.
    const double now =
        std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count() /
            86400.0 +
        25569.0;
    QVERIFY(std::abs(seen["a.txt"].LastWriteDateTime() - now) < 0.01);

    // A listing into a list of full paths fires no event.
    seen.clear();
    TDirList list;
    QCOMPARE(ftp.ReadDirectory("/sub dir/", &list, true), 2);
    QVERIFY(seen.empty());
    std::vector<std::string> texts;
    for (const auto& line : list)
        texts.push_back(line.Text);
    std::sort(texts.begin(), texts.end());
    QCOMPARE(texts, (std::vector<std::string>{"/sub dir/Report.TXT", "/sub dir/deeper"}));

    // Into DirList: events fire as well.
    QCOMPARE(ftp.ReadDirectory("", &ftp.DirList, false), 3);
    QCOMPARE(seen.size(), size_t(3));

    // FindRemoteFile looks in the current folder only, ignoring letter case.
    TFtpFindData found;
    QVERIFY(ftp.FindRemoteFile("/elsewhere/A.TXT", found));
    QCOMPARE(found.FileName, std::string("a.txt"));
    QCOMPARE(found.FileSize, int64_t(5));
    QVERIFY(!ftp.FindRemoteFile("/sub dir/Report.TXT", found));

    // A folder that does not exist gives nothing and keeps the connection.
    QCOMPARE(ftp.ReadDirectory("/missing/", nullptr, false), 0);
    QVERIFY(!ftp.LastListingSucceeded());
    QVERIFY(ftp.IsConnected());
    QVERIFY(ftp.Refresh());
}

void TestFtpClient::directories() {
    QFETCH(bool, passive);
    QFETCH(bool, mlsd);
    Served s(mlsd);
    QVERIFY(s.server.isRunning());
    TSimpleFTP ftp;
    Setup(ftp, s.server, passive);
    int changes = 0;
    ftp.OnDirectoryChange = [&](TSimpleFTP&) { ++changes; };
    QVERIFY(ftp.Connect());
    QCOMPARE(ftp.RemoteDir(), std::string("/"));
    QVERIFY(ftp.ChangeDir("sub dir/"));
    QCOMPARE(ftp.RemoteDir(), std::string("/sub dir"));
    QVERIFY(ftp.ChangeDir("deeper"));
    QVERIFY(ftp.ChangeDir(".."));
    QCOMPARE(ftp.RemoteDir(), std::string("/sub dir"));
    QCOMPARE(changes, 3);

    // A folder that does not exist: false, the current one stays, the connection too.
    QVERIFY(!ftp.ChangeDir("/no such folder"));
    QCOMPARE(ftp.RemoteDir(), std::string("/sub dir"));
    QVERIFY(ftp.IsConnected());
    ftp.SilentExceptions = false;
    QVERIFY_THROWS_EXCEPTION(ESimpleFTPError, ftp.ChangeDir("/no such folder"));
    ftp.SilentExceptions = true;

    // The stored folder is applied again at the next connect ("..", as it was passed).
    QVERIFY(ftp.ChangeDir("/sub dir/deeper"));
    QVERIFY(ftp.Disconnect());
    QCOMPARE(ftp.State(), wisClosed);
    QCOMPARE(ftp.RemoteDir(), std::string("/sub dir/deeper"));
    QVERIFY(ftp.Connect());
    QCOMPARE(ftp.RemoteDir(), std::string("/sub dir/deeper"));

    // The file system type cannot change while connected.
    ftp.SetFileSystemType(ftUnknown);
    QCOMPARE(ftp.FileSystemType(), ftUnix);
    ftp.SilentExceptions = false;
    QVERIFY_THROWS_EXCEPTION(ESimpleFTPError, ftp.SetFileSystemType(ftUnknown));
    ftp.SilentExceptions = true;

    // A folder set while disconnected is entered at connect time.
    QVERIFY(ftp.Disconnect());
    QVERIFY(ftp.ChangeDir("/sub dir"));
    QVERIFY(ftp.Connect());
    QCOMPARE(ftp.RemoteDir(), std::string("/sub dir"));
}

void TestFtpClient::transfers() {
    QFETCH(bool, passive);
    QFETCH(bool, mlsd);
    Served s(mlsd);
    QVERIFY(s.server.isRunning());
    QTemporaryDir local;
    const std::string folder = local.path().toStdString();
    const std::string content = Pattern(1500000);
    WriteBytes(folder + "/up load.bin", content);

    TSimpleFTP ftp;
    Setup(ftp, s.server, passive);
    std::vector<TFTPProgressInfo> progress;
    ftp.OnTransferProgress = [&](TSimpleFTP&, const TFTPProgressInfo& i) { progress.push_back(i); };
    QVERIFY(ftp.Connect());

    QVERIFY(ftp.Put(folder + "/up load.bin", "/sub dir/" + kOddName));
    QCOMPARE(ReadBytes(s.root + "/sub dir/" + kOddName), content);
    QVERIFY(!progress.empty());
    QCOMPARE(progress.back().FileName, std::string("up load.bin"));
    QCOMPARE(progress.back().BytesTotal, int64_t(content.size()));
    QCOMPARE(progress.back().BytesDone, int64_t(content.size()));
    for (const auto& p : progress)
        QVERIFY(p.BytesDone <= p.BytesTotal);

    // Download from a folder other than the current one, into a name with blanks.
    progress.clear();
    QVERIFY(ftp.Get("/sub dir/" + kOddName, folder + "/down load.bin"));
    QCOMPARE(ReadBytes(folder + "/down load.bin"), content);
    QCOMPARE(progress.back().BytesDone, int64_t(content.size()));
    QCOMPARE(progress.back().FileName, std::string("down load.bin"));

    // An empty file, and a file whose name differs in letter case only.
    WriteBytes(s.root + "/empty", "");
    QVERIFY(ftp.Get("/empty", folder + "/empty"));
    QCOMPARE(ReadBytes(folder + "/empty"), std::string());
    // The size is looked up ignoring case, but this server's names are case-sensitive.
    QVERIFY(!ftp.Get("/sub dir/report.txt", folder + "/r.txt"));
    QVERIFY(ftp.IsConnected());

    // ASCII mode turns LF into CR LF on the wire and back.
    ftp.SetTransferType(ttAscii);
    WriteBytes(folder + "/lines.txt", "one\ntwo\n");
    QVERIFY(ftp.Put(folder + "/lines.txt", "/lines.txt"));
    QVERIFY(ftp.Get("/lines.txt", folder + "/lines back.txt"));
    QCOMPARE(ReadBytes(folder + "/lines back.txt"), std::string("one\ntwo\n"));

    QCOMPARE(LocalNames(folder),
             (std::vector<std::string>{"down load.bin", "empty", "lines back.txt", "lines.txt",
                                       "up load.bin"}));
}

void TestFtpClient::downloadNeverDestroys() {
    QFETCH(bool, passive);
    QFETCH(bool, mlsd);
    Served s(mlsd);
    QVERIFY(s.server.isRunning());
    QTemporaryDir local;
    const std::string target = local.path().toStdString() + "/a.txt";
    WriteBytes(target, "mine");
    TSimpleFTP ftp;
    Setup(ftp, s.server, passive);
    QVERIFY(ftp.Connect());

    // A missing remote file: false, the local file stays.
    QVERIFY(!ftp.Get("/missing.txt", target));
    QVERIFY(!ftp.Get("/sub dir/missing.txt", target));
    QVERIFY(!ftp.Get("/no folder/a.txt", target));
    QCOMPARE(ReadBytes(target), std::string("mine"));
    ftp.SilentExceptions = false;
    try {
        ftp.Get("/missing.txt", target);
        QFAIL("no exception");
    } catch (const ESimpleFTPError& e) {
        QCOMPARE(std::string(e.what()),
                 "Error getting /missing.txt to " + target + ": remote file not found");
    }

    // FailIfExistsOnGet: false without an error, the file stays.
    ftp.FailIfExistsOnGet = true;
    QVERIFY(!ftp.Get("/a.txt", target));
    QCOMPARE(ReadBytes(target), std::string("mine"));
    QVERIFY(ftp.Get("/a.txt", target + ".new"));
    QCOMPARE(ReadBytes(target + ".new"), std::string("hello"));
    ftp.FailIfExistsOnGet = false;
    QVERIFY(ftp.Get("/a.txt", target));
    QCOMPARE(ReadBytes(target), std::string("hello"));

    // A download into a folder that does not exist fails cleanly.
    ftp.SilentExceptions = true;
    QVERIFY(!ftp.Get("/a.txt", local.path().toStdString() + "/nowhere/a.txt"));
    QVERIFY(ftp.IsConnected());
    QCOMPARE(LocalNames(local.path().toStdString()),
             (std::vector<std::string>{"a.txt", "a.txt.new"}));
}

void TestFtpClient::fileCommands() {
    QFETCH(bool, passive);
    QFETCH(bool, mlsd);
    Served s(mlsd);
    QVERIFY(s.server.isRunning());
    TSimpleFTP ftp;
    Setup(ftp, s.server, passive);
    QVERIFY(ftp.Connect());

    QVERIFY(ftp.MakeDir("/new folder/"));
    QVERIFY(std::filesystem::is_directory(s.root + "/new folder"));
    QVERIFY(!ftp.MakeDir("/new folder"));
    QVERIFY(ftp.Rename("/" + kOddName, "/new folder/moved " + kOddName));
    QVERIFY(std::filesystem::exists(s.root + "/new folder/moved " + kOddName));
    QVERIFY(!ftp.Rename("/" + kOddName, "/again"));
    QVERIFY(!ftp.RemoveDir("/new folder")); // not empty
    QVERIFY(ftp.ChangeDir("/new folder"));
    QVERIFY(ftp.Delete("moved " + kOddName)); // resolved against the current folder
    QVERIFY(!std::filesystem::exists(s.root + "/new folder/moved " + kOddName));
    QVERIFY(ftp.RemoveDir("/new folder/"));
    QVERIFY(!std::filesystem::exists(s.root + "/new folder"));
    QVERIFY(ftp.DeleteFile("/a.txt"));
    QVERIFY(!ftp.DeleteFile("/a.txt"));
    // A local-looking path creates its last part in the current folder.
    QVERIFY(ftp.ChangeDir("/sub dir"));
    QVERIFY(ftp.MakeDir("C:\\temp\\win dir\\"));
    QVERIFY(std::filesystem::is_directory(s.root + "/sub dir/win dir"));
    QVERIFY(ftp.IsConnected());

    ftp.SilentExceptions = false;
    const auto message = [&](auto&& call) -> std::string {
        try {
            call();
        } catch (const ESimpleFTPError& e) {
            return e.what();
        }
        return "no exception";
    };
    QCOMPARE(message([&] { ftp.DeleteFile("/a.txt"); }), std::string("Error deleting /a.txt"));
    QCOMPARE(message([&] { ftp.RemoveDir("/gone/"); }),
             std::string("Error removing directory /gone/"));
    QCOMPARE(message([&] { ftp.MakeDir("/sub dir"); }),
             std::string("Error creating directory /sub dir"));
    QCOMPARE(message([&] { ftp.Rename("/x", "/y"); }),
             std::string("Error renaming file from /x to /y"));
    // Commands cannot be smuggled in through a name.
    QCOMPARE(message([&] { ftp.MakeDir("/evil\r\nDELE /sub dir/Report.TXT"); }),
             std::string("Error creating directory /evil\r\nDELE /sub dir/Report.TXT"));
    QVERIFY(std::filesystem::exists(s.root + "/sub dir/Report.TXT"));
}

// ".." in a path is the server's to resolve: the path reaches it as written, so a transfer or
// listing addresses the folder the path names, not another one.
void TestFtpClient::dotSegments() {
    QFETCH(bool, passive);
    QFETCH(bool, mlsd);
    Served s(mlsd);
    QVERIFY(s.server.isRunning());
    WriteBytes(s.root + "/sub dir/a.txt", "not this one");
    QTemporaryDir local;
    const std::string folder = local.path().toStdString();
    WriteBytes(folder + "/up.txt", "uploaded");

    TSimpleFTP ftp;
    Setup(ftp, s.server, passive);
    QVERIFY(ftp.Connect());
    QVERIFY(ftp.ChangeDir("/sub dir"));

    QVERIFY(ftp.Get("/sub dir/deeper/../../a.txt", folder + "/top.txt"));
    QCOMPARE(ReadBytes(folder + "/top.txt"), std::string("hello"));
    QVERIFY(ftp.Get("../a.txt", folder + "/relative.txt"));
    QCOMPARE(ReadBytes(folder + "/relative.txt"), std::string("hello"));

    TDirList list;
    QCOMPARE(ftp.ReadDirectory("/sub dir/..", &list, false), 3);
    std::vector<std::string> names;
    for (const auto& line : list)
        names.push_back(line.Text);
    std::sort(names.begin(), names.end());
    QCOMPARE(names, (std::vector<std::string>{"a.txt", kOddName, "sub dir"}));

    QVERIFY(ftp.Put(folder + "/up.txt", "/sub dir/deeper/../up.txt"));
    QCOMPARE(ReadBytes(s.root + "/sub dir/up.txt"), std::string("uploaded"));
    QCOMPARE(ReadBytes(s.root + "/sub dir/deeper/up.txt"), std::string("<missing>"));
}

// Passive mode asks EPSV (libcurl would go on to PASV); a server that refuses both gets the
// same request again in active mode, and active mode for the rest of the connection. Active
// mode never asks for passive.
void TestFtpClient::dataConnections_data() {
    QTest::addColumn<bool>("passive");
    QTest::addColumn<bool>("refusesPassive");
    QTest::addColumn<QStringList>(
        "first"); // a listing, a download (its lookup lists too), an upload
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
    std::vector<std::string> names;
    ftp.OnFindItem = [&](TSimpleFTP&, const TFtpFindData& e) { names.push_back(e.FileName); };
    QVERIFY(ftp.Refresh());
    QCOMPARE(names, std::vector<std::string>{"a.txt"});
    QVERIFY(ftp.Get("/a.txt", folder + "/a.txt"));
    QCOMPARE(ReadBytes(folder + "/a.txt"), Pattern(70000));
    QVERIFY(ftp.Put(folder + "/up.bin", "/up.bin"));
    QCOMPARE(ReadBytes(root + "/up.bin"), Pattern(50000));
    QCOMPARE(DataConnectionCommands(server), first);
    QVERIFY(ftp.IsConnected());

    QVERIFY(ftp.Disconnect());
    QVERIFY(ftp.Connect());
    names.clear();
    QVERIFY(ftp.Refresh());
    std::sort(names.begin(), names.end());
    QCOMPARE(names, (std::vector<std::string>{"a.txt", "up.bin"}));
    QCOMPARE(DataConnectionCommands(server).mid(first.size()), second);
}

// libcurl 7.88 can sit out a second of its poll before it opens a passive data connection to
// a server that answers EPSV at once, as this one on loopback does: no listing may wait so.
void TestFtpClient::passiveWithoutDelay() {
    // How quickly a server answers varies from one run of it to the next: two of them.
    QStringList slow;
    for (int run = 0; run < 2 && slow.isEmpty(); ++run) {
        FtpServer server;
        QVERIFY2(server.isRunning(), qPrintable(server.errorString()));
        TSimpleFTP ftp;
        Setup(ftp, server, true);
        for (int connection = 0; connection < 4 && slow.isEmpty(); ++connection) {
            QVERIFY(ftp.Connect());
            for (int i = 0; i < 10; ++i) {
                QElapsedTimer timer;
                timer.start();
                QVERIFY(ftp.Refresh());
                if (timer.elapsed() >= 700) slow << QString::number(timer.elapsed());
            }
            QVERIFY(ftp.Disconnect());
        }
    }
    QVERIFY2(slow.isEmpty(), qPrintable("listings that took ms: " + slow.join(", ")));
}

// A name of 250 bytes is a valid local name; the download's temporary file must not need a
// longer one.
void TestFtpClient::longLocalName() {
    Served s(true);
    QVERIFY(s.server.isRunning());
    const std::string name(250, 'n');
    WriteBytes(s.root + "/" + name, "long");
    QTemporaryDir local;
    const std::string folder = local.path().toStdString();
    WriteBytes(folder + "/" + name, "previous");
    TSimpleFTP ftp;
    Setup(ftp, s.server, true);
    QVERIFY(ftp.Connect());
    QVERIFY(ftp.Get("/" + name, folder + "/" + name));
    QCOMPARE(ReadBytes(folder + "/" + name), std::string("long"));
    QCOMPARE(LocalNames(folder), std::vector<std::string>{name});
    QVERIFY(!ftp.Get("/missing", folder + "/" + name));
    QCOMPARE(ReadBytes(folder + "/" + name), std::string("long"));
}

void TestFtpClient::singleNames() {
    Served s(true);
    QVERIFY(s.server.isRunning());
    QTemporaryDir local;
    const std::string folder = local.path().toStdString();
    TSimpleFTP ftp;
    Setup(ftp, s.server, true);
    ftp.LocalDir = folder;
    QVERIFY(ftp.Connect());
    QVERIFY(ftp.ChangeDir("/sub dir"));

    QVERIFY(ftp.GetFile("Report.TXT"));
    QCOMPARE(ReadBytes(folder + "/Report.TXT"), Pattern(70000));
    QVERIFY(ftp.GetFile("/a.txt"));
    QCOMPARE(ReadBytes(folder + "/a.txt"), std::string("hello"));
    QVERIFY(ftp.PutFile("a.txt"));
    QCOMPARE(ReadBytes(s.root + "/sub dir/a.txt"), std::string("hello"));
    WriteBytes(folder + "/other.txt", "other");
    QVERIFY(ftp.PutFile(folder + "/other.txt"));
    QCOMPARE(ReadBytes(s.root + "/sub dir/other.txt"), std::string("other"));

    // Names that would leave the local folder are refused.
    QVERIFY(!ftp.GetFile(".."));
    QVERIFY(!ftp.GetFile("/sub dir/.."));
    QVERIFY(!ftp.GetFile("/sub dir/"));
    QVERIFY(ftp.IsConnected());
}

// The folder the server named is remembered: transfers by name ask no PWD of their own, a
// change of folder asks it once in the same request, and a new login starts afresh.
void TestFtpClient::rememberedFolder() {
    Served s(true);
    QVERIFY(s.server.isRunning());
    QTemporaryDir local;
    TSimpleFTP ftp;
    Setup(ftp, s.server, true);
    ftp.LocalDir = local.path().toStdString();
    QVERIFY(ftp.Connect());
    qsizetype mark = s.server.commands().size();
    QVERIFY(ftp.Refresh());
    QVERIFY(ftp.GetFile("a.txt"));
    QCOMPARE(ftp.RemoteDir(), std::string("/"));
    QStringList sent = s.server.commands().mid(mark);
    QVERIFY2(sent.contains("RETR /a.txt"), qPrintable(sent.join(", ")));
    QVERIFY2(!sent.contains("PWD"), qPrintable(sent.join(", ")));

    mark = s.server.commands().size();
    QVERIFY(ftp.ChangeDir("sub dir/deeper/.."));
    QCOMPARE(ftp.RemoteDir(), std::string("/sub dir"));
    QVERIFY(ftp.GetFile("Report.TXT"));
    QVERIFY(ftp.PutFile("a.txt"));
    sent = s.server.commands().mid(mark);
    QCOMPARE(sent.mid(0, 2), (QStringList{"CWD sub dir/deeper/..", "PWD"}));
    QCOMPARE(sent.count("PWD"), 1);
    QVERIFY2(sent.contains("STOR /sub dir/a.txt"), qPrintable(sent.join(", ")));

    // Not confirmed by a refused change of folder, and forgotten with the connection.
    QVERIFY(!ftp.ChangeDir("/missing"));
    QCOMPARE(ftp.RemoteDir(), std::string("/sub dir"));
    QVERIFY(ftp.Disconnect());
    QVERIFY(ftp.ChangeDir("/missing")); // stored now, refused at the next login
    QVERIFY(ftp.Connect());
    QCOMPARE(ftp.RemoteDir(), std::string("/"));
}

void TestFtpClient::notConnected() {
    TSimpleFTP ftp;
    int found = 0;
    ftp.OnFindItem = [&](TSimpleFTP&, const TFtpFindData&) { ++found; };
    QCOMPARE(ftp.ReadDirectory("", nullptr, false), 0);
    QCOMPARE(found, 0);
    QVERIFY(!ftp.Get("/a", "/tmp/never-written"));
    QVERIFY(!ftp.Put("/etc/hostname", "/a"));
    QVERIFY(!ftp.MakeDir("/x"));
    QVERIFY(!ftp.DeleteFile("/x"));
    QVERIFY(ftp.ChangeDir("/stored"));
    QCOMPARE(ftp.RemoteDir(), std::string("/stored"));
    ftp.SilentExceptions = false;
    QVERIFY_THROWS_EXCEPTION(ESimpleFTPError, ftp.Get("/a", "/tmp/never-written"));
    QVERIFY_THROWS_EXCEPTION(ESimpleFTPError, ftp.Put("/etc/hostname", "/a"));
    QVERIFY_THROWS_EXCEPTION(ESimpleFTPError, ftp.Put("/no/such/file", "/a"));
    QVERIFY_THROWS_EXCEPTION(ESimpleFTPError, ftp.Rename("/a", "/b"));
}

QTEST_GUILESS_MAIN(TestFtpClient)
#include "test_ftp_client.moc"
