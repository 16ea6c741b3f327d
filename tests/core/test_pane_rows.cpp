// Guards: pane rows, local and remote: orders, parent rows, links, folders that fail, volumes.
#include "core/ftp/RemoteRows.h"
#include "core/local/LocalSort.h"
#include "core/local/Volumes.h"

#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>

using namespace pw;

namespace {
const auto Q = [](const std::string& s) { return QString::fromStdString(s); };

// Entries written as "name/" (a folder), "name~" (a link) or "name=size" (a file).
std::vector<TFtpFindData> Entries(const QString& items) {
    std::vector<TFtpFindData> entries;
    for (const QString& item : items.split(' ', Qt::SkipEmptyParts)) {
        auto& e = entries.emplace_back();
        const bool folder = item.endsWith('/'), link = item.endsWith('~');
        e.FileName = (folder || link ? item.chopped(1) : item.section('=', 0, 0)).toStdString();
        e.Attributes = folder ? FILE_ATTRIBUTE_DIRECTORY
                       : link ? FILE_ATTRIBUTE_REPARSE_POINT
                              : FILE_ATTRIBUTE_NORMAL;
        e.FileSize = item.section('=', 1).toLongLong();
        e.LastWriteTime = FileTimeFromCalendar(2021, 3, 4, 5, 6, 7);
    }
    return entries;
}

// Local rows written as entries, each optionally "@time".
std::vector<LocalRow> LocalRows(const QString& items) {
    std::vector<LocalRow> rows;
    for (const QString& item : items.split(' ')) {
        const auto e = Entries(item.section('@', 0, 0)).at(0);
        rows.push_back(MakeLocalRow(e.FileName, e.IsDirectory(), e.FileSize, 0));
        rows.back().Modified = item.section('@', 1).toStdString();
    }
    return rows;
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
    void localOrders() {
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
            {"size", "10gb=10000000000 under=9999999999 4gib=4294967296 max=9223372036854775807",
                "4gib:1,under:1,10gb:1,max:1"},
            {"name,time", "old=1@1999/01/01 new/@2024/05/05 ../@2023/01/01 older/@2022/12/31",
                "older:0,..:0,new:0,old:1"},
            {"unsorted", "b=1 ../ a/", "b:1,..:0,a:0"}, {"unsorted", "../ b=1", "..:2,b:1"},
        };
        // clang-format on
        for (const auto& c : cases) {
            auto rows = LocalRows(c.rows);
            for (const QString& mode : QString(c.mode).split(',')) // "a,b": sorted by a, then by b
                ArrangeLocalRows(rows, ParseLocalSortMode(mode.toStdString()).value());
            QCOMPARE(Describe(rows), QString::fromUtf8(c.expected));
        }
        QCOMPARE(Q(LocalExtension("..")), ".");
    }

    // Local and remote folder paths; an empty local folder lists the root.
    void paths() {
        // clang-format off
        const struct { const char *folder, *parent; bool root; const char* joined; } local[] = {
            {"/", "/", true, "/x"}, {"", "", true, "/x"},
            {"/web", "/", false, "/web/x"}, {"/web/news", "/web", false, "/web/news/x"},
            {"/ftp/", "/ftp", false, "/ftp/x"}, {"web", "web", true, "web/x"},
        };
        const struct { const char *server, *shown, *entry; } remote[] = {
            {"C:\\web", "/web", "/web/n"}, {"C:\\", "/", "/n"}, {"d:/x/", "/x/", "/x/n"},
            {"\\pub\\x", "/pub/x", "/pub/x/n"}, {"C:", "C:", "C:/n"}, {"/a:/b", "/a:/b", "/a:/b/n"},
        };
        // clang-format on
        for (const auto& c : local) {
            QCOMPARE(Q(LocalParentFolder(c.folder)), c.parent);
            QCOMPARE(IsLocalRoot(c.folder), c.root);
            QCOMPARE(Q(JoinLocalPath(c.folder, "x")), c.joined);
        }
        for (const auto& c : remote) {
            QCOMPARE(Q(ShownRemotePath(c.server)), c.shown);
            QCOMPARE(Q(RemoteEntryPath(c.shown, "n")), c.entry);
        }
        QCOMPARE(Q(LocalTimeStampText(-1) + "|" + LocalTimeStampText(253402300799)),
                 "1969/12/31 23:59:59|9999/12/31 23:59:59");
        QCOMPARE(Q(LocalTimeStampText(253402300800) + LocalTimeStampText(INT64_MIN)), "");
    }

    void realFolder() {
        QTemporaryDir dir;
        const QString p = dir.path();
        QFile small(p + "/file.txt"), big(p + "/big");
        QVERIFY(small.open(QIODevice::WriteOnly) && small.write("12345") == 5 && small.flush());
        QVERIFY(big.open(QIODevice::WriteOnly) && big.resize(5368709120)); // sparse, 5 GiB
        QVERIFY(QDir(p).mkpath("sub") && QFile::link("sub", p + "/linkdir") &&
                QFile::link("file.txt", p + "/linkfile") && QFile::link("nowhere", p + "/broken"));
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
        QCOMPARE(Q(listing.Rows[6].Modified), "2020/02/20 12:34:56"); // the target's time

        const auto root = ListLocalFolder("");
        QVERIFY(root.Ok && std::none_of(root.Rows.begin(), root.Rows.end(),
                                        [](const LocalRow& r) { return r.Caption == ".."; }));
        for (const QString& bad : {p + "/file.txt", p + "/missing"}) {
            const auto none = ListLocalFolder(bad.toStdString());
            QVERIFY(!none.Ok && none.Rows.empty() && Q(none.Error).startsWith(bad + ": "));
        }
    }

    void remoteRows() {
        // A parent row tops every folder but the root; the server's ".." takes its place only
        // when it sorts first. Only a-z fold; equal folders come last one first.
        // clang-format off
        const struct { const char *entries, *path, *expected; } cases[] = {
            {"b.txt=3 Sub/ a/ ./ _z=1 Alpha=3", "/", "a:0,Sub:0,Alpha:1,b.txt:1,_z:1"},
            {"b.txt=3 Sub/ a/ ./", "/web", "..:2,a:0,Sub:0,b.txt:1"}, {"", "/web", "..:2"},
            {"", "/", ""}, {"x/ ../", "/web", "..:2,x:0"}, {"../ -old/", "/web", "..:2,-old:0,..:0"},
            {"A/ a/ B=1 b=1", "/", "a:0,A:0,B:1,b:1"},
            {"to-dir~ to-file~ plain=1", "/", "to-dir:0,plain:1,to-file:1"},
        };
        // clang-format on
        const int64_t now = FileTimeFromCalendar(2026, 12, 7, 8, 9, 10);
        for (const auto& c : cases) {
            int probes = 0;
            auto probe = [&](const TFtpFindData& l) { return ++probes, l.FileName == "to-dir"; };
            const auto rows = MakeRemoteRows(Entries(c.entries), c.path, now, probe);
            QCOMPARE(Describe(rows), c.expected);
            int links = 0;
            for (const auto& row : rows) {
                links += row.IsLink;
                QCOMPARE(Q(row.TypeText + (row.SizeText().empty() ? "" : "+")),
                         row.IsFile() ? "File+" : "Folder");
            }
            QCOMPARE(probes, links);
            if (!rows.empty() && rows[0].Entry.LastWriteTime == now)
                QCOMPARE(Q(rows[0].Modified), "2026/12/07 08:09:10"); // the pane's own parent row
        }
    }

    void volumes() {
        using K = VolumeKind;
        // clang-format off
        const struct { const char *fs, *device; bool removable; K kind; } kinds[] = {
            {"nfs4", "srv:/export", false, K::Network}, {"fuse", "host:/export", false, K::Network},
            {"ext4", "//host/share", false, K::Network}, {"udf", "/dev/sdc", true, K::CdRom},
            {"ext4", "/dev/sr0", true, K::CdRom},
            {"vfat", "/dev/sdb1", true, K::Removable}, {"ext4", "/dev/nvme0n1p2", false, K::Fixed}};
        // clang-format on
        for (const auto& c : kinds)
            QCOMPARE(ClassifyVolume(c.fs, c.device, c.removable), c.kind);
        QVERIFY(IsShownVolume("overlay", "overlay", "/") &&
                IsShownVolume("vfat", "/dev/sdb1", "/run/media/me/STICK"));
        QVERIFY(!IsShownVolume("tmpfs", "tmpfs", "/tmp") &&
                !IsShownVolume("ext4", "/dev/sda3", "/run/x") &&
                !IsRemovableBlockDevice("/dev/../etc/passwd"));
        const std::vector<std::string> roots{"/", "/home", "/home2", "/media/usb"};
        QString found;
        for (const char* path : {"/home2/x", "/homework", "/media/usb/a", ""})
            found += QString::number(VolumeIndexForPath(roots, path)) + " ";
        QCOMPARE(found + QString::number(VolumeIndexForPath({"/", "/m", "/m"}, "/m/x")),
                 "2 0 3 -1 1");
    }
};

QTEST_GUILESS_MAIN(TestPaneRows)
#include "test_pane_rows.moc"
