// Guards: a finished file moved over whatever stood at its name, or a refusal that changes nothing.
#include "core/local/ReplaceFile.h"

#include "support/LocalFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

using namespace pw;

namespace {
ino_t Inode(const QString& path) {
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_ino : 0;
}

QStringList Names(const QString& folder) {
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}
} // namespace

class TestLocalReplace : public QObject {
    Q_OBJECT

private slots:
    // What stands at the target's name before; "kept" is a file that must not change.
    void replaces_data() {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QStringList>("namesAfter"); // the source's name is gone
        QTest::newRow("nothing") << "nothing" << QStringList{"target"};
        QTest::newRow("a file") << "file" << QStringList{"target"};
        QTest::newRow("a read-only file") << "read-only" << QStringList{"target"};
        // Another name of the old file keeps the old content: the new file is not written into it.
        QTest::newRow("a file with a second name") << "hard link" << QStringList{"kept", "target"};
        // The link itself is replaced, not the file or folder it points to.
        QTest::newRow("a link to a file") << "link to file" << QStringList{"kept", "target"};
        QTest::newRow("a link to a folder") << "link to folder" << QStringList{"folder", "target"};
        QTest::newRow("a dangling link") << "dangling link" << QStringList{"target"};
    }

    void replaces() {
        QFETCH(QString, before);
        QFETCH(QStringList, namesAfter);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString source = dir.filePath("new.part");
        const QString target = dir.filePath("target");
        const QString kept = dir.filePath("kept");
        const QByteArray content = Pattern(300000);
        QVERIFY(WriteLocal(source, content));
        const ino_t sourceInode = Inode(source);
        if (before == "file" || before == "read-only" || before == "hard link")
            QVERIFY(WriteLocal(target, "the old version"));
        if (before == "read-only") QVERIFY(QFile::setPermissions(target, QFile::ReadOwner));
        if (before == "hard link") QVERIFY(::link(qPrintable(target), qPrintable(kept)) == 0);
        if (before == "link to file") {
            QVERIFY(WriteLocal(kept, "the old version"));
            QVERIFY(QFile::link(kept, target));
        }
        if (before == "link to folder") {
            QVERIFY(QDir(dir.path()).mkdir("folder"));
            QVERIFY(WriteLocal(dir.filePath("folder/inside"), "inside"));
            QVERIFY(QFile::link(dir.filePath("folder"), target));
        }
        if (before == "dangling link") QVERIFY(QFile::link(dir.filePath("gone"), target));

        QCOMPARE(ReplaceFile(source.toStdString(), target.toStdString()), 0);
        QCOMPARE(ReadLocal(target), content);
        QCOMPARE(Inode(target), sourceInode);
        QVERIFY(!QFileInfo(target).isSymLink());
        QCOMPARE(Names(dir.path()), namesAfter);
        if (namesAfter.contains("kept")) QCOMPARE(ReadLocal(kept), QByteArray("the old version"));
        if (namesAfter.contains("folder"))
            QCOMPARE(ReadLocal(dir.filePath("folder/inside")), QByteArray("inside"));
    }

    // Nothing moves: the source stays for the caller to remove, the target stays as it was.
    void refuses_data() {
        QTest::addColumn<QString>("before");
        QTest::addColumn<int>("error");
        QTest::newRow("a folder") << "folder" << EISDIR;
        QTest::newRow("an empty folder") << "empty folder" << EISDIR;
        QTest::newRow("a missing folder above") << "missing parent" << ENOENT;
    }

    void refuses() {
        QFETCH(QString, before);
        QFETCH(int, error);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString source = dir.filePath("new.part");
        QString target = dir.filePath("target");
        QVERIFY(WriteLocal(source, "new"));
        if (before.endsWith("folder")) QVERIFY(QDir(dir.path()).mkdir("target"));
        if (before == "folder") QVERIFY(WriteLocal(dir.filePath("target/inside"), "inside"));
        if (before == "missing parent") target = dir.filePath("gone/target");
        const QStringList namesBefore = Names(dir.path());

        QCOMPARE(ReplaceFile(source.toStdString(), target.toStdString()), error);
        QCOMPARE(Names(dir.path()), namesBefore);
        QCOMPARE(ReadLocal(source), QByteArray("new"));
        if (before == "folder") {
            QVERIFY(QFileInfo(target).isDir());
            QCOMPARE(Names(target), QStringList{"inside"});
            QCOMPARE(ReadLocal(dir.filePath("target/inside")), QByteArray("inside"));
        }
    }
};

QTEST_GUILESS_MAIN(TestLocalReplace)
#include "test_local_replace.moc"
