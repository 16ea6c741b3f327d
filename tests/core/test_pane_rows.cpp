// Guards: pane rows, local and remote: orders, parent rows, links, unreadable folders, volumes.
#include "core/ftp/RemoteRows.h"
#include "core/local/LocalSort.h"
#include "core/local/Volumes.h"

#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace pw;

namespace {
QString Q(const std::string& s) {
    return QString::fromUtf8(s.data(), int(s.size()));
}

// Rows written as "name/" (a folder) or "name=size" (a file), each optionally "@time".
std::vector<LocalRow> LocalRows(const QString& items) {
    std::vector<LocalRow> rows;
    for (const QString& item : items.split(' ')) {
        const QStringList parts = item.split('@');
        const QString what = parts[0];
        const bool folder = what.endsWith('/');
        const QString name = folder ? what.chopped(1) : what.section('=', 0, 0);
        rows.push_back(
            MakeLocalRow(name.toStdString(), folder, what.section('=', 1).toLongLong(), 0));
        rows.back().Modified = parts.value(1, "2020/01/01").toStdString();
    }
    return rows;
}

// Entries written as "name/" (a folder), "name~" (a link) or "name=size" (a file).
std::vector<TFtpFindData> Entries(const QString& items) {
    std::vector<TFtpFindData> entries;
    for (const QString& item : items.split(' ', Qt::SkipEmptyParts)) {
        TFtpFindData e;
        const bool folder = item.endsWith('/'), link = item.endsWith('~');
        e.FileName = (folder || link ? item.chopped(1) : item.section('=', 0, 0)).toStdString();
        e.Attributes = folder ? FILE_ATTRIBUTE_DIRECTORY
                       : link ? FILE_ATTRIBUTE_REPARSE_POINT
                              : FILE_ATTRIBUTE_NORMAL;
        e.FileSize = item.section('=', 1).toLongLong();
        e.LastWriteTime = FileTimeFromCalendar(2021, 3, 4, 5, 6, 7);
        entries.push_back(e);
    }
    return entries;
}

// "caption:image,..."
template <class Row> QString Describe(const std::vector<Row>& rows) {
    QStringList out;
    for (const auto& row : rows)
        out << Q(row.Caption) + ":" + QString::number(row.Image);
    return out.join(',');
}
} // namespace

class TestPaneRows : public QObject {
    Q_OBJECT

private slots:
    void localOrders();
    void localPaths();
    void realFolder();
    void unreadable();
    void remoteRows();
    void remotePaths();
    void volumes();
};

void TestPaneRows::localOrders() {
    // "-" sorts before "."; only a-z fold; equal keys keep their order.
    // clang-format off
    const struct { const char *mode, *rows, *expected; } cases[] = {
        {"name", "data/ ../ -old/", "-old:0,..:0,data:0"},
        {"name", "a.txt=1 data/ ../", "..:2,data:0,a.txt:1"},
        {"name", "_x=1 b=1 A=1 \xc3\xa4=1 z=1", "A:1,b:1,z:1,_x:1,\xc3\xa4:1"},
        {"name", "b=1 a=1 A=1 ab=1", "a:1,A:1,ab:1,b:1"},
        {"extension", "README=1 a.zip=1 b.txt=1 ../ x.d/", "..:2,x.d:0,b.txt:1,a.zip:1,README:1"},
        {"extension", "z.gz=1 a.tgz=1 a.tar.gz=1 x.b:c=1", "a.tar.gz:1,z.gz:1,a.tgz:1,x.b:c:1"},
        {"size", "ten=10 nine=9 b/ empty=0 a/", "a:0,b:0,empty:1,nine:1,ten:1"},
        {"size", "10gb=10000000000 under=9999999999 4gib=4294967296 max=9223372036854775807", "4gib:1,under:1,10gb:1,max:1"},
        {"time", "old=1@1999/01/01 new/@2024/05/05 ../@2023/01/01 older/@2022/12/31", "older:0,..:0,new:0,old:1"},
        {"unsorted", "b=1 ../ a/", "b:1,..:0,a:0"}, {"unsorted", "../ b=1", "..:2,b:1"},
    };
    // clang-format on
    for (const auto& c : cases) {
        const auto mode = ParseLocalSortMode(c.mode);
        QVERIFY(mode);
        auto rows = LocalRows(c.rows);
        ArrangeLocalRows(rows, *mode);
        QCOMPARE(Describe(rows), QString::fromUtf8(c.expected));
        ArrangeLocalRows(rows, *mode); // again, with the parent row marked: no change
        QCOMPARE(Describe(rows), QString::fromUtf8(c.expected));
    }
    QCOMPARE(Q(LocalExtension("..")), ".");
}

void TestPaneRows::localPaths() {
    // An empty folder lists the root.
    // clang-format off
    const struct { const char *folder, *parent; bool root; const char* joined; } cases[] = {
        {"/", "/", true, "/x"}, {"", "", true, "/x"},
        {"/web", "/", false, "/web/x"}, {"/web/news", "/web", false, "/web/news/x"},
        {"/ftp/", "/ftp", false, "/ftp/x"}, {"web", "web", true, "web/x"},
    };
    // clang-format on
    for (const auto& c : cases) {
        QCOMPARE(Q(LocalParentFolder(c.folder)), c.parent);
        QCOMPARE(IsLocalRoot(c.folder), c.root);
        QCOMPARE(Q(JoinLocalPath(c.folder, "x")), c.joined);
    }
    QCOMPARE(Q(LocalTimeStampText(-1)), "1969/12/31 23:59:59");
    QCOMPARE(Q(LocalTimeStampText(253402300799)), "9999/12/31 23:59:59");
    QCOMPARE(Q(LocalTimeStampText(253402300800)), "");
    QCOMPARE(Q(LocalTimeStampText(INT64_MIN)), "");
}

void TestPaneRows::realFolder() {
    QTemporaryDir dir;
    const QString p = dir.path();
    QVERIFY(QDir(p).mkpath("sub"));
    QFile small(p + "/file.txt"), big(p + "/big");
    QVERIFY(small.open(QIODevice::WriteOnly) && small.write("12345") == 5);
    QVERIFY(big.open(QIODevice::WriteOnly) && big.resize(5368709120)); // sparse, 5 GiB
    small.close();
    QVERIFY(QFile::link("sub", p + "/linkdir") && QFile::link("file.txt", p + "/linkfile") &&
            QFile::link("nowhere", p + "/broken"));
    const timespec times[2] = {{1582202096, 0}, {1582202096, 0}}; // 2020-02-20 12:34:56 UTC
    QCOMPARE(::utimensat(AT_FDCWD, QFile::encodeName(small.fileName()), times, 0), 0);

    const LocalListing listing = ListLocalPane(p.toStdString(), LocalSortMode::Name);
    QVERIFY(listing.Ok && listing.Skipped.empty());
    QStringList rows;
    for (const auto& row : listing.Rows)
        rows << Q(row.Caption + ":" + row.SizeText() + ":" + row.TypeText +
                  (row.IsLink ? "~" : ""));
    QCOMPARE(rows.join(','), "..::Folder,linkdir::Folder~,sub::Folder,big:5368709120:File,"
                             "broken:7:File~,file.txt:5:File,linkfile:5:File~");
    QCOMPARE(listing.Rows[0].Image, kParentImage);
    QCOMPARE(Q(listing.Rows[6].Modified), "2020/02/20 12:34:56"); // the target's time

    QCOMPARE(Describe(ListLocalPane(p.toStdString() + "/", LocalSortMode::Name).Rows),
             Describe(listing.Rows));
    const auto root = ListLocalFolder("");
    QVERIFY(root.Ok && std::none_of(root.Rows.begin(), root.Rows.end(),
                                    [](const LocalRow& r) { return r.Caption == ".."; }));
    for (const QString& bad : {p + "/file.txt", p + "/missing"}) {
        const auto none = ListLocalFolder(bad.toStdString());
        QVERIFY(!none.Ok && none.Rows.empty() && Q(none.Error).startsWith(bad + ": "));
    }
}

void TestPaneRows::unreadable() {
    if (::geteuid() == 0) QSKIP("root reads every folder");
    QTemporaryDir dir;
    const QByteArray p = QFile::encodeName(dir.path());
    QVERIFY(QDir(dir.path()).mkpath("locked") && QDir(dir.path()).mkpath("listonly/inner"));
    QCOMPARE(::chmod(p + "/locked", 0), 0);
    QCOMPARE(::chmod(p + "/listonly", 0400), 0); // names readable, details not

    QCOMPARE(Describe(ListLocalPane(p.toStdString(), LocalSortMode::Name).Rows),
             "..:2,listonly:0,locked:0");
    const auto locked = ListLocalFolder((p + "/locked").toStdString());
    QVERIFY(!locked.Ok && locked.Rows.empty() && locked.Error.ends_with(": Permission denied"));
    const auto listOnly = ListLocalFolder((p + "/listonly").toStdString());
    QVERIFY(listOnly.Ok && listOnly.Rows.empty());
    auto skipped = listOnly.Skipped;
    std::sort(skipped.begin(), skipped.end());
    QVERIFY(skipped ==
            std::vector<std::string>({"..: Permission denied", "inner: Permission denied"}));
    ::chmod(p + "/locked", 0700);
    ::chmod(p + "/listonly", 0700);
}

void TestPaneRows::remoteRows() {
    // A parent row tops every folder but the root; the server's ".." takes its place only
    // when it sorts first. Letters fold; equal folders come last one first.
    // clang-format off
    const struct { const char *entries, *path, *expected; } cases[] = {
        {"b.txt=3 Sub/ a/ ./", "/", "a:0,Sub:0,b.txt:1"},
        {"b.txt=3 Sub/ a/ ./", "/web", "..:2,a:0,Sub:0,b.txt:1"}, {"", "/web", "..:2"},
        {"", "/", ""}, {"x/ ../", "/web", "..:2,x:0"},
        {"../ -old/", "/web", "..:2,-old:0,..:0"},
        {"_z=1 beta=2 Alpha=3", "/", "Alpha:1,beta:1,_z:1"},
        {"A/ a/ B=1 b=1", "/", "a:0,A:0,B:1,b:1"},
        {"to-dir~ to-file~ plain=1", "/", "to-dir:0,plain:1,to-file:1"},
    };
    // clang-format on
    for (const auto& c : cases) {
        int probes = 0;
        const TLinkIsFolder probe = [&probes](const TFtpFindData& link) {
            ++probes;
            return link.FileName == "to-dir";
        };
        const int64_t now = FileTimeFromCalendar(2026, 12, 7, 8, 9, 10);
        const auto rows = MakeRemoteRows(Entries(c.entries), c.path, now, probe);
        QCOMPARE(Describe(rows), c.expected);
        int links = 0;
        for (const auto& row : rows) {
            links += row.IsLink;
            QCOMPARE(Q(row.TypeText), row.IsFile() ? "File" : "Folder");
            QCOMPARE(row.SizeText().empty(), !row.IsFile());
        }
        QCOMPARE(probes, links);
        if (!rows.empty() && rows[0].Entry.LastWriteTime == now)
            QCOMPARE(Q(rows[0].Modified), "2026/12/07 08:09:10"); // the pane's own parent row
    }
}

void TestPaneRows::remotePaths() {
    // clang-format off
    const struct { const char *server, *shown, *entry; } cases[] = {
        {"C:\\web", "/web", "/web/n"}, {"C:\\", "/", "/n"}, {"d:/x/", "/x/", "/x/n"},
        {"\\pub\\x", "/pub/x", "/pub/x/n"}, {"C:", "C:", "C:/n"}, {"/a:/b", "/a:/b", "/a:/b/n"},
    };
    // clang-format on
    for (const auto& c : cases) {
        QCOMPARE(Q(ShownRemotePath(c.server)), c.shown);
        QCOMPARE(Q(RemoteEntryPath(c.shown, "n")), c.entry);
    }
}

void TestPaneRows::volumes() {
    QCOMPARE(ClassifyVolume("nfs4", "host:/export", false), VolumeKind::Network);
    QCOMPARE(ClassifyVolume("cifs", "//host/share", false), VolumeKind::Network);
    QCOMPARE(ClassifyVolume("iso9660", "/dev/sr0", true), VolumeKind::CdRom);
    QCOMPARE(ClassifyVolume("vfat", "/dev/sdb1", true), VolumeKind::Removable);
    QCOMPARE(ClassifyVolume("ext4", "/dev/nvme0n1p2", false), VolumeKind::Fixed);
    QVERIFY(IsShownVolume("overlay", "overlay", "/"));
    QVERIFY(IsShownVolume("vfat", "/dev/sdb1", "/run/media/me/STICK"));
    QVERIFY(!IsShownVolume("tmpfs", "tmpfs", "/tmp") &&
            !IsShownVolume("ext4", "/dev/sda3", "/run/x"));
    QVERIFY(!IsRemovableBlockDevice("/dev/../etc/passwd"));
    const std::vector<std::string> roots{"/", "/home", "/home2", "/media/usb"};
    QCOMPARE(VolumeIndexForPath(roots, "/home2/x"), 2);
    QCOMPARE(VolumeIndexForPath(roots, "/homework"), 0);
    QCOMPARE(VolumeIndexForPath(roots, "/media/usb/a"), 3);
    QCOMPARE(VolumeIndexForPath(roots, ""), -1);
    QCOMPARE(VolumeIndexForPath({"/", "/m", "/m"}, "/m/x"), 1); // the first of equals
}

QTEST_GUILESS_MAIN(TestPaneRows)
#include "test_pane_rows.moc"
