// Guards: the data-aware controls: they write the current record only, in its stored forms.
#include "core/storage/TnkDBData.h"
#include "gui/ui/DBCheckBox.h"
#include "gui/ui/DBEdit.h"
#include "gui/ui/DBTranslationList.h"
#include "test_dlg_helpers.h"

using namespace pw;

namespace {
struct Table {
    TnkDBData data;
    TnkDBSource source{&data, {{"Name", "none"}, {"Flag"}, {"Ascii"}, {"Html"}}};
    explicit Table(std::initializer_list<const char*> names) {
        source.Loaded();
        for (const char* name : names)
            source.SetString(source.Append(), "Name", name);
    }
};
} // namespace

class TestDBControls : public QObject {
    Q_OBJECT
private slots:
    void editWritesCurrentRecordOnly();
    void checkBoxIsTickedByExactlyTrue_data();
    void checkBoxIsTickedByExactlyTrue();
    void translationListKeys_data();
    void translationListKeys();
};

void TestDBControls::editWritesCurrentRecordOnly() {
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
    // Without a record nothing can be typed or stored.
    table.source.Clear();
    QVERIFY(edit.isReadOnly());
    QTest::keyClicks(&edit, "lost");
    edit.SetTextAndStore("lost");
    QCOMPARE(edit.text(), QString());
    QCOMPARE(table.source.RecordCount(), 0);
}

void TestDBControls::checkBoxIsTickedByExactlyTrue_data() {
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("checked");
    for (const char* stored : {"true", "TRUE ", "1"})
        QTest::addRow("'%s'", stored) << stored << false;
    QTest::newRow("TRUE") << "TRUE" << true;
}

void TestDBControls::checkBoxIsTickedByExactlyTrue() {
    QFETCH(QString, stored);
    QFETCH(bool, checked);
    Table table{"a", "b"};
    table.source.SetString(1, "Flag", stored.toStdString());
    DBCheckBox box(QStringLiteral("Flag"));
    box.SetDataSource(&table.source, "Flag");
    box.show();
    QCOMPARE(box.isChecked(), checked);
    // A click writes TRUE or nothing, into the current record only.
    clickBox(&box);
    QCOMPARE(table.source.GetString(1, "Flag"), std::string(checked ? "" : "TRUE"));
    QCOMPARE(table.source.GetString(0, "Flag"), std::string());
}

// The keys (from the record)|the order afterwards, the current record in brackets.
const char* const kListKeys[] = {"Shift+Down from 1|a c [b] d",  "Shift+Up from 1|[b] a c d",
                                 "Shift+Up from 0|[a] b c d",    "Shift+Down from 3|a b c [d]",
                                 "PgDown from 1|a b [c] d",      "PgUp from 1|[a] b c d",
                                 "Ctrl+PgDown from 0|a b c [d]", "Ctrl+PgUp from 3|[a] b c d"};

void TestDBControls::translationListKeys_data() {
    addTextRows(kListKeys);
}

void TestDBControls::translationListKeys() {
    QFETCH(QStringList, row);
    Table table{"", "", "", ""};
    for (int r = 0; r < 4; ++r) {
        table.source.SetString(r, "Ascii", std::string(1, char('a' + r)));
        table.source.SetString(r, "Html", std::string(1, char('a' + r)) + "!");
    }
    DBTranslationList list;
    list.SetDataSource(&table.source);
    list.show();
    table.source.SetRecNo(row[0].section(" from ", 1).toInt());
    const QKeyCombination key = QKeySequence(row[0].section(" from ", 0, 0))[0];
    QTest::keyClick(&list, key.key(), key.keyboardModifiers());
    QStringList order;
    for (int r = 0; r < 4; ++r) {
        const std::string ascii = table.source.GetString(r, "Ascii");
        QCOMPARE(table.source.GetString(r, "Html"), ascii + "!"); // moved records keep pairs
        const QString name = QString::fromStdString(ascii);
        order << (r == table.source.CurrentIndex() ? "[" + name + "]" : name);
    }
    QCOMPARE(order.join(' '), row[1]);
    QCOMPARE(list.currentRow(), table.source.CurrentIndex());
    const std::string current = table.source.GetString("Ascii");
    QCOMPARE(list.currentItem()->text(), QString::fromStdString(current + " <-> " + current + "!"));
}

QTEST_MAIN(TestDBControls)
#include "test_dlg_dbcontrols.moc"
