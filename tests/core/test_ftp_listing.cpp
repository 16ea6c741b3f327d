// Directory listing parsers: MLSD facts and the LIST formats of the servers people run.
#include "core/ftp/FtpListing.h"

#include <QtTest>

using namespace pw;

namespace {
// A fixed "today" for lines that show a time instead of a year.
const TListingDate kToday{2026, 12, 6};

QString Describe(bool ok, const TFtpFindData& e) {
    if (!ok) return QStringLiteral("-");
    QString kind = e.IsDirectory()                                 ? "dir"
                   : (e.Attributes & FILE_ATTRIBUTE_REPARSE_POINT) ? "link"
                                                                   : "file";
    if (e.Attributes & FILE_ATTRIBUTE_READONLY) kind += ",ro";
    // An unknown size or time shows empty.
    return QStringLiteral("%1|%2|%3|%4")
        .arg(QString::fromLatin1(e.FileName.data(), int(e.FileName.size())), kind,
             QString::fromStdString(e.SizeText()), QString::fromStdString(e.TimeText()));
}
} // namespace

class TestFtpListing : public QObject {
    Q_OBJECT

private slots:
    void listLines_data();
    void listLines();
    void mlsdLines_data();
    void mlsdLines();
    void impossibleValues_data();
    void impossibleValues();
    void wholeListing();
    void calendar_data();
    void calendar();
};

void TestFtpListing::listLines_data() {
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("expected"); // name|kind|size|time, or "-" for no entry

    // Unix "ls -l" as vsftpd, ProFTPD, pure-ftpd and pyftpdlib send it.
    QTest::newRow("folder, this year")
        << QByteArray("drwxr-xr-x   2 ftp      ftp          4096 Dec  6 16:37 pub")
        << "pub|dir|4096|2026/12/06 16:37:00";
    QTest::newRow("size over 4 GiB, year, blanks in name")
        << QByteArray("-rw-r--r--   1 root     root     1073741824000 Jan 15  2024 big file.iso")
        << "big file.iso|file|1073741824000|2024/01/15 00:00:00";
    QTest::newRow("numeric owner, zero-padded day")
        << QByteArray("-rw-r--r--    1 1000     1000          123 Mar 01 09:05 report.txt")
        << "report.txt|file|123|2026/03/01 09:05:00";
    QTest::newRow("symbolic link")
        << QByteArray("lrwxrwxrwx   1 root     root            7 Feb 20  2020 current -> rel/2.0")
        << "current|link|7|2020/02/20 00:00:00";
    QTest::newRow("no group column")
        << QByteArray("-rw-r--r--   1 user  1234 Nov 30 23:59 nogroup.txt")
        << "nogroup.txt|file|1234|2026/11/30 23:59:00";
    QTest::newRow("no link count, no group")
        << QByteArray("-rw-r--r-- owner 77 Nov 30 23:59 short.txt")
        << "short.txt|file|77|2026/11/30 23:59:00";
    QTest::newRow("time later than tomorrow is last year")
        << QByteArray("-rw-r--r--   1 u g 42 Dec 25 10:00 christmas.txt")
        << "christmas.txt|file|42|2025/12/25 10:00:00";
    QTest::newRow("tomorrow is still this year (clock skew)")
        << QByteArray("-rw-r--r--   1 u g 42 Dec  7 10:00 skew.txt")
        << "skew.txt|file|42|2026/12/07 10:00:00";
    QTest::newRow("ACL marker and ISO dates")
        << QByteArray("drwxr-xr-x+  3 user group 4096 2025-03-04 12:34 iso dates")
        << "iso dates|dir|4096|2025/03/04 12:34:00";
    QTest::newRow("name starting with a blank")
        << QByteArray("-rw-r--r-- 1 user group 12 Jan  1  2020  leading")
        << " leading|file|12|2020/01/01 00:00:00";
    QTest::newRow("name ending with a blank")
        << QByteArray("-rw-r--r-- 1 user group 0 Jan  1  2020 trailing ")
        << "trailing |file|0|2020/01/01 00:00:00";
    QTest::newRow("read-only file")
        << QByteArray("-r--r--r--   1 user group 10 Jun  3  2021 readonly.txt")
        << "readonly.txt|file,ro|10|2021/06/03 00:00:00";
    QTest::newRow("UTF-8 name") << QByteArray(
                                       "-rw-rw-r--   1 ftp ftp 5 Sep 30  2025 Gr\xc3\xbc\xc3\x9f"
                                       "e.txt")
                                << QString::fromLatin1("Gr\xc3\xbc\xc3\x9f"
                                                       "e.txt|file|5|2025/09/30 00:00:00");
    QTest::newRow("month name in another case")
        << QByteArray("-rw-r--r-- 1 u g 3 JAN  2  2023 upper.txt")
        << "upper.txt|file|3|2023/01/02 00:00:00";
    QTest::newRow("CR LF left on the line")
        << QByteArray("-rw-r--r-- 1 u g 3 Jan  2  2023 crlf.txt\r\n")
        << "crlf.txt|file|3|2023/01/02 00:00:00";
    QTest::newRow("total line") << QByteArray("total 48") << "-";
    QTest::newRow("name with a slash")
        << QByteArray("-rw-r--r-- 1 u g 5 Dec  6 16:37 ../../etc") << "-";
    QTest::newRow("no name") << QByteArray("-rw-r--r-- 1 u g 5 Jan  1  2020") << "-";
    QTest::newRow("not a listing line") << QByteArray("226 Transfer complete.") << "-";

    // DOS style, as IIS sends it.
    QTest::newRow("IIS folder") << QByteArray(
                                       "12-06-26  04:15PM       <DIR>          Public Folder")
                                << "Public Folder|dir||2026/12/06 16:15:00";
    QTest::newRow("IIS file, morning")
        << QByteArray("01-15-24  09:03AM              1048576 archive.zip")
        << "archive.zip|file|1048576|2024/01/15 09:03:00";
    QTest::newRow("IIS midnight, four-digit year")
        << QByteArray("12-06-2026  12:00AM   123 midnight.txt")
        << "midnight.txt|file|123|2026/12/06 00:00:00";
    QTest::newRow("IIS noon") << QByteArray("12-06-26  12:30PM   5 noon.txt")
                              << "noon.txt|file|5|2026/12/06 12:30:00";
    QTest::newRow("24-hour clock, grouped digits, 1990s")
        << QByteArray("03-04-98  16:15    1,234,567 old file.txt")
        << "old file.txt|file|1234567|1998/03/04 16:15:00";
    QTest::newRow("IIS size over 4 GiB")
        << QByteArray("12-06-26  04:15PM           5000000000 disk.img")
        << "disk.img|file|5000000000|2026/12/06 16:15:00";

    // EPLF.
    QTest::newRow("EPLF file") << QByteArray("+i8388621.48594,m825718503,r,s280,\tdjb.html")
                               << "djb.html|file|280|1996/03/01 22:15:03";
    QTest::newRow("EPLF folder") << QByteArray("+i8388621.29609,m824255902,/,\tdev")
                                 << "dev|dir||1996/02/13 23:58:22";
}

void TestFtpListing::listLines() {
    QFETCH(QByteArray, line);
    QFETCH(QString, expected);
    TFtpFindData entry;
    const bool ok = ParseListLine(std::string_view(line.constData(), line.size()), entry, kToday);
    QCOMPARE(Describe(ok, entry), expected);
}

void TestFtpListing::mlsdLines_data() {
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("expected");
    QTest::newRow("file") << QByteArray(
                                 "type=file;size=1024;modify=20261206163700;perm=adfrw; page.html")
                          << "page.html|file|1024|2026/12/06 16:37:00";
    QTest::newRow("folder with fractional seconds")
        << QByteArray("type=dir;modify=20250101000000.123;perm=flcdmpe; sub dir")
        << "sub dir|dir||2025/01/01 00:00:00";
    QTest::newRow("perm before type") << QByteArray("perm=el;type=dir;modify=20250101000000; ro")
                                      << "ro|dir,ro||2025/01/01 00:00:00";
    QTest::newRow("read-only file")
        << QByteArray("type=file;size=5;perm=r; ro.txt") << "ro.txt|file,ro|5|";
    QTest::newRow("facts in other case")
        << QByteArray("Type=File;Size=5;Modify=20200101120000; Upper.txt")
        << "Upper.txt|file|5|2020/01/01 12:00:00";
    QTest::newRow("symbolic link")
        << QByteArray("type=OS.unix=slink:/target;size=6; link") << "link|link|6|";
    QTest::newRow("semicolons and blanks in the name")
        << QByteArray("size=10;type=file; x;y z ") << "x;y z |file|10|";
    QTest::newRow("64-bit size") << QByteArray("type=file;size=9000000000; big")
                                 << "big|file|9000000000|";
    QTest::newRow("current folder") << QByteArray("type=cdir;perm=el;unique=AB; /pub") << "-";
    QTest::newRow("parent folder") << QByteArray("type=pdir;perm=el; ..") << "-";
    QTest::newRow("name with a slash") << QByteArray("type=file;size=1; ../x") << "-";
    QTest::newRow("name with NUL") << QByteArray("type=file;size=1; a\0b", 21) << "-";
    QTest::newRow("no facts") << QByteArray("garbage line") << "-";
    QTest::newRow("no name") << QByteArray("type=file;size=1;") << "-";
}

void TestFtpListing::mlsdLines() {
    QFETCH(QByteArray, line);
    QFETCH(QString, expected);
    TFtpFindData entry;
    const bool ok = ParseMlsdLine(std::string_view(line.constData(), line.size()), entry);
    QCOMPARE(Describe(ok, entry), expected);
}

// One rule for both parsers: "." and ".." are no entries; a size or date that cannot be keeps
// the entry, with that value unknown.
void TestFtpListing::impossibleValues_data() {
    QTest::addColumn<bool>("mlsd");
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("expected");
    const auto mlsd = [](const char* name, const char* line, const char* expected) {
        QTest::addRow("MLSD %s", name) << true << QByteArray(line) << QString(expected);
    };
    const auto list = [](const char* name, const char* line, const char* expected) {
        QTest::addRow("LIST %s", name) << false << QByteArray(line) << QString(expected);
    };
    mlsd("largest size", "type=file;size=9223372036854775807; x", "x|file|9223372036854775807|");
    list("largest size", "-rw-r--r-- 1 u g 9223372036854775807 Jan  1  2020 x",
         "x|file|9223372036854775807|2020/01/01 00:00:00");
    mlsd("size one past 63 bits", "type=file;size=9223372036854775808; x", "x|file||");
    list("size one past 63 bits", "-rw-r--r-- 1 u g 9223372036854775808 Jan  1  2020 x",
         "x|file||2020/01/01 00:00:00");
    mlsd("25-digit size", "type=file;size=1234567890123456789012345; x", "x|file||");
    list("25-digit size", "-rw-r--r-- 1 u g 1234567890123456789012345 Jan  1  2020 x",
         "x|file||2020/01/01 00:00:00");
    list("DOS 25-digit size", "12-06-26  04:15PM  1234567890123456789012345 x",
         "x|file||2026/12/06 16:15:00");
    mlsd("leading zeros", "type=file;size=0000000000000000000000042; x", "x|file|42|");
    mlsd("negative size", "type=file;size=-5; x", "x|file||");
    list("negative size", "-rw-r--r-- 1 u g -5 Jan  1  2020 x", "x|file||2020/01/01 00:00:00");
    list("DOS negative size", "12-06-26  04:15PM  -5 x", "x|file||2026/12/06 16:15:00");

    mlsd("month 0", "type=file;size=1;modify=20260006120000; x", "x|file|1|");
    list("ISO month 0", "-rw-r--r-- 1 u g 1 2026-00-06 12:00 x", "x|file|1|");
    list("DOS month 0", "00-06-26  12:00PM  1 x", "x|file|1|");
    mlsd("month 13", "type=file;size=1;modify=20261306120000; x", "x|file|1|");
    list("ISO month 13", "-rw-r--r-- 1 u g 1 2026-13-06 12:00 x", "x|file|1|");
    list("DOS month 13", "13-06-26  12:00PM  1 x", "x|file|1|");
    mlsd("day 0", "type=file;size=1;modify=20260100120000; x", "x|file|1|");
    list("day 0", "-rw-r--r-- 1 u g 1 Jan  0  2020 x", "x|file|1|");
    mlsd("day 32", "type=file;size=1;modify=20260132120000; x", "x|file|1|");
    list("day 32", "-rw-r--r-- 1 u g 1 Jan 32  2020 x", "x|file|1|");
    list("DOS day 32", "01-32-26  12:00PM  1 x", "x|file|1|");
    mlsd("Feb 29 in a leap year", "type=file;size=1;modify=20240229120000; x",
         "x|file|1|2024/02/29 12:00:00");
    mlsd("Feb 29 in another year", "type=file;size=1;modify=20230229120000; x", "x|file|1|");
    list("Feb 29 in another year", "-rw-r--r-- 1 u g 1 Feb 29  2023 x", "x|file|1|");
    list("DOS Feb 29 in another year", "02-29-23  12:00PM  1 x", "x|file|1|");
    list("hour 25", "-rw-r--r-- 1 u g 1 Jan  1 25:61 x", "x|file|1|");
    list("DOS hour 13 PM", "12-06-26  13:15PM  1 x", "x|file|1|");

    mlsd("dot", "type=dir;size=0; .", "-");
    mlsd("dot dot", "type=dir;size=0; ..", "-");
    list("dot", "drwxr-xr-x   2 u g 512 Jun  3  2021 .", "-");
    list("dot dot", "drwxr-xr-x   2 u g 512 Jun  3  2021 ..", "-");
    list("DOS dot dot", "12-06-26  04:15PM  <DIR>  ..", "-");
    list("EPLF dot dot", "+/,\t..", "-");
}

void TestFtpListing::impossibleValues() {
    QFETCH(bool, mlsd);
    QFETCH(QByteArray, line);
    QFETCH(QString, expected);
    TFtpFindData entry;
    const std::string_view text(line.constData(), line.size());
    const bool ok = mlsd ? ParseMlsdLine(text, entry) : ParseListLine(text, entry, kToday);
    QCOMPARE(Describe(ok, entry), expected);
}

void TestFtpListing::wholeListing() {
    const std::string list = "total 8\r\n"
                             "drwxr-xr-x 2 u g 4096 Dec  1 10:00 b\r\n"
                             "\r\n"
                             "garbage\r\n"
                             "-rw-r--r-- 1 u g 3 Dec  1 10:00 a\n"
                             "-rw-r--r-- 1 u g 4 Dec  1 10:00 c";
    const auto entries = ParseListing(list, TListingFormat::List, kToday);
    QCOMPARE(entries.size(), size_t(3));
    QCOMPARE(entries[0].FileName, std::string("b")); // server order is kept
    QCOMPARE(entries[1].FileName, std::string("a"));
    QCOMPARE(entries[2].FileSize, int64_t(4));

    const auto mlsd = ParseListing("type=cdir; .\r\ntype=file;size=2; x\r\ntype=dir; y\r\n",
                                   TListingFormat::Mlsd, kToday);
    QCOMPARE(mlsd.size(), size_t(2));
    QVERIFY(mlsd[1].IsDirectory());
}

void TestFtpListing::calendar_data() {
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("day");
    QTest::addColumn<double>("dateTime"); // days since 1899-12-30
    QTest::newRow("base day") << 1899 << 12 << 30 << 0.0;
    QTest::newRow("unix epoch") << 1970 << 1 << 1 << 25569.0;
    QTest::newRow("leap day") << 2024 << 2 << 29 << 45351.0;
    QTest::newRow("no leap day in 2100") << 2100 << 2 << 29 << -1.0;
    QTest::newRow("month 13") << 2024 << 13 << 1 << -1.0;
}

void TestFtpListing::calendar() {
    QFETCH(int, year);
    QFETCH(int, month);
    QFETCH(int, day);
    QFETCH(double, dateTime);
    const int64_t ft = FileTimeFromCalendar(year, month, day, 0, 0, 0);
    if (dateTime < 0) {
        QCOMPARE(ft, int64_t(0));
        return;
    }
    QCOMPARE(FileTimeToDateTime(ft), dateTime);
    const int64_t noon = FileTimeFromCalendar(year, month, day, 12, 0, 0);
    QCOMPARE(FileTimeToDateTime(noon), dateTime + 0.5);
    QCOMPARE(QString::fromStdString(FormatDateTime(FileTimeToDateTime(noon))),
             QString::asprintf("%04d/%02d/%02d 12:00:00", year, month, day));
}

QTEST_GUILESS_MAIN(TestFtpListing)
#include "test_ftp_listing.moc"
