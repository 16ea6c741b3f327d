// Guards: text to integer, value writing rules, name comparison, Windows-1252, at range edges.
#include "core/storage/Cp1252.h"
#include "core/storage/IntConvert.h"
#include "core/storage/TnkField.h"
#include "core/storage/TnkTable.h"

#include <QtTest>
#include <climits>

using namespace pw;

namespace {
// `text` as a view into a longer buffer, so a loop one past its end meets `beyond`, not a NUL.
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

    // Each row writes `first`, then `text`, both as string (S), text (T) or integer (I), and
    // expects: changed, type (0 none, 1 integer, 2 string), kind byte, [text], integer reading.
    void writingRules() {
        // clang-format off
        static const struct {
            char op; const char* first; std::string_view text; const char* expect;
        } rows[] = {
            {'S', "", "60", "1 1 5 [60] 60"}, {'S', "", "060", "1 2 8 [060] 60"},
            {'S', "", "0x10", "1 2 8 [0x10] 16"}, {'S', "5", "+5", "0 1 5 [5] 5"},
            {'S', "", "$10", "1 1 5 [16] 16"}, {'S', "", "+5", "1 1 5 [5] 5"},
            {'S', "", "0", "0 0 0 [] 0"}, {'S', "abc", "0", "0 2 8 [abc] 0"},
            {'S', "60", "0", "1 0 5 [] 0"}, {'S', "abc", "abc", "0 2 8 [abc] 0"},
            {'S', "abc", "", "1 0 0 [] 0"}, {'S', "", {"ab\0cd", 5}, "1 2 8 [ab] 0"},
            {'T', "", " 1", "1 2 8 [ 1] 1"}, {'T', " 1", " 1", "0 2 8 [ 1] 1"},
            {'T', " 1", "", "1 0 0 [] 0"}, {'T', "", {"7\0 1", 4}, "1 2 8 [7] 7"},
            {'I', "", "-42", "1 1 5 [-42] -42"}};
        // clang-format on
        for (const auto& r : rows) {
            TnkField value;
            const auto write = [&](std::string_view t) {
                if (r.op == 'I') return value.WriteInteger(TryStrToInt(t).value_or(0));
                return r.op == 'T' ? value.WriteText(t) : value.WriteString(t);
            };
            write(r.first);
            const int changed = write(r.text);
            const QString got = QString::asprintf("%d %d %d [", changed, int(value.DataType()),
                                                  int(value.ValueKind)) +
                                QString::fromStdString(value.AsString()) + "] " +
                                QString::number(value.AsInteger());
            QVERIFY2(got == r.expect, qPrintable(QString(r.op) + ' ' + hexOf(r.text) + ": " + got));
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
            QVERIFY2(SameTextCi(cutFrom(bufA, r.a, "X"), cutFrom(bufB, r.b, "Y")) == r.same,
                     (hexOf(r.a) + " vs " + hexOf(r.b)).constData());
        }
    }

    // 0x80-0x9F through their table (undefined bytes to their own code point), other bytes as
    // their own code point, both ways; UTF-8 valid at each sequence length's edges but without
    // a byte; invalid UTF-8 (overlong, surrogates, past U+10FFFF, bad or missing continuation
    // bytes, which the bytes after the cut would complete).
    void windows1252() {
        // clang-format off
        static const struct { const char* cp1252; const char* utf8; } mapped[] = {
            {"a\x01\x7F", "a\x01\x7F"}, {"\xA0", "\xC2\xA0"}, {"\xE4", "\xC3\xA4"},
            {"\xFF", "\xC3\xBF"},
            {"\x80\x81\x82\x83\x84\x85\x86\x87\x88\x89\x8A\x8B\x8C\x8D\x8E\x8F\x90\x91\x92\x93"
             "\x94\x95\x96\x97\x98\x99\x9A\x9B\x9C\x9D\x9E\x9F",
             "\xE2\x82\xAC\xC2\x81\xE2\x80\x9A\xC6\x92\xE2\x80\x9E\xE2\x80\xA6\xE2\x80\xA0\xE2"
             "\x80\xA1\xCB\x86\xE2\x80\xB0\xC5\xA0\xE2\x80\xB9\xC5\x92\xC2\x8D\xC5\xBD\xC2\x8F"
             "\xC2\x90\xE2\x80\x98\xE2\x80\x99\xE2\x80\x9C\xE2\x80\x9D\xE2\x80\xA2\xE2\x80\x93"
             "\xE2\x80\x94\xCB\x9C\xE2\x84\xA2\xC5\xA1\xE2\x80\xBA\xC5\x93\xC2\x9D\xC5\xBE\xC5"
             "\xB8"}};
        // clang-format on
        std::string buffer;
        for (const auto& r : mapped) {
            QVERIFY2(Cp1252ToUtf8(r.cp1252) == r.utf8, hexOf(r.cp1252).constData());
            const std::string_view in = cutFrom(buffer, r.utf8, "\xA4\xA4\xA4");
            QVERIFY2(Utf8ToCp1252(in) == std::string(r.cp1252), hexOf(r.utf8).constData());
        }
        const std::vector<const char*> lists[] = {
            {"\xC2\x80", "\xC2\x9F", "\xC4\x80", "\xD0\x80", "\xDF\xBF", "\xE0\xA0\x80",
             "\xED\x9F\xBF", "\xEF\xBF\xBF", "\xF0\x90\x80\x80", "\xF4\x8F\xBF\xBF"},
            {"\xC1\xA1", "\xC0\x80", "\xE0\x9F\xBF", "\xF0\x8F\xBF\xBF", "\xED\xA0\x80",
             "\xF4\x90\x80\x80", "\xF5\x80\x80\x80", "\xC3\xC3", "\xE2\x82\x41", "a\xC3",
             "\xE2\x82", "\xF0\x90", "\x80", "\xFF"}};
        for (const bool valid : {true, false})
            for (const char* utf8 : lists[valid ? 0 : 1]) {
                const std::string_view in = cutFrom(buffer, utf8, "\xA4\xA4\xA4");
                QVERIFY2(IsValidUtf8(in) == valid && !Utf8ToCp1252(in), hexOf(utf8).constData());
            }
    }
};

QTEST_GUILESS_MAIN(TestStorageValues)
#include "test_storage_values.moc"
