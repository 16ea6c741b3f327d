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
#include <stdexcept>

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

bool TypeChanged(TSimpleFTP& ftp) {
    return ftp.SetFileSystemType(ftUnknown), ftp.FileSystemType() != ftUnix;
}

// A call that is refused, and the message it raises unless silent.
using Refusal = std::pair<std::function<bool(TSimpleFTP&)>, std::string>;
#define NO(call, message) Refusal([&](TSimpleFTP& f) { return f.call; }, message)
} // namespace

class TestFtpClient : public QObject {
    Q_OBJECT

private slots:
    void operations_data();
    void operations();
    void refusals();
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
    QVERIFY(ftp.Refresh() && seen.size() == 3 && seen[kOddName].FileSize == 1234);
    QVERIFY(!seen[kOddName].IsDirectory() && seen["sub dir"].IsDirectory());
    seen.clear();
    TDirList list; // a list of full paths fires no event
    QVERIFY(ftp.ReadDirectory("/sub dir/", &list, true) == 2 && seen.empty());
    const auto [low, high] = std::minmax(list[0].Text, list[1].Text);
    QCOMPARE(low + "|" + high, std::string("/sub dir/Report.TXT|/sub dir/deeper"));
    QCOMPARE(ftp.ReadDirectory("/missing/", nullptr, false), 0);
    QVERIFY(!ftp.LastListingSucceeded() && ftp.IsConnected());

    const qsizetype mark = s.server.commands().size();
    QVERIFY(ftp.GetFile("a.txt") && ftp.RemoteDir() == "/");
    QVERIFY(ftp.ChangeDir("sub dir/deeper/../") && ftp.RemoteDir() == "/sub dir" && changes == 1);
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
    // A text transfer asks for TYPE A first; a file of plain line ends arrives as it was.
    const qsizetype textMark = s.server.commands().size();
    ftp.SetTransferType(ttAscii);
    WriteBytes(folder + "/lines.txt", "one\ntwo\n");
    QVERIFY(ftp.Put(folder + "/lines.txt", "/sub dir/lines.txt") &&
            ftp.Get("/sub dir/lines.txt", folder + "/back.txt"));
    ftp.SetTransferType(ttBinary);
    QCOMPARE(ReadBytes(s.root + "/sub dir/lines.txt") + ReadBytes(folder + "/back.txt"),
             std::string("one\ntwo\none\ntwo\n"));
    QCOMPARE(s.server.commands().mid(textMark).filter(QRegularExpression("^(TYPE|STOR|RETR)")),
             QStringList({"TYPE A", "STOR /sub dir/lines.txt", "RETR /sub dir/lines.txt"}));

    QVERIFY(ftp.MakeDir("/new folder/") && ftp.Rename("/" + kOddName, "/new folder/m" + kOddName));
    // A bare name is resolved against the current folder.
    QVERIFY(ftp.ChangeDir("/new folder") && ftp.Delete("m" + kOddName));
    QVERIFY(ftp.RemoveDir("/new folder/") && ftp.DeleteFile("/a.txt"));
    // A folder path of another system: its last part, in the current folder.
    QVERIFY(ftp.ChangeDir("/sub dir/deeper/..") && ftp.MakeDir("C:\\temp\\win dir\\"));
    QVERIFY(std::filesystem::is_directory(s.root + "/sub dir/win dir"));
    QCOMPARE(QDir(s.server.root()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             QStringList({"empty", "sub dir"}));

    QVERIFY(!ftp.ChangeDir("/missing") && ftp.RemoteDir() == "/sub dir");
    QVERIFY(ftp.Disconnect() && ftp.RemoteDir() == "/sub dir/deeper/.."); // as it was passed
    QVERIFY(ftp.Connect() && ftp.RemoteDir() == "/sub dir");
    QVERIFY(ftp.Disconnect() && ftp.ChangeDir("/missing")); // stored, refused at the next login
    QVERIFY(ftp.Connect() && ftp.Refresh() && ftp.RemoteDir() == "/");
    // A handler that throws at the disconnect makes it a failure; nothing escapes.
    ftp.OnDisconnected = [](TWinInetControl&) { throw std::runtime_error("handler"); };
    QVERIFY(!ftp.Disconnect() && !ftp.IsConnected());
    ftp.OnDisconnected = nullptr;
    QStringList verbs = s.server.commands().filter(QRegularExpression("^(EPSV|PASV|EPRT|PORT)"));
    const QString got = verbs.replaceInStrings(QRegularExpression(" .*"), "").join(',');
    QVERIFY2(QRegularExpression(dataCommands).match(got).hasMatch(), qPrintable(got));
}

// Each refused command: false when silent, else its message; the connection stays. A download
// that fails leaves the local file as it was and nothing beside it.
void TestFtpClient::refusals() {
    Served s;
    QTemporaryDir local;
    const std::string folder = local.path().toStdString(), to = folder + "/x";
    TSimpleFTP& ftp = s.ftp;
    TSimpleFTP idle;
    ftp.LocalDir = folder;
    QVERIFY(ftp.Connect() && ftp.ChangeDir("/sub dir"));
    const std::string smuggled = "/evil\r\nDELE /sub dir/Report.TXT";
    const std::string getting = "Error getting ", dir = "Error creating directory ";
    const Refusal rows[] = {
        NO(ChangeDir("/none"), "Couldn't change to directory /none"),
        NO(DeleteFile("/gone"), "Error deleting /gone"),
        NO(RemoveDir("/gone/"), "Error removing directory /gone/"),
        NO(MakeDir("/sub dir"), dir + "/sub dir"),
        NO(Rename("/x", "/y"), "Error renaming file from /x to /y"),
        NO(MakeDir(smuggled), dir + smuggled),
        NO(Get("/missing.txt", to), getting + "/missing.txt to " + to + ": remote file not found"),
        NO(Get("/sub dir/report.txt", to), getting + "/sub dir/report.txt from " + to), // case
        NO(Put("/no/such/file", "/a"), "Error putting /no/such/file to /a: local file not found"),
        NO(Put(folder, "/a"), "Error putting " + folder + " to /a"),
        NO(Put(s.root + "/a.txt", "/no dir/a"), "Error putting " + s.root + "/a.txt to /no dir/a"),
        // Names that would leave the local folder.
        NO(GetFile(".."), getting + ".. from " + folder),
        NO(GetFile("/sub dir/"), getting + "/sub dir/ from " + folder),
        Refusal(TypeChanged, "Cannot change file system type when connected"),
        NO(Get("/a", to), "Not connected!"),
        NO(Put("/etc/hostname", "/a"), "Not connected!"),
        NO(Rename("/a", "/b"), "Not connected!"),
        NO(MakeDir("/x"), "Not connected!"),
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
    QCOMPARE(Tree(local.path()), QString());
    QCOMPARE(idle.ReadDirectory("", nullptr, false), 0);

    const std::string longName(250, 'n'); // valid, but the temporary name may not be longer
    WriteBytes(s.root + "/" + longName, "long");
    const struct {
        std::string remote, local;
        bool existed, failIfExists, ok;
        QString tree;         // the local folder afterwards; "my own" (6 bytes) was there before
        bool appears = false; // "my own" is written while the download runs
    } downloads[] = {
        {"/missing.txt", "a.txt", true, false, false, "a.txt:6"},
        {"/", "a.txt", false, false, false, ""}, // a folder is no file, nor its listing
        {"/a.txt", "a.txt", true, true, false, "a.txt:6"},
        {"/a.txt", "a.txt", false, true, true, "a.txt:5"},
        {"/a.txt", "a.txt", true, false, true, "a.txt:5"},
        {"/a.txt", "a.txt", false, true, false, "a.txt:6", true},
        {"/" + longName, longName, true, false, true, QString::fromStdString(longName) + ":4"},
        {"/a.txt", "nowhere/a.txt", false, false, false, ""},
    };
    for (const auto& row : downloads) {
        QTemporaryDir fresh;
        const std::string into = fresh.path().toStdString() + "/";
        if (row.existed) WriteBytes(into + row.local, "my own");
        s.ftp.FailIfExistsOnGet = row.failIfExists;
        s.ftp.OnTransferProgress = [&](TSimpleFTP&, const TFTPProgressInfo&) {
            if (row.appears && !QFile::exists(fresh.filePath("a.txt")))
                WriteBytes(into + row.local, "my own");
        };
        QVERIFY(s.ftp.Get(row.remote, into + row.local) == row.ok && s.ftp.IsConnected());
        QCOMPARE(Tree(fresh.path()), row.tree);
    }
    s.ftp.OnTransferProgress = nullptr;
}

// The page goes up under a temporary name and is renamed over the old one; a server that
// refuses the rename gets it under its own name. One that vanishes at the rename keeps the old
// page, and the upload fails. (A server that dies mid-upload: news flows.)
void TestFtpClient::uploadViaTemporary() {
    // clang-format off
    const struct { const char* option; bool ok; int stores; } servers[] = {
        {"", true, 1}, {"--no-rename", true, 2}, {"--vanish-at-rename", false, 1}};
    // clang-format on
    for (const auto& row : servers) {
        Served s(*row.option ? QStringList{row.option} : QStringList());
        QVERIFY(s.server.isRunning() && s.server.writeFile("www/index.html", "old page"));
        QTemporaryDir local;
        const std::string file = local.filePath("index.html").toStdString(), page = Bytes(3000);
        WriteBytes(file, page);
        s.ftp.SilentExceptions = !row.ok; // a refused rename throws; a lost connection is quiet
        QVERIFY(s.ftp.Connect());
        QCOMPARE(PutViaTemporary(s.ftp, file, "/www/index.html"), row.ok);
        QCOMPARE(s.server.readFile("www/index.html").toStdString(), row.ok ? page : "old page");
        QCOMPARE(QFile::exists(s.server.path("www/.index.html.upload")), !row.ok);
        const QStringList stores = s.server.commands().filter("STOR");
        QCOMPARE(stores.size(), row.stores);
        QCOMPARE(stores.first(), QStringLiteral("STOR /www/.index.html.upload"));
    }
}

QTEST_GUILESS_MAIN(TestFtpClient)
#include "test_ftp_client.moc"
