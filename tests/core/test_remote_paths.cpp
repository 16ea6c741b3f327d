// Guards: the remote path rules of SFTP and of the TLS look-up: folders resolved against the
// current one, URLs and quoted arguments of SFTP requests, the folder walk and MDTM times.
#include "core/ftp/FtpFindData.h"
#include "core/ftp/FtpPaths.h"
#include "core/ftp/SftpPaths.h"

#include <QtTest>

using namespace pw;

class TestRemotePaths : public QObject {
    Q_OBJECT
private slots:
    void resolve_data() {
        QTest::addColumn<QString>("current");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("resolved");
        QTest::newRow("relative") << "/a"
                                  << "b"
                                  << "/a/b";
        QTest::newRow("absolute wins") << "/a"
                                       << "/c/d"
                                       << "/c/d";
        QTest::newRow("empty is current") << "/a/b"
                                          << ""
                                          << "/a/b";
        QTest::newRow("dot and slashes") << "/a"
                                         << "./b//c/"
                                         << "/a/b/c";
        QTest::newRow("up") << "/a/b"
                            << "../c"
                            << "/a/c";
        QTest::newRow("up to the top") << "/a"
                                       << ".."
                                       << "/";
        QTest::newRow("above the top stays") << "/"
                                             << "../../x"
                                             << "/x";
        QTest::newRow("dots in names") << "/"
                                       << "..a/b.."
                                       << "/..a/b..";
        QTest::newRow("top") << "/"
                             << "/"
                             << "/";
    }
    void resolve() {
        QFETCH(QString, current);
        QFETCH(QString, path);
        QFETCH(QString, resolved);
        QCOMPARE(
            QString::fromStdString(ResolveRemotePath(current.toStdString(), path.toStdString())),
            resolved);
    }

    void sftpUrl_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("directory");
        QTest::addColumn<QString>("url");
        QTest::newRow("file") << "/a b/c.txt" << false << "sftp://h:22/a%20b/c.txt";
        QTest::newRow("folder gets a slash") << "/a" << true << "sftp://h:22/a/";
        QTest::newRow("top folder") << "/" << true << "sftp://h:22/";
        // libcurl reads "/~/" as the home folder: a top folder named "~" goes as "//~".
        QTest::newRow("a folder named ~") << "/~/x" << false << "sftp://h:22/%2F~/x";
    }
    void sftpUrl() {
        QFETCH(QString, path);
        QFETCH(bool, directory);
        QFETCH(QString, url);
        QCOMPARE(QString::fromStdString(SftpUrl("sftp://h:22/", path.toStdString(), directory)),
                 url);
    }

    void quotedArgument_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("argument");
        QTest::newRow("plain") << "/a b"
                               << "\"/a b\"";
        QTest::newRow("quote") << "/a\"b"
                               << "\"/a\\\"b\"";
        QTest::newRow("backslash") << "/a\\b"
                                   << "\"/a\\\\b\"";
        QTest::newRow("both ends") << "\"x\\"
                                   << "\"\\\"x\\\\\"";
    }
    void quotedArgument() {
        QFETCH(QString, path);
        QFETCH(QString, argument);
        QCOMPARE(QString::fromStdString(SftpArgument(path.toStdString())), argument);
    }

    void folderChain_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QStringList>("chain");
        QTest::newRow("top") << "/" << QStringList{};
        QTest::newRow("one") << "/a" << QStringList{"/a"};
        QTest::newRow("trailing slash") << "/a/b/" << QStringList{"/a", "/a/b"};
        QTest::newRow("doubled slash") << "/a//b" << QStringList{"/a", "/a//b"};
    }
    void folderChain() {
        QFETCH(QString, path);
        QFETCH(QStringList, chain);
        QStringList got;
        for (const std::string& folder : FolderChain(path.toStdString()))
            got << QString::fromStdString(folder);
        QCOMPARE(got, chain);
    }

    void mdtm_data() {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<QString>("time"); // "" for no time
        QTest::newRow("plain") << "213 20261208094332"
                               << "2026/12/08 09:43:32";
        QTest::newRow("fraction") << "213 19991231235959.123"
                                  << "1999/12/31 23:59:59";
        QTest::newRow("first of the year") << "213 20000101000000"
                                           << "2000/01/01 00:00:00";
        QTest::newRow("month 13") << "213 20261308094332"
                                  << "";
        QTest::newRow("month 0") << "213 20260008094332"
                                 << "";
        QTest::newRow("hour 24") << "213 20261208244332"
                                 << "";
        QTest::newRow("short") << "213 2026120809433"
                               << "";
        QTest::newRow("letter") << "213 2026120809433x"
                                << "";
        QTest::newRow("trailing junk") << "213 20261208094332x"
                                       << "";
        QTest::newRow("refused") << "550 20261208094332"
                                 << "";
    }
    void mdtm() {
        QFETCH(QString, reply);
        QFETCH(QString, time);
        TFtpFindData entry;
        entry.LastWriteTime = ParseMdtmReply(reply.toStdString());
        QCOMPARE(QString::fromStdString(entry.TimeText()), time);
    }
};

QTEST_GUILESS_MAIN(TestRemotePaths)
#include "test_remote_paths.moc"
