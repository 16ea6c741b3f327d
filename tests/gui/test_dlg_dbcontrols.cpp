// The data-aware controls over a real record source: they follow the cursor, write the
// user's edits into the current record only, and keep the stored forms ("TRUE", item index,
// CR LF lines, Windows-1252 bytes).
#include "core/storage/TnkDBData.h"
#include "core/storage/TnkDBSource.h"
#include "gui/ui/DBCheckBox.h"
#include "gui/ui/DBComboBox.h"
#include "gui/ui/DBEdit.h"
#include "gui/ui/DBMemo.h"
#include "gui/ui/DBTranslationList.h"

#include <QtTest>

#include <memory>

using namespace pw;

namespace {
struct Table {
    TnkDBData data;
    TnkDBSource source{&data, {{"Name", "none"}, {"Flag"}, {"Index"}, {"Text"}}};
    Table() { source.Loaded(); }
    int add(const char* name) {
        const int r = source.Append();
        source.SetString(r, "Name", name);
        return r;
    }
};

struct Translation {
    TnkDBData data;
    TnkDBSource source{&data, {{"Ascii"}, {"Html"}}};
    Translation(std::initializer_list<std::pair<const char*, const char*>> rows) {
        source.Loaded();
        for (const auto& [ascii, html] : rows) {
            const int r = source.Append();
            source.SetString(r, "Ascii", ascii);
            source.SetString(r, "Html", html);
        }
        source.First();
    }
    QStringList ascii() const {
        QStringList result;
        for (int r = 0; r < source.RecordCount(); ++r)
            result << QString::fromStdString(source.GetString(r, "Ascii"));
        return result;
    }
};
} // namespace

class TestDBControls : public QObject {
    Q_OBJECT
private slots:
    void editFollowsCursorAndWritesCurrentRecord();
    void editWithoutRecordIsReadOnly();
    void editKeepsWhatTheUserTyped();
    void editStoresWindows1252();
    void checkBoxReadsExactlyTrue_data();
    void checkBoxReadsExactlyTrue();
    void checkBoxWritesTrueOrEmpty();
    void comboStoresItemIndex_data();
    void comboStoresItemIndex();
    void memoStoresCrLf();
    void translationListFollowsTable();
    void translationListKeys_data();
    void translationListKeys();
    void controlMayDieBeforeSource();
};

void TestDBControls::editFollowsCursorAndWritesCurrentRecord() {
    Table table;
    table.add("first");
    table.add("second");
    DBEdit edit;
    edit.SetDataSource(&table.source, "name"); // field names ignore case
    edit.show();
    QCOMPARE(edit.text(), QStringLiteral("second"));
    table.source.First();
    QCOMPARE(edit.text(), QStringLiteral("first"));
    QTest::keyClicks(&edit, "!");
    QCOMPARE(table.source.GetString(0, "Name"), std::string("first!"));
    QCOMPARE(table.source.GetString(1, "Name"), std::string("second"));
    // A change made elsewhere shows at once.
    table.source.SetString(0, "Name", "renamed");
    QCOMPARE(edit.text(), QStringLiteral("renamed"));
    table.source.Delete();
    QCOMPARE(edit.text(), QStringLiteral("second"));
}

void TestDBControls::editWithoutRecordIsReadOnly() {
    Table table;
    DBEdit edit;
    edit.SetDataSource(&table.source, "Name");
    edit.show();
    QVERIFY(edit.isReadOnly());
    QTest::keyClicks(&edit, "lost");
    QCOMPARE(edit.text(), QString());
    QCOMPARE(table.source.RecordCount(), 0);
    table.source.Append();
    QVERIFY(!edit.isReadOnly());
    QCOMPARE(edit.text(), QStringLiteral("none"));
    table.source.Clear();
    QVERIFY(edit.isReadOnly());
    QCOMPARE(edit.text(), QString());
    edit.SetTextAndStore("ignored");
    QCOMPARE(edit.text(), QString());
}

void TestDBControls::editKeepsWhatTheUserTyped() {
    // "0" is stored as an empty value; the edit still shows the 0 the user typed, and the
    // next digit makes a number of it.
    Table table;
    table.add("x");
    DBEdit edit;
    edit.SetDataSource(&table.source, "Index");
    edit.show();
    QTest::keyClicks(&edit, "0");
    QCOMPARE(edit.text(), QStringLiteral("0"));
    QCOMPARE(table.source.GetString("Index"), std::string());
    QTest::keyClicks(&edit, "7");
    QCOMPARE(table.source.GetString("Index"), std::string("07"));
    edit.selectAll();
    QTest::keyClicks(&edit, "60");
    QCOMPARE(table.source.GetInteger("Index"), 60);
}

void TestDBControls::editStoresWindows1252() {
    Table table;
    table.add("\xe4\x80"); // a-umlaut and the euro sign
    DBEdit edit;
    edit.SetDataSource(&table.source, "Name");
    QCOMPARE(edit.text(), QStringLiteral("\u00e4\u20ac"));
    edit.SetTextAndStore(QStringLiteral("\u00df\u2013"));
    QCOMPARE(table.source.GetString("Name"), std::string("\xdf\x96"));
}

void TestDBControls::checkBoxReadsExactlyTrue_data() {
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("checked");
    QTest::newRow("TRUE") << "TRUE" << true;
    QTest::newRow("true") << "true" << false;
    QTest::newRow("TRUE and a blank") << "TRUE " << false;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("1") << "1" << false;
}

void TestDBControls::checkBoxReadsExactlyTrue() {
    QFETCH(QString, stored);
    Table table;
    table.add("x");
    table.source.SetString("Flag", stored.toStdString());
    DBCheckBox box(QStringLiteral("Flag"));
    box.SetDataSource(&table.source, "Flag");
    QTEST(box.isChecked(), "checked");
}

void TestDBControls::checkBoxWritesTrueOrEmpty() {
    Table table;
    table.add("a");
    table.add("b");
    table.source.SetString(0, "Flag", "TRUE");
    DBCheckBox box(QStringLiteral("Flag"));
    box.SetDataSource(&table.source, "Flag");
    box.show();
    QVERIFY(!box.isChecked()); // the cursor is on "b"
    QTest::mouseClick(&box, Qt::LeftButton, {}, QPoint(8, box.height() / 2));
    QCOMPARE(table.source.GetString(1, "Flag"), std::string("TRUE"));
    QTest::mouseClick(&box, Qt::LeftButton, {}, QPoint(8, box.height() / 2));
    QCOMPARE(table.source.GetString(1, "Flag"), std::string());
    QCOMPARE(table.source.GetString(0, "Flag"), std::string("TRUE"));
    table.source.First();
    QVERIFY(box.isChecked());

    // Without a record a click changes nothing, not even the tick.
    table.source.Clear();
    QTest::mouseClick(&box, Qt::LeftButton, {}, QPoint(8, box.height() / 2));
    QVERIFY(!box.isChecked());
}

void TestDBControls::comboStoresItemIndex_data() {
    QTest::addColumn<int>("stored");
    QTest::addColumn<int>("shown");
    QTest::newRow("first item (0 is held empty)") << 0 << 0;
    QTest::newRow("last item") << 2 << 2;
    QTest::newRow("beyond the items") << 7 << -1;
    QTest::newRow("negative") << -1 << -1;
}

void TestDBControls::comboStoresItemIndex() {
    QFETCH(int, stored);
    Table table;
    table.add("x");
    table.source.SetInteger("Index", stored);
    DBComboBox combo;
    combo.addItems({"zero", "one", "two"});
    combo.SetDataSource(&table.source, "Index");
    combo.show();
    QTEST(combo.currentIndex(), "shown");
    // Choosing an item stores its index as an integer.
    combo.setFocus();
    combo.setCurrentIndex(0);
    QTest::keyClick(&combo, Qt::Key_Down);
    QCOMPARE(combo.currentIndex(), 1);
    QCOMPARE(table.source.GetInteger("Index"), 1);
    QCOMPARE(table.source.GetString("Index"), std::string("1"));
}

void TestDBControls::memoStoresCrLf() {
    Table table;
    table.add("x");
    table.source.SetString("Text", "<hr>\r\n<br>");
    DBMemo memo;
    memo.SetDataSource(&table.source, "Text");
    memo.show();
    QCOMPARE(memo.toPlainText(), QStringLiteral("<hr>\n<br>"));
    memo.moveCursor(QTextCursor::End);
    QTest::keyClick(&memo, Qt::Key_Return);
    QTest::keyClicks(&memo, "end");
    QCOMPARE(table.source.GetString("Text"), std::string("<hr>\r\n<br>\r\nend"));
    table.source.SetString("Text", "");
    QCOMPARE(memo.toPlainText(), QString());
}

void TestDBControls::translationListFollowsTable() {
    Translation table{{"\xe4", "&auml;"}, {"<", "&lt;"}};
    DBTranslationList list;
    list.SetDataSource(&table.source);
    list.show();
    QCOMPARE(list.count(), 2);
    QCOMPARE(list.item(0)->text(), QStringLiteral("\u00e4 <-> &auml;"));
    QCOMPARE(list.currentRow(), 0);

    table.source.Append();
    QCOMPARE(list.count(), 3);
    QCOMPARE(list.currentRow(), 2);
    QCOMPARE(list.item(2)->text(), QStringLiteral(" <-> "));
    table.source.SetString("Html", "x");
    QCOMPARE(list.item(2)->text(), QStringLiteral(" <-> x"));

    QTest::mouseClick(list.viewport(), Qt::LeftButton, {},
                      list.visualItemRect(list.item(1)).center());
    QCOMPARE(table.source.CurrentIndex(), 1);
    table.source.Delete();
    QCOMPARE(list.count(), 2);
    QCOMPARE(list.currentRow(), 1);
    table.source.Clear();
    QCOMPARE(list.count(), 0);
    QCOMPARE(list.currentRow(), -1);
}

void TestDBControls::translationListKeys_data() {
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("cursor");
    QTest::addColumn<QStringList>("order");
    const QStringList abcd{"a", "b", "c", "d"};
    const int shift = Qt::ShiftModifier, ctrl = Qt::ControlModifier, none = Qt::NoModifier;
    QTest::newRow("Shift+Down moves down")
        << 1 << int(Qt::Key_Down) << shift << 2 << QStringList{"a", "c", "b", "d"};
    QTest::newRow("Shift+Up moves up")
        << 1 << int(Qt::Key_Up) << shift << 0 << QStringList{"b", "a", "c", "d"};
    QTest::newRow("Shift+Up on the first stays") << 0 << int(Qt::Key_Up) << shift << 0 << abcd;
    QTest::newRow("Shift+Down on the last stays") << 3 << int(Qt::Key_Down) << shift << 3 << abcd;
    QTest::newRow("PageDown one on") << 1 << int(Qt::Key_PageDown) << none << 2 << abcd;
    QTest::newRow("PageUp one back") << 1 << int(Qt::Key_PageUp) << none << 0 << abcd;
    QTest::newRow("Ctrl+PageDown to the last") << 0 << int(Qt::Key_PageDown) << ctrl << 3 << abcd;
    QTest::newRow("Ctrl+PageUp to the first") << 3 << int(Qt::Key_PageUp) << ctrl << 0 << abcd;
    QTest::newRow("Down selects the next") << 1 << int(Qt::Key_Down) << none << 2 << abcd;
}

void TestDBControls::translationListKeys() {
    QFETCH(int, start);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    Translation table{{"a", "1"}, {"b", "2"}, {"c", "3"}, {"d", "4"}};
    DBTranslationList list;
    list.SetDataSource(&table.source);
    list.show();
    table.source.SetRecNo(start);
    QCOMPARE(list.currentRow(), start);
    QTest::keyClick(&list, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QTEST(table.source.CurrentIndex(), "cursor");
    QTEST(list.currentRow(), "cursor");
    QTEST(table.ascii(), "order");
    // Moved records keep their pairs.
    for (int r = 0; r < 4; ++r)
        QCOMPARE(table.source.GetString(r, "Html")[0] - '1',
                 table.source.GetString(r, "Ascii")[0] - 'a');
}

void TestDBControls::controlMayDieBeforeSource() {
    Table table;
    table.add("x");
    {
        auto edit = std::make_unique<DBEdit>();
        edit->SetDataSource(&table.source, "Name");
    }
    // The destroyed control has left the source: notifying must not touch it.
    table.source.SetString("Name", "y");
    table.source.Next();
    QCOMPARE(table.source.GetString("Name"), std::string("y"));
}

QTEST_MAIN(TestDBControls)
#include "test_dlg_dbcontrols.moc"
