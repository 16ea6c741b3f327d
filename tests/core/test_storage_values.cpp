// Guards: integer conversion, value writing, name comparison and Windows-1252, at range edges.
#include "core/storage/Cp1252.h"
#include "core/storage/IntConvert.h"
#include "core/storage/TnkField.h"
#include "core/storage/TnkTable.h"

#include <QtTest>
#include <climits>

using namespace pw;

namespace {
// The text as a view cut from a longer buffer, so a loop that runs one past its end meets a
// character that changes the result instead of a terminating NUL.
std::string_view cutFrom(std::string& buffer, std::string_view text, const char* beyond) {
    buffer = std::string(text) + beyond;
    return std::string_view(buffer).substr(0, text.size());
}

QByteArray hexOf(std::string_view s) {
    return QByteArray(s.data(), qsizetype(s.size())).toHex(' ');
}
} // namespace

class TestStorageValues : public QObject {
    Q_OBJECT
private slots:
    void integerConversion() {
        // Digits at both ends of each range, and the characters just outside them.
        // clang-format off
        static const struct { const char* text; int value; } accepted[] = {
            {"0", 0}, {"9", 9}, {"060", 60}, {"-1", -1}, {"+5", 5}, {"   7", 7}, {"$0", 0},
            {"$9", 9}, {"$A", 10}, {"$F", 15}, {"$a", 10}, {"$f", 15}, {"$1F", 31}, {"x10", 16},
            {"X10", 16}, {"0x1a", 26}, {"0XfA", 250}, {"-$10", -16}, {"$FFFFFFFF", -1},
            {"$7FFFFFFF", INT_MAX}, {"-$80000000", INT_MIN}, {"2147483647", INT_MAX},
            {"-2147483648", INT_MIN}};
        // clang-format on
        std::string buffer;
        for (const auto& r : accepted)
            QVERIFY2(TryStrToInt(cutFrom(buffer, r.text, "Z")) == r.value, r.text);
        for (const char* text :
             {"7 ", "\t1", "/",  ":",   "1:",   "2147483648", "-2147483649", "99999999999",
              "$/", "$:",  "$@", "$G",  "$`",   "$g",         "$100000000",  "0x",
              "$",  "-",   "",   "abc", "TRUE", "$$1",        "--1"})
            QVERIFY2(!TryStrToInt(cutFrom(buffer, text, "1")), text);
    }

    // Each row writes `first` (if any), then `text`, and checks what is held.
    void writingRules() {
        // clang-format off
        static const struct {
            const char* first; std::string_view text; bool changed; TnkDataType type; int kind;
            const char* reading;
        } rows[] = {
            {nullptr, "60", true, dtInteger, 5, "60"}, {nullptr, "060", true, dtString, 8, "060"},
            {nullptr, "0x10", true, dtString, 8, "0x10"}, {"5", "+5", false, dtInteger, 5, "5"},
            {nullptr, "$10", true, dtInteger, 5, "16"}, {nullptr, "+5", true, dtInteger, 5, "5"},
            {nullptr, "0", false, dtNone, 0, ""}, {"abc", "0", false, dtString, 8, "abc"},
            {"60", "0", true, dtNone, 5, ""}, {"abc", "abc", false, dtString, 8, "abc"},
            {"abc", "", true, dtNone, 0, ""}, {"12abc", "0", false, dtString, 8, "12abc"},
            {nullptr, {"ab\0cd", 5}, true, dtString, 8, "ab"},
            {"x", {"\0abc", 4}, true, dtNone, 0, ""}};
        // clang-format on
        for (const auto& r : rows) {
            const QByteArray row = QByteArray(r.first ? r.first : "-") + " then " + hexOf(r.text);
            TnkField value;
            if (r.first) value.WriteString(r.first);
            QVERIFY2(value.WriteString(r.text) == r.changed, row.constData());
            QVERIFY2(value.DataType() == r.type, row.constData());
            QVERIFY2(value.ValueKind == r.kind, row.constData());
            QVERIFY2(value.AsString() == r.reading, row.constData());
        }
    }

    void textAndIntegerWrites() {
        TnkField value;
        QVERIFY(value.WriteText(" 1")); // a password stays the exact text
        QCOMPARE(int(value.DataType()), int(dtString));
        QCOMPARE(value.AsInteger(), 1);
        QVERIFY(!value.WriteText(" 1"));
        QVERIFY(value.WriteText(""));
        QCOMPARE(int(value.DataType()), int(dtNone));
        QVERIFY(!value.WriteInteger(0)); // already reads 0
        QVERIFY(value.WriteInteger(-42));
        QCOMPARE(value.AsString(), std::string("-42"));
        QVERIFY(!value.WriteInteger(-42));
        value.SetDataType(dtStrings);
        value.Strings() = {"one", "", "two"};
        QCOMPARE(value.AsString(), std::string("one\r\n\r\ntwo\r\n"));
        QCOMPARE(value.AsInteger(), 0);
        const int kinds[] = {0, 5, 8, 9, 10, 11};
        for (int t = dtNone; t <= dtTable; ++t) {
            value.SetDataType(TnkDataType(t));
            QCOMPARE(int(value.ValueKind), kinds[t]);
        }
    }

    // Names compare without letter case over ASCII and Latin-1 letters, within their length.
    void nameComparison() {
        // clang-format off
        static const struct { const char* a; const char* b; bool same; } rows[] = {
            {"abc", "ABC", true}, {"az", "AZ", true}, {"`", "@", false}, {"{", "[", false},
            {"\xE0", "\xC0", true}, {"\xFE", "\xDE", true}, {"\xF7", "\xD7", false},
            {"\xFF", "\xDF", false}, {"\xDF", "\xFF", false}, {"ab", "abc", false}, {"", "", true},
            {"abd", "abc", false}, {"Xbc", "xbc", true}};
        // clang-format on
        std::string bufA, bufB;
        for (const auto& r : rows) {
            const QByteArray row = hexOf(r.a) + " vs " + hexOf(r.b);
            QVERIFY2(SameTextCi(cutFrom(bufA, r.a, "X"), cutFrom(bufB, r.b, "Y")) == r.same,
                     row.constData());
            QVERIFY2(SameTextCi(cutFrom(bufB, r.b, "X"), cutFrom(bufA, r.a, "Y")) == r.same,
                     row.constData());
        }
    }

    // 0x80-0x9F map through their table (undefined bytes to their own code point), every other
    // byte is its own code point; code points outside both have no byte.
    void codePageBytes() {
        // clang-format off
        static const struct { int byte; char32_t cp; } rows[] = {
            {0x01, 0x01}, {0x7F, 0x7F}, {0x80, 0x20AC}, {0x81, 0x81}, {0x82, 0x201A}, {0x8D, 0x8D},
            {0x8F, 0x8F}, {0x90, 0x90}, {0x9C, 0x0153}, {0x9D, 0x9D}, {0x9E, 0x017E},
            {0x9F, 0x0178}, {0xA0, 0xA0}, {0xE4, 0xE4}, {0xFF, 0xFF}};
        // clang-format on
        for (const auto& r : rows) {
            const QByteArray row = QByteArray::number(r.byte, 16);
            QVERIFY2(Cp1252ToUnicode(static_cast<unsigned char>(r.byte)) == r.cp, row.constData());
            QVERIFY2(UnicodeToCp1252(r.cp) == r.byte, row.constData());
        }
        for (const char32_t cp : {0x80u, 0x9Eu, 0x9Fu, 0x100u, 0x2000u, 0xFFFDu, 0x1F600u})
            QVERIFY2(!UnicodeToCp1252(cp), qPrintable(QString::number(cp, 16)));
    }

    void everyByteRoundTrips() {
        std::string all;
        for (int b = 1; b < 256; ++b)
            all.push_back(char(b));
        const std::string utf8 = Cp1252ToUtf8(all);
        QCOMPARE(utf8.size(), size_t(127 + 96 * 2 + 15 * 2 + 17 * 3)); // 1, 2 and 3-byte forms
        QVERIFY(IsValidUtf8(utf8));
        QCOMPARE(Utf8ToCp1252(utf8).value_or("<refused>"), all);
    }

    void utf8Validity() {
        // clang-format off
        static const struct { const char* utf8; const char* cp1252; } mapped[] = {
            {"a~", "a~"}, {"\xC2\x81", "\x81"}, {"\xC2\xA0", "\xA0"}, {"\xC3\xBF", "\xFF"},
            {"\xE2\x82\xAC", "\x80"}, {"\xC5\xB8", "\x9F"}};
        // clang-format on
        std::string buffer;
        for (const auto& r : mapped) {
            const std::string_view in = cutFrom(buffer, r.utf8, "\xA4\xA4\xA4");
            QVERIFY2(Utf8ToCp1252(in) == std::string(r.cp1252), hexOf(r.utf8).constData());
        }
        // Valid, at the edges of each sequence length, but without a Windows-1252 byte.
        for (const char* utf8 : {"\xC2\x80", "\xC4\x80", "\xDF\xBF", "\xE0\xA0\x80", "\xED\x9F\xBF",
                                 "\xEF\xBF\xBF", "\xF0\x90\x80\x80", "\xF4\x8F\xBF\xBF"}) {
            const std::string_view in = cutFrom(buffer, utf8, "\xA4\xA4\xA4");
            QVERIFY2(IsValidUtf8(in) && !Utf8ToCp1252(in), hexOf(utf8).constData());
        }
        // Overlong forms, surrogates, past U+10FFFF, bad or missing continuation bytes; the
        // bytes after the cut would complete each short sequence.
        for (const char* utf8 : {"\xC1\xA1", "\xC0\x80", "\xE0\x9F\xBF", "\xF0\x8F\xBF\xBF",
                                 "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xF5\x80\x80\x80", "\xC3\xC3",
                                 "\xE2\x82\x41", "a\xC3", "\xE2\x82", "\xF0\x90", "\x80", "\xFF"}) {
            const std::string_view in = cutFrom(buffer, utf8, "\xA4\xA4\xA4");
            QVERIFY2(!IsValidUtf8(in) && !Utf8ToCp1252(in), hexOf(utf8).constData());
        }
    }
};

QTEST_GUILESS_MAIN(TestStorageValues)
#include "test_storage_values.moc"
