// The value model: writing rules, readings, the whole-string integer conversion, and the
// lossless Windows-1252 <-> UTF-8 conversion with its one strict rule for UTF-8.
#include "core/storage/Cp1252.h"
#include "core/storage/IntConvert.h"
#include "core/storage/TnkField.h"

#include <QtTest>

using namespace pw;

class TestStorageValues : public QObject {
    Q_OBJECT
private slots:
    void integerConversion_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<int>("value");
        QTest::newRow("plain") << QByteArray("60") << true << 60;
        QTest::newRow("leading zero") << QByteArray("060") << true << 60;
        QTest::newRow("negative") << QByteArray("-1") << true << -1;
        QTest::newRow("plus") << QByteArray("+5") << true << 5;
        QTest::newRow("leading blanks") << QByteArray("   7") << true << 7;
        QTest::newRow("trailing blank") << QByteArray("7 ") << false << 0;
        QTest::newRow("dollar hex") << QByteArray("$1F") << true << 31;
        QTest::newRow("x hex") << QByteArray("x10") << true << 16;
        QTest::newRow("0x hex") << QByteArray("0x10") << true << 16;
        QTest::newRow("negative hex") << QByteArray("-$10") << true << -16;
        QTest::newRow("full hex") << QByteArray("$FFFFFFFF") << true << -1;
        QTest::newRow("hex too long") << QByteArray("$100000000") << false << 0;
        QTest::newRow("max") << QByteArray("2147483647") << true << 2147483647;
        QTest::newRow("min") << QByteArray("-2147483648") << true << int(-2147483647 - 1);
        QTest::newRow("overflow") << QByteArray("2147483648") << false << 0;
        QTest::newRow("sign only") << QByteArray("-") << false << 0;
        QTest::newRow("prefix only") << QByteArray("$") << false << 0;
        QTest::newRow("empty") << QByteArray("") << false << 0;
        QTest::newRow("letters") << QByteArray("abc") << false << 0;
        QTest::newRow("TRUE") << QByteArray("TRUE") << false << 0;
        QTest::newRow("tab is no blank") << QByteArray("\t1") << false << 0;
    }
    void integerConversion() {
        QFETCH(QByteArray, text);
        QFETCH(bool, ok);
        QFETCH(int, value);
        const auto result = TryStrToInt(text.toStdString());
        QCOMPARE(result.has_value(), ok);
        if (ok) QCOMPARE(*result, value);
    }

    // Each row writes `first` (if any), then `text`, and checks what is held.
    void writeText_data() {
        QTest::addColumn<QByteArray>("first");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("changed");
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QByteArray>("reading");
        QTest::addColumn<int>("integer");
        QTest::newRow("60 is an integer") << QByteArray() << QByteArray("60") << true
                                          << int(dtInteger) << 5 << QByteArray("60") << 60;
        QTest::newRow("060 stays text") << QByteArray() << QByteArray("060") << true
                                        << int(dtString) << 8 << QByteArray("060") << 60;
        QTest::newRow("0 into empty changes nothing")
            << QByteArray() << QByteArray("0") << false << int(dtNone) << 0 << QByteArray() << 0;
        QTest::newRow("0 over abc keeps abc") << QByteArray("abc") << QByteArray("0") << false
                                              << int(dtString) << 8 << QByteArray("abc") << 0;
        QTest::newRow("0 over 60 empties with kind 5")
            << QByteArray("60") << QByteArray("0") << true << int(dtNone) << 5 << QByteArray() << 0;
        QTest::newRow("-1") << QByteArray() << QByteArray("-1") << true << int(dtInteger) << 5
                            << QByteArray("-1") << -1;
        QTest::newRow("+5 reads 5") << QByteArray() << QByteArray("+5") << true << int(dtInteger)
                                    << 5 << QByteArray("5") << 5;
        QTest::newRow("+5 over 5 is no change") << QByteArray("5") << QByteArray("+5") << false
                                                << int(dtInteger) << 5 << QByteArray("5") << 5;
        QTest::newRow("007 stays text") << QByteArray() << QByteArray("007") << true
                                        << int(dtString) << 8 << QByteArray("007") << 7;
        QTest::newRow("TRUE") << QByteArray() << QByteArray("TRUE") << true << int(dtString) << 8
                              << QByteArray("TRUE") << 0;
        QTest::newRow("abc") << QByteArray() << QByteArray("abc") << true << int(dtString) << 8
                             << QByteArray("abc") << 0;
        QTest::newRow("same text is no change") << QByteArray("abc") << QByteArray("abc") << false
                                                << int(dtString) << 8 << QByteArray("abc") << 0;
        QTest::newRow("empty empties")
            << QByteArray("abc") << QByteArray("") << true << int(dtNone) << 0 << QByteArray() << 0;
        QTest::newRow("hex becomes decimal") << QByteArray() << QByteArray("$10") << true
                                             << int(dtInteger) << 5 << QByteArray("16") << 16;
        QTest::newRow("0x10 starts with 0") << QByteArray() << QByteArray("0x10") << true
                                            << int(dtString) << 8 << QByteArray("0x10") << 16;
        QTest::newRow("text ends at NUL") << QByteArray() << QByteArray("ab\0cd", 5) << true
                                          << int(dtString) << 8 << QByteArray("ab") << 0;
        QTest::newRow("NUL first empties") << QByteArray("x") << QByteArray("\0abc", 4) << true
                                           << int(dtNone) << 0 << QByteArray() << 0;
    }
    void writeText() {
        QFETCH(QByteArray, first);
        QFETCH(QByteArray, text);
        QFETCH(bool, changed);
        QFETCH(int, type);
        QFETCH(int, kind);
        QFETCH(QByteArray, reading);
        QFETCH(int, integer);
        TnkField value;
        if (!first.isNull()) value.WriteString(first.toStdString());
        QCOMPARE(value.WriteString(std::string(text.constData(), size_t(text.size()))), changed);
        QCOMPARE(int(value.DataType()), type);
        QCOMPARE(int(value.ValueKind), kind);
        QCOMPARE(QByteArray::fromStdString(value.AsString()), reading);
        QCOMPARE(value.AsInteger(), integer);
    }

    void passwordTextStaysText() {
        TnkField value;
        QVERIFY(value.WriteText(" 1"));
        QCOMPARE(int(value.DataType()), int(dtString));
        QCOMPARE(value.AsString(), std::string(" 1"));
        QVERIFY(!value.WriteText(" 1"));
        QVERIFY(value.WriteText(""));
        QCOMPARE(int(value.DataType()), int(dtNone));
    }

    void utf8ToCp1252_data() {
        QTest::addColumn<QByteArray>("utf8");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QByteArray>("cp1252"); // null: refused
        QTest::newRow("a umlaut") << QByteArray("\xC3\xA4") << true << QByteArray("\xE4");
        QTest::newRow("euro") << QByteArray("\xE2\x82\xAC") << true << QByteArray("\x80");
        QTest::newRow("undefined 81") << QByteArray("\xC2\x81") << true << QByteArray("\x81");
        QTest::newRow("y diaeresis, last") << QByteArray("\xC3\xBF") << true << QByteArray("\xFF");
        QTest::newRow("not in the code page") << QByteArray("\xC4\x80") << true << QByteArray();
        QTest::newRow("overlong a") << QByteArray("\xC1\xA1") << false << QByteArray();
        QTest::newRow("overlong NUL") << QByteArray("\xC0\x80") << false << QByteArray();
        QTest::newRow("overlong 3-byte") << QByteArray("\xE0\x81\xA1") << false << QByteArray();
        QTest::newRow("surrogate") << QByteArray("\xED\xA0\x80") << false << QByteArray();
        QTest::newRow("past U+10FFFF") << QByteArray("\xF4\x90\x80\x80") << false << QByteArray();
        QTest::newRow("cut short") << QByteArray("a\xC3") << false << QByteArray();
        QTest::newRow("lone continuation") << QByteArray("\x80") << false << QByteArray();
    }
    void utf8ToCp1252() {
        QFETCH(QByteArray, utf8);
        QFETCH(bool, valid);
        QFETCH(QByteArray, cp1252);
        const std::string in = utf8.toStdString();
        QCOMPARE(IsValidUtf8(in), valid);
        const auto out = Utf8ToCp1252(in);
        QCOMPARE(out.has_value(), !cp1252.isNull());
        if (out) QCOMPARE(QByteArray::fromStdString(*out), cp1252);
    }

    void everyByteRoundTrips() {
        std::string all;
        for (int b = 1; b < 256; ++b)
            all.push_back(char(b));
        const std::string utf8 = Cp1252ToUtf8(all);
        QVERIFY(IsValidUtf8(utf8));
        QCOMPARE(Utf8ToCp1252(utf8).value_or("<refused>"), all);
    }

    void writeInteger() {
        TnkField value;
        QVERIFY(!value.WriteInteger(0)); // already reads 0
        QCOMPARE(int(value.ValueKind), 0);
        QVERIFY(value.WriteInteger(42));
        QCOMPARE(value.AsString(), std::string("42"));
        QVERIFY(!value.WriteInteger(42));
        QVERIFY(value.WriteInteger(0));
        QCOMPARE(int(value.DataType()), int(dtNone));
        QCOMPARE(int(value.ValueKind), 5);
        value.WriteString("12abc"); // integer reading 0: writing 0 changes nothing
        QVERIFY(!value.WriteInteger(0));
        QCOMPARE(value.AsString(), std::string("12abc"));
    }

    void otherTypesRead() {
        TnkField lines;
        lines.SetDataType(dtStrings);
        lines.Strings() = {"one", "two"};
        QCOMPARE(lines.AsString(), std::string("one\r\ntwo\r\n"));
        QCOMPARE(lines.AsInteger(), 0);
        QCOMPARE(int(lines.ValueKind), 9);
        TnkField stream;
        stream.SetDataType(dtStream);
        stream.Stream() = "123";
        QCOMPARE(stream.AsString(), std::string());
        QCOMPARE(stream.AsInteger(), 0);
        QCOMPARE(int(stream.ValueKind), 10);
        TnkField table;
        table.SetDataType(dtTable);
        QCOMPARE(int(table.ValueKind), 11);
        QCOMPARE(table.AsString(), std::string());
    }
};

QTEST_GUILESS_MAIN(TestStorageValues)
#include "test_storage_values.moc"
