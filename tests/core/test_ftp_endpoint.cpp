// Server addresses as typed (schemes, logins, ports, IPv6, %-escapes, refused input) and the
// endpoint read from a configuration record, including files that predate the settings.
#include "core/ftp/ServerAddress.h"
#include "core/ftp/ServerEndpoint.h"
#include "core/storage/TnkDBData.h"
#include "core/storage/TnkDBSource.h"

#include <QtTest>

using namespace pw;

namespace {
using Problem = EServerAddress::Problem;
constexpr int kValid = -1;

int protocolNumber(FtpProtocol protocol) {
    return static_cast<int>(protocol);
}

// One configuration record holding exactly `fields` ("Name=value", the value kept as that
// text), as a source without definitions (the main window's) sees a file: a field not
// listed is not in the file.
struct Record {
    TnkDBData data;
    TnkDBSource source{&data};
    explicit Record(const QStringList& fields) {
        for (const QString& field : fields)
            data.Table().AddField(field.section('=', 0, 0).toStdString());
        source.Append();
        for (const QString& field : fields)
            source.SetText(0, field.section('=', 0, 0).toStdString(),
                           field.section('=', 1).toStdString());
    }
};
} // namespace

class TestFtpEndpoint : public QObject {
    Q_OBJECT
private slots:
    void parseAddress_data();
    void parseAddress();
    void refuseAddress_data();
    void refuseAddress();
    void readEndpoint_data();
    void readEndpoint();
    void refuseEndpoint_data();
    void refuseEndpoint();
};

void TestFtpEndpoint::parseAddress_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("protocol");
    QTest::addColumn<bool>("schemeGiven");
    QTest::addColumn<QByteArray>("user");
    QTest::addColumn<QByteArray>("password");
    QTest::addColumn<QByteArray>("host");
    QTest::addColumn<int>("port");          // as given, 0 for none
    QTest::addColumn<int>("effectivePort"); // with the protocol's default
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<QByteArray>("hostPort");
    const int ftp = 0, explicitTls = 1, implicitTls = 2, sftp = 3;
    QTest::newRow("bare host") << QByteArray("example.org") << ftp << false << QByteArray()
                               << QByteArray() << QByteArray("example.org") << 0 << 21
                               << QByteArray("/") << QByteArray("example.org");
    QTest::newRow("bare host and port")
        << QByteArray("example.org:2121") << ftp << false << QByteArray() << QByteArray()
        << QByteArray("example.org") << 2121 << 2121 << QByteArray("/")
        << QByteArray("example.org:2121");
    QTest::newRow("ftp") << QByteArray("ftp://h") << ftp << true << QByteArray() << QByteArray()
                         << QByteArray("h") << 0 << 21 << QByteArray("/") << QByteArray("h");
    QTest::newRow("ftpes") << QByteArray("ftpes://h") << explicitTls << true << QByteArray()
                           << QByteArray() << QByteArray("h") << 0 << 21 << QByteArray("/")
                           << QByteArray("h");
    QTest::newRow("ftps is implicit TLS")
        << QByteArray("ftps://h") << implicitTls << true << QByteArray() << QByteArray()
        << QByteArray("h") << 0 << 990 << QByteArray("/") << QByteArray("h");
    QTest::newRow("sftp") << QByteArray("sftp://h") << sftp << true << QByteArray() << QByteArray()
                          << QByteArray("h") << 0 << 22 << QByteArray("/") << QByteArray("h");
    QTest::newRow("upper-case scheme, host as written")
        << QByteArray("SFTP://Host.Example") << sftp << true << QByteArray() << QByteArray()
        << QByteArray("Host.Example") << 0 << 22 << QByteArray("/") << QByteArray("Host.Example");
    QTest::newRow("mixed-case scheme")
        << QByteArray("FtPeS://h") << explicitTls << true << QByteArray() << QByteArray()
        << QByteArray("h") << 0 << 21 << QByteArray("/") << QByteArray("h");
    QTest::newRow("login, port and path")
        << QByteArray("ftp://ann:secret@h:21/site/news") << ftp << true << QByteArray("ann")
        << QByteArray("secret") << QByteArray("h") << 21 << 21 << QByteArray("/site/news")
        << QByteArray("h:21");
    QTest::newRow("user without password")
        << QByteArray("sftp://ann@h:2222") << sftp << true << QByteArray("ann") << QByteArray()
        << QByteArray("h") << 2222 << 2222 << QByteArray("/") << QByteArray("h:2222");
    QTest::newRow("login on a bare host")
        << QByteArray("ann:pw@h") << ftp << false << QByteArray("ann") << QByteArray("pw")
        << QByteArray("h") << 0 << 21 << QByteArray("/") << QByteArray("h");
    QTest::newRow("%-escapes in login and path")
        << QByteArray("ftp://ed%40home:p%40ss%20w%3a@h/my%20docs/%E4%2f") << ftp << true
        << QByteArray("ed@home") << QByteArray("p@ss w:") << QByteArray("h") << 0 << 21
        << QByteArray("/my docs/\xE4/") << QByteArray("h");
    QTest::newRow("the last @ ends the login")
        << QByteArray("ftp://a:b@c@h") << ftp << true << QByteArray("a") << QByteArray("b@c")
        << QByteArray("h") << 0 << 21 << QByteArray("/") << QByteArray("h");
    QTest::newRow("blanks around")
        << QByteArray(" \tftp://h/x  ") << ftp << true << QByteArray() << QByteArray()
        << QByteArray("h") << 0 << 21 << QByteArray("/x") << QByteArray("h");
    QTest::newRow("port 1") << QByteArray("h:1") << ftp << false << QByteArray() << QByteArray()
                            << QByteArray("h") << 1 << 1 << QByteArray("/") << QByteArray("h:1");
    QTest::newRow("port 65535") << QByteArray("ftps://h:65535") << implicitTls << true
                                << QByteArray() << QByteArray() << QByteArray("h") << 65535 << 65535
                                << QByteArray("/") << QByteArray("h:65535");
    QTest::newRow("leading zeros")
        << QByteArray("h:000021") << ftp << false << QByteArray() << QByteArray() << QByteArray("h")
        << 21 << 21 << QByteArray("/") << QByteArray("h:21");
    QTest::newRow("IPv6") << QByteArray("[::1]") << ftp << false << QByteArray() << QByteArray()
                          << QByteArray("::1") << 0 << 21 << QByteArray("/") << QByteArray("[::1]");
    QTest::newRow("IPv6, port and path")
        << QByteArray("ftps://u@[2001:DB8::1]:990/x") << implicitTls << true << QByteArray("u")
        << QByteArray() << QByteArray("2001:DB8::1") << 990 << 990 << QByteArray("/x")
        << QByteArray("[2001:DB8::1]:990");
    QTest::newRow("IPv4-mapped IPv6")
        << QByteArray("sftp://[::ffff:127.0.0.1]:22") << sftp << true << QByteArray()
        << QByteArray() << QByteArray("::ffff:127.0.0.1") << 22 << 22 << QByteArray("/")
        << QByteArray("[::ffff:127.0.0.1]:22");
}

void TestFtpEndpoint::parseAddress() {
    QFETCH(QByteArray, text);
    const ServerAddress a = ParseServerAddress(text.toStdString());
    QTEST(protocolNumber(a.protocol), "protocol");
    QTEST(a.schemeGiven, "schemeGiven");
    QTEST(QByteArray::fromStdString(a.user), "user");
    QTEST(QByteArray::fromStdString(a.password), "password");
    QTEST(QByteArray::fromStdString(a.host), "host");
    QTEST(int(a.port), "port");
    QTEST(int(a.EffectivePort()), "effectivePort");
    QTEST(QByteArray::fromStdString(a.path), "path");
    QTEST(QByteArray::fromStdString(a.HostPort()), "hostPort");
}

void TestFtpEndpoint::refuseAddress_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("problem");
    QTest::addColumn<QString>("message"); // a part of what() the user needs
    const auto row = [](const char* name, const QByteArray& text, Problem problem,
                        const char* message) {
        QTest::newRow(name) << text << int(problem) << QString::fromLatin1(message);
    };
    row("port 0", "h:0", Problem::Port, "port 0 is out of range 1 to 65535");
    row("port 65536", "ftp://h:65536/", Problem::Port, "port 65536 is out of range");
    row("port far too long", "h:000000000000070000", Problem::Port, "out of range");
    row("port with letters", "h:21a", Problem::Port, "port \"21a\" is not a number");
    row("negative port", "h:-21", Problem::Port, "not a number");
    row("colon without port", "sftp://h:/x", Problem::Port, "no port after");
    row("unknown scheme", "http://h/", Problem::Scheme, "unknown scheme \"http://\"");
    row("scheme typed with one slash", "ftp:/h", Problem::Port, "no port after");
    row("not a scheme", "1ftp://h", Problem::Scheme, "is not a scheme");
    row("empty text", "", Problem::NoHost, "no host");
    row("blanks only", "  ", Problem::NoHost, "no host");
    row("scheme without host", "ftp://", Problem::NoHost, "no host");
    row("login without host", "ftp://ann:pw@/x", Problem::NoHost, "no host");
    row("port without host", "ftps://:990", Problem::NoHost, "no host");
    row("IPv6 without brackets", "::1", Problem::Host, "in brackets");
    row("empty brackets", "[]", Problem::Host, "not an IPv6 address");
    row("unclosed bracket", "[::1:21", Problem::Host, "not an IPv6 address");
    row("zone index", "[fe80::1%25eth0]", Problem::Host, "not an IPv6 address");
    row("text after the brackets", "[::1]x", Problem::Host, "after the IPv6 address");
    row("blank inside the host", "my host", Problem::Host, "the host \"my host\"");
    row("escape in the host", "ex%41mple.org", Problem::Host, "the host");
    row("bad %-escape", "ftp://h/%zz", Problem::Escape, "bad %-escape");
    row("cut %-escape", "ftp://h/a%4", Problem::Escape, "bad %-escape");
    row("line break in the path", "ftp://h/a%0D%0ADELE%20b", Problem::Character,
        "line break or NUL in the path");
    row("NUL in the login", "ftp://a%00b@h", Problem::Character, "in the login");
    row("line break in the password", "ftp://a:b%0Ac@h", Problem::Character, "in the login");
}

void TestFtpEndpoint::refuseAddress() {
    QFETCH(QByteArray, text);
    QFETCH(int, problem);
    QFETCH(QString, message);
    try {
        ParseServerAddress(text.toStdString());
        QFAIL("the address was taken");
    } catch (const EServerAddress& e) {
        QCOMPARE(int(e.problem()), problem);
        QVERIFY2(QString::fromLatin1(e.what()).contains(message), e.what());
    }
}

void TestFtpEndpoint::readEndpoint_data() {
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<int>("protocol");
    QTest::addColumn<QString>("host");
    QTest::addColumn<int>("port");
    QTest::addColumn<bool>("passive");
    QTest::addColumn<bool>("viaTemporary");
    QTest::addColumn<QString>("fingerprint");
    QTest::addColumn<QString>("keyFile");
    // Files written before the connection settings hold only "Host" of these fields.
    QTest::newRow("older file") << QStringList{"Name=Old", "Host=h"} << 0 << "h" << 21 << true
                                << true << ""
                                << "";
    QTest::newRow("older file, port in Host")
        << QStringList{"Host=h:2121"} << 0 << "h" << 2121 << true << true << ""
        << "";
    QTest::newRow("older file, IPv6 in Host")
        << QStringList{"Host=[::1]:2121"} << 0 << "::1" << 2121 << true << true << ""
        << "";
    QTest::newRow("older file, bad port in Host")
        << QStringList{"Host=h:x"} << 0 << "h" << 21 << true << true << ""
        << "";
    QTest::newRow("Port wins over Host")
        << QStringList{"Host=h:2121", "Port=3000"} << 0 << "h" << 3000 << true << true << ""
        << "";
    QTest::newRow("empty Port takes Host's")
        << QStringList{"Host=h:2121", "Port="} << 0 << "h" << 2121 << true << true << ""
        << "";
    QTest::newRow("explicit TLS keeps 21")
        << QStringList{"Host=h", "Protocol=1"} << 1 << "h" << 21 << true << true << ""
        << "";
    QTest::newRow("implicit TLS defaults to 990")
        << QStringList{"Host=h", "Protocol=2"} << 2 << "h" << 990 << true << true << ""
        << "";
    QTest::newRow("SFTP defaults to 22")
        << QStringList{"Host=h", "Protocol=3"} << 3 << "h" << 22 << true << true << ""
        << "";
    QTest::newRow("SFTP with a port in Host")
        << QStringList{"Host=h:2222", "Protocol=3"} << 3 << "h" << 2222 << true << true << ""
        << "";
    QTest::newRow("FTP stored as the empty value")
        << QStringList{"Host=h", "Protocol="} << 0 << "h" << 21 << true << true << ""
        << "";
    QTest::newRow("passive cleared")
        << QStringList{"Host=h", "PassiveMode="} << 0 << "h" << 21 << false << true << ""
        << "";
    QTest::newRow("only exact TRUE is on")
        << QStringList{"Host=h", "PassiveMode=true", "UploadViaTemporary=TRUE "} << 0 << "h" << 21
        << false << false << ""
        << "";
    QTest::newRow("direct upload")
        << QStringList{"Host=h", "UploadViaTemporary="} << 0 << "h" << 21 << true << false << ""
        << "";
    QTest::newRow("pinned key and key file")
        << QStringList{"Host=h", "Protocol=3", "TrustedFingerprint=SHA256:q1w2e3",
                       "KeyFile=/home/ann/.ssh/id_ed25519"}
        << 3 << "h" << 22 << true << true << "SHA256:q1w2e3"
        << "/home/ann/.ssh/id_ed25519";
}

void TestFtpEndpoint::readEndpoint() {
    QFETCH(QStringList, fields);
    Record record(fields);
    const ServerEndpoint e = ReadServerEndpoint(record.source, 0);
    QTEST(protocolNumber(e.protocol), "protocol");
    QTEST(QString::fromStdString(e.host), "host");
    QTEST(int(e.port), "port");
    QTEST(e.passive, "passive");
    QTEST(e.uploadViaTemporary, "viaTemporary");
    QTEST(QString::fromStdString(e.trustedFingerprint), "fingerprint");
    QTEST(QString::fromStdString(e.keyFile), "keyFile");
}

void TestFtpEndpoint::refuseEndpoint_data() {
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<int>("problem");
    QTest::newRow("Port 0 written as text")
        << QStringList{"Host=h", "Port=00"} << int(Problem::Port);
    QTest::newRow("Port 65536") << QStringList{"Host=h", "Port=65536"} << int(Problem::Port);
    QTest::newRow("Port not a number") << QStringList{"Host=h", "Port=ftp"} << int(Problem::Port);
    QTest::newRow("unknown protocol")
        << QStringList{"Host=h", "Protocol=4"} << int(Problem::Protocol);
    QTest::newRow("negative protocol")
        << QStringList{"Host=h", "Protocol=-1"} << int(Problem::Protocol);
    QTest::newRow("protocol as a name")
        << QStringList{"Host=h", "Protocol=sftp"} << int(Problem::Protocol);
}

// A setting that cannot be used is reported, never replaced by a guess: connecting with
// plain FTP where another protocol was meant would send the password in the clear.
void TestFtpEndpoint::refuseEndpoint() {
    QFETCH(QStringList, fields);
    QFETCH(int, problem);
    Record record(fields);
    try {
        ReadServerEndpoint(record.source, 0);
        QFAIL("the setting was taken");
    } catch (const EServerAddress& e) {
        QCOMPARE(int(e.problem()), problem);
    }
}

QTEST_GUILESS_MAIN(TestFtpEndpoint)
#include "test_ftp_endpoint.moc"
