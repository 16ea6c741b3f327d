// Guards: the data-aware controls: they write the current record only, in its stored forms.
#include "core/storage/TnkDBData.h"
#include "core/storage/TnkDBSource.h"
#include "gui/ui/DBCheckBox.h"
#include "gui/ui/DBEdit.h"
#include "gui/ui/DBTranslationList.h"

#include <QtTest>

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
    QTest::newRow("TRUE") << "TRUE" << true;
    QTest::newRow("true") << "true" << false;
    QTest::newRow("TRUE and a blank") << "TRUE " << false;
    QTest::newRow("1") << "1" << false;
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
    QTest::mouseClick(&box, Qt::LeftButton, {}, QPoint(8, box.height() / 2));
    QCOMPARE(table.source.GetString(1, "Flag"), std::string(checked ? "" : "TRUE"));
    QCOMPARE(table.source.GetString(0, "Flag"), std::string());
}

void TestDBControls::translationListKeys_data() {
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("after"); // the order, the current record in brackets
    const auto row = [](const char* name, int start, Qt::Key key, int modifiers,
                        const char* after) {
        QTest::newRow(name) << start << int(key) << modifiers << after;
    };
    const int shift = Qt::ShiftModifier, ctrl = Qt::ControlModifier;
    row("Shift+Down moves down", 1, Qt::Key_Down, shift, "a c [b] d");
    row("Shift+Up moves up", 1, Qt::Key_Up, shift, "[b] a c d");
    row("Shift+Up on the first stays", 0, Qt::Key_Up, shift, "[a] b c d");
    row("Shift+Down on the last stays", 3, Qt::Key_Down, shift, "a b c [d]");
    row("PageDown one on", 1, Qt::Key_PageDown, 0, "a b [c] d");
    row("PageUp one back", 1, Qt::Key_PageUp, 0, "[a] b c d");
    row("Ctrl+PageDown to the last", 0, Qt::Key_PageDown, ctrl, "a b c [d]");
    row("Ctrl+PageUp to the first", 3, Qt::Key_PageUp, ctrl, "[a] b c d");
}

void TestDBControls::translationListKeys() {
    QFETCH(int, start);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    Table table{"", "", "", ""};
    for (int r = 0; r < 4; ++r) {
        table.source.SetString(r, "Ascii", std::string(1, char('a' + r)));
        table.source.SetString(r, "Html", std::string(1, char('a' + r)) + "!");
    }
    DBTranslationList list;
    list.SetDataSource(&table.source);
    list.show();
    table.source.SetRecNo(start);
    QTest::keyClick(&list, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QStringList order;
    for (int r = 0; r < 4; ++r) {
        const std::string ascii = table.source.GetString(r, "Ascii");
        QCOMPARE(table.source.GetString(r, "Html"), ascii + "!"); // moved records keep pairs
        const QString name = QString::fromStdString(ascii);
        order << (r == table.source.CurrentIndex() ? "[" + name + "]" : name);
    }
    QTEST(order.join(' '), "after");
    QCOMPARE(list.currentRow(), table.source.CurrentIndex());
    const std::string current = table.source.GetString("Ascii");
    QCOMPARE(list.currentItem()->text(), QString::fromStdString(current + " <-> " + current + "!"));
}

QTEST_MAIN(TestDBControls)
#include "test_dlg_dbcontrols.moc"
