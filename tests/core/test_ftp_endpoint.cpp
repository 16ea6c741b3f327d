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
    {"ftp", "ftp://h", "0|1|||h|0|21|/|h"},
    {"ftpes", "ftpes://h", "1|1|||h|0|21|/|h"},
    {"ftps is implicit TLS", "ftps://h", "2|1|||h|0|990|/|h"},
    {"sftp", "sftp://h", "3|1|||h|0|22|/|h"},
    {"upper-case scheme, host as written", "SFTP://Host.Ex", "3|1|||Host.Ex|0|22|/|Host.Ex"},
    {"login, port and path", "ftp://ann:secret@h:21/site/news",
        "0|1|ann|secret|h|21|21|/site/news|h:21"},
    {"user without password", "sftp://ann@h:2222", "3|1|ann||h|2222|2222|/|h:2222"},
    {"%-escapes in login and path", "ftp://ed%40home:p%40ss%20w%3a@h/my%20docs/%E4%2f",
        "0|1|ed@home|p@ss w:|h|0|21|/my docs/\xE4/|h"},
    {"the last @ ends the login", "ftp://a:b@c@h", "0|1|a|b@c|h|0|21|/|h"},
    {"blanks around", " \tftp://h/x  ", "0|1|||h|0|21|/x|h"},
    {"port 65535", "ftps://h:65535", "2|1|||h|65535|65535|/|h:65535"},
    {"port 1", "h:1", "0|0|||h|1|1|/|h:1"},
    {"leading zeros before 65535", "h:0065535", "0|0|||h|65535|65535|/|h:65535"},
    {"IPv6", "[::1]", "0|0|||::1|0|21|/|[::1]"},
    {"IPv6, port and path", "ftps://u@[2001:DB8::1]:990/x",
        "2|1|u||2001:DB8::1|990|990|/x|[2001:DB8::1]:990"}};

// The message holds the part of what() the user needs.
const struct { const char* name; const char* text; Problem problem; const char* message;
    } kRefusals[] = {
    {"port 0", "h:0", Problem::Port, "port 0 is out of range 1 to 65535"},
    {"port 65536", "ftp://h:65536/", Problem::Port, "port 65536"},
    {"port past 64 bits", "h:18446744073709551617", Problem::Port, "out of range"},
    {"port with letters", "h:21a", Problem::Port, "port \"21a\" is not a number"},
    {"colon without port", "sftp://h:/x", Problem::Port, "no port after"},
    {"IPv6 colon without port", "[::1]:", Problem::Port, "no port after"},
    {"scheme typed with one slash", "ftp:/h", Problem::Port, "no port after"},
    {"unknown scheme", "http://h/", Problem::Scheme, "unknown scheme \"http://\""},
    {"not a scheme", "1ftp://h", Problem::Scheme, "is not a scheme"},
    {"blank in the scheme", "f tp://h", Problem::Scheme, "is not a scheme"},
    {"digits in an unknown scheme", "s09://h", Problem::Scheme, "unknown scheme"},
    {"blanks only", "  ", Problem::NoHost, "no host"},
    {"port without host", "ftps://:990", Problem::NoHost, "no host"},
    {"IPv6 without brackets", "::1", Problem::Host, "in brackets"},
    {"empty brackets", "[]", Problem::Host, "not an IPv6 address"},
    {"unclosed bracket", "[::1:21", Problem::Host, "not an IPv6"},
    {"zone index", "[fe80::1%25eth0]", Problem::Host, "not an IPv6 address"},
    {"text after the brackets", "[::1]x", Problem::Host, "after the IPv6 address"},
    {"blank inside the host", "my host", Problem::Host, "the host \"my host\""},
    {"control character in the host", "h\x7f", Problem::Host, "the host"},
    {"escape in the host", "ex%41mple.org", Problem::Host, "the host"},
    {"bad %-escape", "ftp://h/%zz", Problem::Escape, "bad %-escape"},
    {"cut %-escape", "ftp://h/a%4", Problem::Escape, "bad"},
    {"line break in the path", "ftp://h/a%0D%0ADELE%20b", Problem::Character,
        "line break or NUL in the path"},
    {"NUL in the login", "ftp://a%00b@h", Problem::Character, "in the login"},
    {"line break in the password", "ftp://a:b%0Ac@h", Problem::Character, "in the login"}};

// Fields "Name=value" of one record as a file holds them; a field not listed is not in the
// file. Expected: "protocol|host|port|passive|via temporary|fingerprint|key file", or the
// problem when the setting is refused: never a guess, as plain FTP where another protocol was
// meant sends the password in the clear.
const struct { const char* name; QStringList fields; const char* expected; } kEndpoints[] = {
    {"older file, port in Host", {"Host=h:2121"}, "0|h|2121|1|1||"},
    {"older file, IPv6 in Host", {"Host=[::1]:2121"}, "0|::1|2121|1|1||"},
    {"Port wins over Host", {"Host=h:2121", "Port= 3000 "}, "0|h|3000|1|1||"},
    {"Port 65535", {"Host=h:1", "Port=65535"}, "0|h|65535|1|1||"},
    {"empty Port takes Host's", {"Host=h:2121", "Port="}, "0|h|2121|1|1||"},
    {"implicit TLS defaults to 990", {"Host=h", "Protocol=2"}, "2|h|990|1|1||"},
    {"Protocol as the first field", {"Protocol=3", "Host=h"}, "3|h|22|1|1||"},
    {"FTP stored as the empty value", {"Name=Old", "Host=h", "Protocol="}, "0|h|21|1|1||"},
    {"only exact TRUE is on", {"Host=h", "PassiveMode=true", "UploadViaTemporary=TRUE "},
        "0|h|21|0|0||"},
    {"passive cleared", {"Host=h", "PassiveMode=", "UploadViaTemporary=TRUE"}, "0|h|21|0|1||"},
    {"SFTP with pinned key and key file",
        {"Host=h", "Protocol=3", "TrustedFingerprint=SHA256:q1", "KeyFile=/k/id"},
        "3|h|22|1|1|SHA256:q1|/k/id"},
    {"Port 0 written as text", {"Host=h", "Port=00"}, "Port"},
    {"Port 65536", {"Host=h", "Port=65536"}, "Port"},
    {"unknown protocol", {"Host=h", "Protocol=4"}, "Protocol"},
    {"negative protocol", {"Host=h", "Protocol=-1"}, "Protocol"},
    {"protocol as a name", {"Host=h", "Protocol=sftp"}, "Protocol"}};
// clang-format on

const auto n = [](auto v) { return std::to_string(v); };

std::string describe(const ServerAddress& a) {
    return n(int(a.protocol)) + "|" + n(a.schemeGiven) + "|" + a.user + "|" + a.password + "|" +
           a.host + "|" + n(a.port) + "|" + n(a.EffectivePort()) + "|" + a.path + "|" +
           a.HostPort();
}

std::string describe(const ServerEndpoint& e) {
    return n(int(e.protocol)) + "|" + e.host + "|" + n(e.port) + "|" + n(e.passive) + "|" +
           n(e.uploadViaTemporary) + "|" + e.trustedFingerprint + "|" + e.keyFile;
}
} // namespace

class TestFtpEndpoint : public QObject {
    Q_OBJECT
private slots:
    void parseAddress_data() { addRows(kAddresses); }
    void parseAddress() {
        const auto& c = kAddresses[fetchedRow()];
        QCOMPARE(describe(ParseServerAddress(c.text)), std::string(c.expected));
    }

    void refuseAddress_data() { addRows(kRefusals); }
    void refuseAddress() {
        const auto& c = kRefusals[fetchedRow()];
        try {
            ParseServerAddress(c.text);
            QFAIL("the address was taken");
        } catch (const EServerAddress& e) {
            QCOMPARE(int(e.problem()), int(c.problem));
            QVERIFY2(QString::fromLatin1(e.what()).contains(c.message), e.what());
        }
    }

    void readEndpoint_data() { addRows(kEndpoints); }
    void readEndpoint() {
        const auto& c = kEndpoints[fetchedRow()];
        TnkDBData data;
        TnkDBSource source(&data); // without definitions, as the main window reads a file
        for (const QString& field : c.fields)
            data.Table().AddField(field.section('=', 0, 0).toStdString());
        source.Append();
        for (const QString& field : c.fields)
            source.SetText(0, field.section('=', 0, 0).toStdString(),
                           field.section('=', 1).toStdString());
        std::string got;
        try {
            got = describe(ReadServerEndpoint(source, 0));
        } catch (const EServerAddress& e) {
            got = std::string(e.problem() == Problem::Port ? "Port" : "") +
                  (e.problem() == Problem::Protocol ? "Protocol" : "");
        }
        QCOMPARE(got, std::string(c.expected));
    }

    void protocols() {
        QStringList rows;
        for (int i = -1; i <= kFtpProtocolCount; ++i) {
            const auto p = FtpProtocolFromNumber(i);
            rows << (p ? QString("%1 %2 %3")
                             .arg(ProtocolScheme(*p))
                             .arg(DefaultPort(*p))
                             .arg(ProtocolCaption(*p))
                       : "-");
        }
        QCOMPARE(rows.join(','), "-,ftp 21 FTP,ftpes 21 FTP over explicit TLS,ftps 990 FTP over "
                                 "implicit TLS,sftp 22 SFTP,-");
    }
};

QTEST_GUILESS_MAIN(TestFtpEndpoint)
#include "test_ftp_endpoint.moc"
