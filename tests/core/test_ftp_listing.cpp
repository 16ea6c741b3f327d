// Guards: listing lines (Unix, DOS, EPLF, MLSD) read at every column, date and size boundary.
#include "core/ftp/FtpListing.h"

#include "support/TableRows.h"

#include <QtTest>

using namespace pw;

namespace {
// A fixed "today" for lines that show a time instead of a year.
const TListingDate kToday{2026, 6, 15};

// "name|kind|size|time", an unknown size or time empty; "-" for no entry.
std::string describe(bool ok, const TFtpFindData& e) {
    if (!ok) return "-";
    std::string kind = e.IsDirectory()                                 ? "dir"
                       : (e.Attributes & FILE_ATTRIBUTE_REPARSE_POINT) ? "link"
                                                                       : "file";
    if (e.Attributes & FILE_ATTRIBUTE_READONLY) kind += ",ro";
    return e.FileName + "|" + kind + "|" + e.SizeText() + "|" + e.TimeText();
}

const char* const kU = "-rw-r--r-- 1 u g "; // a Unix line up to its size column

// clang-format off
const struct { const char* name; bool mlsd; QByteArray line; const char* expected; } kLines[] = {
    // Unix "ls -l" and its variants.
    {"folder, year", 0, "drwxr-xr-x   2 ftp  ftp   4096 Dec  6  2020 pub",
        "pub|dir|4096|2020/12/06 00:00:00"},
    {"tomorrow is this year", 0, QByteArray(kU) + "1 Jun 16 00:00 a",
        "a|file|1|2026/06/16 00:00:00"},
    {"two days ahead is last year", 0, QByteArray(kU) + "1 Jun 17 23:59 a",
        "a|file|1|2025/06/17 23:59:00"},
    {"later month is last year", 0, QByteArray(kU) + "1 Jul  1 10:00 a",
        "a|file|1|2025/07/01 10:00:00"},
    {"January is this year", 0, QByteArray(kU) + "1 jan 01 10:00 a",
        "a|file|1|2026/01/01 10:00:00"},
    {"December, upper case", 0, QByteArray(kU) + "1 DEC 31  1999 a",
        "a|file|1|1999/12/31 00:00:00"},
    {"blanks in the name, 40-bit size", 0,
        QByteArray(kU) + "1073741824000 Jan 15  2024 big file.iso",
        "big file.iso|file|1073741824000|2024/01/15 00:00:00"},
    {"symbolic link", 0, "lrwxrwxrwx 1 u g 7 Feb 20  2020 current -> rel/2.0",
        "current|link|7|2020/02/20 00:00:00"},
    {"no group column", 0, "-rw-r--r--   1 user  1234 Nov 30  2020 x",
        "x|file|1234|2020/11/30 00:00:00"},
    {"mode, size, date only", 0, "-rw-r--r-- 5 Jan  1  2020 x", "x|file|5|2020/01/01 00:00:00"},
    {"ACL marker, ISO date with seconds", 0, "drwxr-xr-x+ 3 u g 4096 2025-03-04 12:34:56 iso",
        "iso|dir|4096|2025/03/04 12:34:56"},
    {"device folder kind", 0, "Drwxr-xr-x 1 u g 0 Jan  1  2020 d", "d|dir|0|2020/01/01 00:00:00"},
    {"name starting with a blank", 0, QByteArray(kU) + "12 Jan  1  2020  lead",
        " lead|file|12|2020/01/01 00:00:00"},
    {"name ending with a blank", 0, QByteArray(kU) + "0 Jan  1  2020 trail ",
        "trail |file|0|2020/01/01 00:00:00"},
    {"read-only file", 0, "-r-xr--r-- 1 u g 10 Jun  3  2021 ro",
        "ro|file,ro|10|2021/06/03 00:00:00"},
    {"CR LF left on the line", 0, QByteArray(kU) + "3 Jan  2  2023 x\r\n",
        "x|file|3|2023/01/02 00:00:00"},
    {"three-digit day is no date", 0, QByteArray(kU) + "3 Jan 100  2023 x", "-"},
    {"unknown month name", 0, QByteArray(kU) + "3 Dek  2  2023 x", "-"},
    {"nine-letter mode", 0, "-rw-r--r- 1 u g 3 Jan  2  2023 x", "-"},
    {"unknown mode letter", 0, "-rw-r-q-r-- 1 u g 3 Jan  2  2023 x", "-"},
    {"total line", 0, "total 48", "-"}, {"reply line", 0, "226 Transfer complete.", "-"},
    {"name with a slash", 0, QByteArray(kU) + "5 Dec  6  2020 ../../etc", "-"},
    {"no name", 0, QByteArray(kU) + "5 Jan  1  2020", "-"},
    {"line ends after the day", 0, QByteArray(kU) + "5 Jan  1", "-"},
    // DOS style.
    {"DOS folder", 0, "12-06-26  04:15PM       <DIR>          Public Folder",
        "Public Folder|dir||2026/12/06 16:15:00"},
    {"DOS 12 AM is midnight, 4-digit year", 0, "12-06-2026  12:00AM   123 m",
        "m|file|123|2026/12/06 00:00:00"},
    {"DOS 12 PM is noon", 0, "01/31/26  12:30PM   5 n", "n|file|5|2026/01/31 12:30:00"},
    {"DOS 1 AM and 11 PM", 0, "12-31-69  11:59PM 1 a", "a|file|1|2069/12/31 23:59:00"},
    {"DOS 70 is 1970", 0, "01-01-70  01:00am 1 a", "a|file|1|1970/01/01 01:00:00"},
    {"DOS 24-hour clock, grouped digits", 0, "03-04-98  16:15    1,234,567 old file",
        "old file|file|1234567|1998/03/04 16:15:00"},
    {"DOS hour 0 AM", 0, "12-06-26  00:15AM  1 x", "x|file|1|"},
    {"DOS hour 13 PM", 0, "12-06-26  13:15PM  1 x", "x|file|1|"},
    {"DOS mixed separators", 0, "12-06/26  04:15PM  1 x", "-"},
    {"DOS other suffix", 0, "12-06-26  04:15XM  1 x", "-"},
    {"DOS negative size", 0, "12-06-26  04:15PM  -5 x", "x|file||2026/12/06 16:15:00"},
    {"DOS dot dot", 0, "12-06-26  04:15PM  <DIR>  ..", "-"},
    {"DOS size without a name", 0, "12-06-26  04:15PM  5", "-"},
    // EPLF.
    {"EPLF file", 0, "+i8388621.48594,m825718503,r,s280,\tdjb.html",
        "djb.html|file|280|1996/03/01 22:15:03"},
    {"EPLF folder, last second of 9999", 0, "+/,m253402300799,\tdev",
        "dev|dir||9999/12/31 23:59:59"},
    {"EPLF time past 9999", 0, "+m253402300800,\tx", "x|file||"},
    {"EPLF dot dot", 0, "+/,\t..", "-"},
    // MLSD.
    {"MLSD file", 1, "type=file;size=1024;modify=20261206163700;perm=adfrw; page.html",
        "page.html|file|1024|2026/12/06 16:37:00"},
    {"MLSD fractional seconds", 1, "type=dir;modify=20250101000000.123;perm=flcdmpe; sub dir",
        "sub dir|dir||2025/01/01 00:00:00"},
    {"MLSD folder without c is read-only", 1, "perm=el;type=dir; ro", "ro|dir,ro||"},
    {"MLSD file without w is read-only", 1, "type=file;size=5;perm=r; ro", "ro|file,ro|5|"},
    {"MLSD facts in other case", 1, "Type=File;Sizd=5;Modify=20200101120000;Perm=W; U",
        "U|file|5|2020/01/01 12:00:00"},
    {"MLSD 13-digit time", 1, "type=file;modify=2020010112000; x", "x|file||"},
    {"MLSD link", 1, "type=OS.unix=slink:/target;size=6; link", "link|link|6|"},
    {"MLSD other link form", 1, "type=OS.UNIX=symlink; l", "l|link||"},
    {"MLSD semicolons and blanks in the name", 1, "size=10;type=file; x;y z ", "x;y z |file|10|"},
    {"MLSD current folder", 1, "type=cdir;perm=el; pub", "-"},
    {"MLSD parent folder", 1, "type=pdir; up", "-"},
    {"MLSD name with a slash", 1, "type=file; ../x", "-"},
    {"MLSD name with NUL", 1, QByteArray("type=file; a\0b", 14), "-"},
    {"MLSD no facts", 1, "garbage line", "-"}, {"MLSD no name", 1, "type=file;size=1;", "-"},
    {"dot", 1, "type=dir; .", "-"},
    // A size or date that cannot be keeps the entry with that value unknown.
    {"largest size", 1, "type=file;size=9223372036854775807; x", "x|file|9223372036854775807|"},
    {"size one past 63 bits", 1, "type=file;size=9223372036854775808; x", "x|file||"},
    {"Unix size one past 63 bits", 0, QByteArray(kU) + "9223372036854775808 Jan  1  2020 x",
        "x|file||2020/01/01 00:00:00"},
    {"leading zeros", 1, "type=file;size=0000000000000000000000042; x", "x|file|42|"},
    {"20-digit size", 1, "type=file;size=18446744073709551616; x", "x|file||"},
    {"negative size", 0, QByteArray(kU) + "-5 Jan  1  2020 x", "x|file||2020/01/01 00:00:00"},
    {"month 0", 1, "type=file;modify=20260006120000; x", "x|file||"},
    {"month 13", 1, "type=file;modify=20261306120000; x", "x|file||"},
    {"day 0", 0, QByteArray(kU) + "1 Jan  0  2020 x", "x|file|1|"},
    {"Dec 32", 1, "type=file;modify=20261232120000; x", "x|file||"},
    {"Feb 29 in a leap year", 1, "type=file;modify=20240229120000; x",
        "x|file||2024/02/29 12:00:00"},
    {"Feb 29 in 2100", 1, "type=file;modify=21000229120000; x", "x|file||"},
    {"Apr 31", 0, "04-31-26  12:00PM  1 x", "x|file|1|"},
    {"Feb 29 in 2000, second 60", 1, "type=file;modify=20000229235960; x",
        "x|file||2000/03/01 00:00:00"},
    {"year 1600", 1, "type=file;modify=16001231120000; x", "x|file||"},
    {"hour 24", 0, QByteArray(kU) + "1 Jan  1 24:00 x", "x|file|1|"},
    {"minute 60", 1, "type=file;modify=20200101126000; x", "x|file||"},
    {"second 61", 1, "type=file;modify=20200101120061; x", "x|file||"},
};

// Whole listings and the names read from them.
const struct { TListingFormat format; const char *text, *names; } kListings[] = {
    {TListingFormat::List, "total 8\r\ndrwxr-xr-x 2 u g 4096 Dec  1  2020 b\r\n\r\ngarbage\r\n"
                           "-rw-r--r-- 1 u g 3 Dec  1  2020 a\n-rw-r--r-- 1 u g 4 Dec  1  2020 c",
        "b,a,c"},
    {TListingFormat::Mlsd, "type=cdir; .\r\ntype=file;size=2; x\r\ntype=dir; y", "x,y"}};
// clang-format on
} // namespace

class TestFtpListing : public QObject {
    Q_OBJECT

private slots:
    void lines_data() { addRows(kLines); }
    void lines() {
        const auto& c = kLines[fetchedRow()];
        TFtpFindData entry;
        const std::string_view text(c.line.constData(), size_t(c.line.size()));
        const bool ok = c.mlsd ? ParseMlsdLine(text, entry) : ParseListLine(text, entry, kToday);
        QCOMPARE(describe(ok, entry), std::string(c.expected));
    }
    // Every line in the server's order: line ends of either kind, blank and unreadable lines
    // skipped, the last line without an end.
    void wholeListing() {
        for (const auto& c : kListings) {
            QStringList names;
            for (const auto& e : ParseListing(c.text, c.format, kToday))
                names << QString::fromStdString(e.FileName);
            QCOMPARE(names.join(','), c.names);
        }
    }

    // Day numbers since 1899-12-30 at both ends of the calendar and around leap days; today.
    void calendar() {
        // clang-format off
        const struct { int year, month, day; double dateTime; } cases[] = {
            {1899, 12, 30, 0}, {1970, 1, 1, 25569}, {2024, 2, 29, 45351}, {2024, 3, 1, 45352},
            {1601, 1, 1, -109205}, {9999, 12, 31, 2958465},
        };
        // clang-format on
        QCOMPARE(FileTimeFromCalendar(10000, 1, 1, 0, 0, 0), kUnknownFileTime);
        const TListingDate today = TListingDate::Today(); // what gives Unix times their year
        QCOMPARE(QDate(today.Year, today.Month, today.Day), QDateTime::currentDateTimeUtc().date());
        for (const auto& c : cases) {
            const int64_t noon = FileTimeFromCalendar(c.year, c.month, c.day, 12, 0, 0);
            QCOMPARE(FileTimeToDateTime(noon), c.dateTime + 0.5);
            QCOMPARE(QString::fromStdString(FormatDateTime(c.dateTime + 0.5)),
                     QString::asprintf("%04d/%02d/%02d 12:00:00", c.year, c.month, c.day));
        }
    }
};

QTEST_GUILESS_MAIN(TestFtpListing)
#include "test_ftp_listing.moc"
