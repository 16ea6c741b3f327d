// Guards: a finished file moved over whatever stood at its name, or a refusal that changes nothing.
#include "core/local/ReplaceFile.h"

#include "support/LocalFiles.h"
#include "support/TableRows.h"

#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

using namespace pw;

namespace {
// What stands at the target's name before, the result, and the folder after ("new.part" is
// the 300000-byte source; "kept" holds the 15-byte old version, which must not change).
// clang-format off
const struct { const char *name, *before; int error; const char* after; } kRows[] = {
    {"nothing", "", 0, "target:300000"},
    {"a file", "file", 0, "target:300000"},
    {"a read-only file", "read-only", 0, "target:300000"},
    // Another name of the old file keeps the old content: the new file is not written into it.
    {"a file with a second name", "hard link", 0, "kept:15,target:300000"},
    // The link itself is replaced, not the file or folder it points to.
    {"a link to a file", "link to file", 0, "kept:15,target:300000"},
    {"a link to a folder", "link to folder", 0, "folder/,folder/inside:6,target:300000"},
    {"a dangling link", "dangling link", 0, "target:300000"},
    // Refused: the source stays for the caller to remove, the target as it was.
    {"a folder", "folder", EISDIR, "new.part:300000,target/,target/inside:6"},
    {"an empty folder", "empty folder", EISDIR, "new.part:300000,target/"},
    {"a missing folder above", "missing parent", ENOENT, "new.part:300000"}};
// clang-format on

ino_t Inode(const QString& path) {
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_ino : 0;
}
} // namespace

class TestLocalReplace : public QObject {
    Q_OBJECT
private slots:
    void replace_data() { addRows(kRows); }
    void replace() {
        const auto& r = kRows[fetchedRow()];
        const QString before = r.before;
        QTemporaryDir dir;
        const QString source = dir.filePath("new.part"), kept = dir.filePath("kept");
        QString target = dir.filePath("target");
        const QByteArray content = Pattern(300000);
        QVERIFY(WriteLocal(source, content));
        const ino_t sourceInode = Inode(source);
        if (before == "file" || before == "read-only" || before == "hard link")
            QVERIFY(WriteLocal(target, "the old version"));
        if (before == "read-only") QVERIFY(QFile::setPermissions(target, QFile::ReadOwner));
        if (before == "hard link") QVERIFY(::link(qPrintable(target), qPrintable(kept)) == 0);
        if (before == "link to file")
            QVERIFY(WriteLocal(kept, "the old version") && QFile::link(kept, target));
        if (before.endsWith("folder")) {
            const QString folder = dir.filePath(before == "link to folder" ? "folder" : "target");
            QVERIFY(QDir(dir.path()).mkdir(QFileInfo(folder).fileName()));
            if (before != "empty folder") QVERIFY(WriteLocal(folder + "/inside", "inside"));
            if (before == "link to folder") QVERIFY(QFile::link(folder, target));
        }
        if (before == "dangling link") QVERIFY(QFile::link(dir.filePath("gone"), target));
        if (before == "missing parent") target = dir.filePath("gone/target");

        QCOMPARE(ReplaceFile(source.toStdString(), target.toStdString()), r.error);
        QCOMPARE(Tree(dir.path()), QString(r.after));
        const QString moved = r.error ? source : target;
        QCOMPARE(ReadLocal(moved), content);
        QCOMPARE(Inode(moved), sourceInode);
        if (QString(r.after).contains("kept"))
            QCOMPARE(ReadLocal(kept), QByteArray("the old version"));
    }
};

QTEST_GUILESS_MAIN(TestLocalReplace)
#include "test_local_replace.moc"
