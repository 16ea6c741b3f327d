// Guards: the data-aware controls: they write the current record only, in its stored forms.
#include "core/storage/TnkDBData.h"
#include "gui/ui/DBCheckBox.h"
#include "gui/ui/DBEdit.h"
#include "gui/ui/DBTranslationList.h"
#include "test_dlg_helpers.h"

using namespace pw;

// A table of one record per value, each stored in `field`.
struct Table {
    TnkDBData data;
    TnkDBSource source{&data, {{"Name", "none"}, {"Flag"}, {"Ascii"}, {"Html"}}};
    explicit Table(std::initializer_list<const char*> values, const char* field = "Name") {
        source.Loaded();
        for (const char* value : values)
            source.SetString(source.Append(), field, value);
    }
};

// The stored flag|ticked (1) or not (0).
const char* const kFlags[] = {"true|0", "TRUE |0", "1|0", "TRUE|1"};
// The keys (from the record)|the order afterwards, the current record in brackets.
const char* const kListKeys[] = {"Shift+Down from 1|a c [b] d",  "Shift+Up from 1|[b] a c d",
                                 "Shift+Up from 0|[a] b c d",    "Shift+Down from 3|a b c [d]",
                                 "PgDown from 1|a b [c] d",      "PgUp from 1|[a] b c d",
                                 "Ctrl+PgDown from 0|a b c [d]", "Ctrl+PgUp from 3|[a] b c d"};

class TestDBControls : public QObject {
    Q_OBJECT
private slots:
    void editWritesCurrentRecordOnly() {
        Table table{"first", "second\x80"}; // Windows-1252: 80 is the euro sign
        DBEdit edit;
        edit.SetDataSource(&table.source, "name"); // field names ignore case
        edit.show();
        QCOMPARE(edit.text(), QStringLiteral("second\u20ac"));
        table.source.First();
        QTest::keyClicks(&edit, "!");
        QCOMPARE(table.source.GetString(0, "Name"), std::string("first!"));
        QCOMPARE(table.source.GetString(1, "Name"), std::string("second\x80"));
        edit.SetTextAndStore(QStringLiteral("\u00df\u2013"));
        QCOMPARE(table.source.GetString(0, "Name"), std::string("\xdf\x96"));
        table.source.Clear(); // without a record nothing can be typed or stored
        QVERIFY(edit.isReadOnly());
        QTest::keyClicks(&edit, "lost");
        edit.SetTextAndStore("lost");
        QCOMPARE(edit.text(), QString());
        QCOMPARE(table.source.RecordCount(), 0);
    }

    // Only exactly TRUE ticks the box (what a click writes is checked in the dialog).
    void checkBoxIsTickedByExactlyTrue_data() { addTextRows(kFlags); }
    void checkBoxIsTickedByExactlyTrue() {
        QFETCH(QStringList, row);
        Table table({"", qPrintable(row[0])}, "Flag");
        DBCheckBox box(QStringLiteral("Flag"));
        box.SetDataSource(&table.source, "Flag");
        box.show();
        QCOMPARE(box.isChecked(), row[1] == "1");
    }

    void translationListKeys_data() { addTextRows(kListKeys); }
    void translationListKeys() {
        QFETCH(QStringList, row);
        Table table({"a", "b", "c", "d"}, "Ascii");
        DBTranslationList list;
        list.SetDataSource(&table.source);
        list.show();
        table.source.SetRecNo(row[0].section(" from ", 1).toInt());
        const QKeyCombination key = QKeySequence(row[0].section(" from ", 0, 0))[0];
        QTest::keyClick(&list, key.key(), key.keyboardModifiers());
        QStringList order;
        for (int r = 0; r < 4; ++r) {
            const QString name = QString::fromStdString(table.source.GetString(r, "Ascii"));
            order << (r == table.source.CurrentIndex() ? "[" + name + "]" : name);
        }
        QCOMPARE(order.join(' '), row[1]);
        QCOMPARE(list.currentRow(), table.source.CurrentIndex());
    }
};

QTEST_MAIN(TestDBControls)
#include "test_dlg_dbcontrols.moc"
