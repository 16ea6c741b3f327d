// Guards: server addresses and configured endpoints, at every scheme and both ends of the port.
#include "core/ftp/ServerAddress.h"
#include "core/ftp/ServerEndpoint.h"
#include "core/storage/TnkDBData.h"
#include "core/storage/TnkDBSource.h"

#include "support/TableRows.h"

#include <QtTest>

using namespace pw;

namespace {
using Problem = EServerAddress::Problem;

// Expected: "protocol|scheme given|user|password|host|port|effective port|path|host:port".
// clang-format off
const struct { const char *name, *text, *expected; } kAddresses[] = {
    {"bare host", "example.org", "0|0|||example.org|0|21|/|example.org"},
    {"bare host and port", "example.org:2121", "0|0|||example.org|2121|2121|/|example.org:2121"},
    {"ftp", "ftp://h", "0|1|||h|0|21|/|h"}, {"ftpes", "ftpes://h", "1|1|||h|0|21|/|h"},
    {"ftps is implicit TLS", "ftps://h", "2|1|||h|0|990|/|h"},
    {"sftp", "sftp://h", "3|1|||h|0|22|/|h"},
    {"upper-case scheme, host as written", "SFTP://Host.Ex", "3|1|||Host.Ex|0|22|/|Host.Ex"},
    {"mixed-case scheme", "FtPeS://h:1", "1|1|||h|1|1|/|h:1"},
    {"login, port and path", "ftp://ann:secret@h:21/site/news", "0|1|ann|secret|h|21|21|/site/news|h:21"},
    {"user without password", "sftp://ann@h:2222", "3|1|ann||h|2222|2222|/|h:2222"},
    {"login on a bare host", "ann:pw@h", "0|0|ann|pw|h|0|21|/|h"},
    {"%-escapes in login and path", "ftp://ed%40home:p%40ss%20w%3a@h/my%20docs/%E4%2f", "0|1|ed@home|p@ss w:|h|0|21|/my docs/\xE4/|h"},
    {"the last @ ends the login", "ftp://a:b@c@h", "0|1|a|b@c|h|0|21|/|h"},
    {"blanks around", " \tftp://h/x  ", "0|1|||h|0|21|/x|h"},
    {"port 1", "h:1", "0|0|||h|1|1|/|h:1"},
    {"port 65535", "ftps://h:65535", "2|1|||h|65535|65535|/|h:65535"},
    {"leading zeros", "h:000021", "0|0|||h|21|21|/|h:21"},
    {"leading zeros before 65535", "h:0065535", "0|0|||h|65535|65535|/|h:65535"},
    {"IPv6", "[::1]", "0|0|||::1|0|21|/|[::1]"},
    {"IPv6, port and path", "ftps://u@[2001:DB8::1]:990/x", "2|1|u||2001:DB8::1|990|990|/x|[2001:DB8::1]:990"},
    {"IPv4-mapped IPv6", "sftp://[::ffff:127.0.0.1]:22", "3|1|||::ffff:127.0.0.1|22|22|/|[::ffff:127.0.0.1]:22"},
};
// clang-format on

// clang-format off
const struct { const char* name; const char* text; Problem problem; const char* message; } kRefusals[] = {
    // the message holds the part of what() the user needs
    {"port 0", "h:0", Problem::Port, "port 0 is out of range 1 to 65535"},
    {"port 00000", "sftp://h:00000", Problem::Port, "out of range"},
    {"port 65536", "ftp://h:65536/", Problem::Port, "port 65536 is out of range"},
    {"port 99999", "h:99999", Problem::Port, "out of range"},
    {"six-digit port", "h:100000", Problem::Port, "out of range"},
    {"port far too long", "h:000000000000070000", Problem::Port, "out of range"},
    {"port with letters", "h:21a", Problem::Port, "port \"21a\" is not a number"},
    {"negative port", "h:-21", Problem::Port, "not a number"},
    {"colon without port", "sftp://h:/x", Problem::Port, "no port after"},
    {"IPv6 colon without port", "[::1]:", Problem::Port, "no port after"},
    {"unknown scheme", "http://h/", Problem::Scheme, "unknown scheme \"http://\""},
    {"scheme one letter short", "ftpe://h/", Problem::Scheme, "unknown scheme"},
    {"scheme typed with one slash", "ftp:/h", Problem::Port, "no port after"},
    {"not a scheme", "1ftp://h", Problem::Scheme, "is not a scheme"},
    {"empty text", "", Problem::NoHost, "no host"},
    {"blanks only", "  ", Problem::NoHost, "no host"},
    {"scheme without host", "ftp://", Problem::NoHost, "no host"},
    {"login without host", "ftp://ann:pw@/x", Problem::NoHost, "no host"},
    {"port without host", "ftps://:990", Problem::NoHost, "no host"},
    {"IPv6 without brackets", "::1", Problem::Host, "in brackets"},
    {"empty brackets", "[]", Problem::Host, "not an IPv6 address"},
    {"unclosed bracket", "[::1:21", Problem::Host, "not an IPv6 address"},
    {"zone index", "[fe80::1%25eth0]", Problem::Host, "not an IPv6 address"},
    {"text after the brackets", "[::1]x", Problem::Host, "after the IPv6 address"},
    {"blank inside the host", "my host", Problem::Host, "the host \"my host\""},
    {"control character in the host", "h\x7f", Problem::Host, "the host"},
    {"escape in the host", "ex%41mple.org", Problem::Host, "the host"},
    {"bad %-escape", "ftp://h/%zz", Problem::Escape, "bad %-escape"},
    {"cut %-escape", "ftp://h/a%4", Problem::Escape, "bad %-escape"},
    {"line break in the path", "ftp://h/a%0D%0ADELE%20b", Problem::Character, "line break or NUL in the path"},
    {"NUL in the login", "ftp://a%00b@h", Problem::Character, "in the login"},
    {"line break in the password", "ftp://a:b%0Ac@h", Problem::Character, "in the login"},
};
// clang-format on

// Fields "Name=value" of one record as a file holds them; a field not listed is not in the
// file. Expected: "protocol|host|port|passive|via temporary|fingerprint|key file", or the
// problem's number when the setting is refused.
// clang-format off
const struct { const char* name; QStringList fields; const char* expected; } kEndpoints[] = {
    {"older file", {"Name=Old", "Host=h"}, "0|h|21|1|1||"},
    {"older file, port in Host", {"Host=h:2121"}, "0|h|2121|1|1||"},
    {"older file, IPv6 in Host", {"Host=[::1]:2121"}, "0|::1|2121|1|1||"},
    {"older file, bad port in Host", {"Host=h:x"}, "0|h|21|1|1||"},
    {"Port wins over Host", {"Host=h:2121", "Port= 3000 "}, "0|h|3000|1|1||"},
    {"Port 1 and 65535", {"Host=h:1", "Port=65535"}, "0|h|65535|1|1||"},
    {"empty Port takes Host's", {"Host=h:2121", "Port="}, "0|h|2121|1|1||"},
    {"explicit TLS keeps 21", {"Host=h", "Protocol=1"}, "1|h|21|1|1||"},
    {"implicit TLS defaults to 990", {"Host=h", "Protocol=2"}, "2|h|990|1|1||"},
    {"SFTP defaults to 22", {"Host=h", "Protocol=3"}, "3|h|22|1|1||"},
    {"SFTP with a port in Host", {"Host=h:2222", "Protocol= 3"}, "3|h|2222|1|1||"},
    {"FTP stored as the empty value", {"Host=h", "Protocol="}, "0|h|21|1|1||"},
    {"only exact TRUE is on", {"Host=h", "PassiveMode=true", "UploadViaTemporary=TRUE "}, "0|h|21|0|0||"},
    {"passive cleared", {"Host=h", "PassiveMode=", "UploadViaTemporary=TRUE"}, "0|h|21|0|1||"},
    {"pinned key and key file", {"Host=h", "Protocol=3", "TrustedFingerprint=SHA256:q1", "KeyFile=/k/id"}, "3|h|22|1|1|SHA256:q1|/k/id"},
    // Never a guess instead: plain FTP where another protocol was meant sends the password
    // in the clear.
    {"Port 0 written as text", {"Host=h", "Port=00"}, "Port"},
    {"Port 65536", {"Host=h", "Port=65536"}, "Port"},
    {"Port not a number", {"Host=h", "Port=ftp"}, "Port"},
    {"unknown protocol", {"Host=h", "Protocol=4"}, "Protocol"},
    {"negative protocol", {"Host=h", "Protocol=-1"}, "Protocol"},
    {"protocol as a name", {"Host=h", "Protocol=sftp"}, "Protocol"},
};
// clang-format on

QString describe(const ServerAddress& a) {
    return QStringList{QString::number(int(a.protocol)),   QString::number(a.schemeGiven),
                       QString::fromLatin1(a.user),        QString::fromLatin1(a.password),
                       QString::fromLatin1(a.host),        QString::number(a.port),
                       QString::number(a.EffectivePort()), QString::fromLatin1(a.path),
                       QString::fromLatin1(a.HostPort())}
        .join('|');
}

QString describe(const ServerEndpoint& e) {
    return QStringList{QString::number(int(e.protocol)),
                       QString::fromStdString(e.host),
                       QString::number(e.port),
                       QString::number(e.passive),
                       QString::number(e.uploadViaTemporary),
                       QString::fromStdString(e.trustedFingerprint),
                       QString::fromStdString(e.keyFile)}
        .join('|');
}
} // namespace

class TestFtpEndpoint : public QObject {
    Q_OBJECT
private slots:
    void parseAddress_data() { addRows(kAddresses); }
    void parseAddress() {
        const auto& c = kAddresses[fetchedRow()];
        QCOMPARE(describe(ParseServerAddress(c.text)), QString::fromLatin1(c.expected));
    }
    void refuseAddress_data() { addRows(kRefusals); }
    void refuseAddress();
    void readEndpoint_data() { addRows(kEndpoints); }
    void readEndpoint();
    void protocols();
};

void TestFtpEndpoint::refuseAddress() {
    const auto& c = kRefusals[fetchedRow()];
    try {
        ParseServerAddress(c.text);
        QFAIL("the address was taken");
    } catch (const EServerAddress& e) {
        QCOMPARE(int(e.problem()), int(c.problem));
        QVERIFY2(QString::fromLatin1(e.what()).contains(c.message), e.what());
    }
}

void TestFtpEndpoint::readEndpoint() {
    const auto& c = kEndpoints[fetchedRow()];
    TnkDBData data;
    TnkDBSource source(&data); // without definitions, as the main window reads a file
    for (const QString& field : c.fields)
        data.Table().AddField(field.section('=', 0, 0).toStdString());
    source.Append();
    for (const QString& field : c.fields)
        source.SetText(0, field.section('=', 0, 0).toStdString(),
                       field.section('=', 1).toStdString());
    QString got;
    try {
        got = describe(ReadServerEndpoint(source, 0));
    } catch (const EServerAddress& e) {
        got = e.problem() == Problem::Port       ? "Port"
              : e.problem() == Problem::Protocol ? "Protocol"
                                                 : "?";
    }
    QCOMPARE(got, QString::fromLatin1(c.expected));
}

void TestFtpEndpoint::protocols() {
    QStringList rows;
    for (int i = -1; i <= kFtpProtocolCount; ++i) {
        const auto p = FtpProtocolFromNumber(i);
        rows << (p ? QString("%1 %2 %3")
                         .arg(ProtocolScheme(*p))
                         .arg(DefaultPort(*p))
                         .arg(ProtocolCaption(*p))
                   : "-");
    }
    QCOMPARE(rows, QStringList({"-", "ftp 21 FTP", "ftpes 21 FTP over explicit TLS",
                                "ftps 990 FTP over implicit TLS", "sftp 22 SFTP", "-"}));
    QCOMPARE(HostPortText("::1", 0) + " " + HostPortText("h", 65535), std::string("[::1] h:65535"));
}

QTEST_GUILESS_MAIN(TestFtpEndpoint)
#include "test_ftp_endpoint.moc"
