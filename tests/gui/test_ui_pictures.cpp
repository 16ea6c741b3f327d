// Guards: every toolbar glyph draws at 16 and 32 pixels and looks clearly different when disabled.
#include "gui/dialogs/DialogPictures.h"
#include "gui/ui/MainPictures.h"

#include <QtTest>

class TestPictures : public QObject {
    Q_OBJECT
private slots:
    void glyph_data();
    void glyph();
};

void TestPictures::glyph_data() {
    QTest::addColumn<QIcon>("icon");
    for (int i = 0; i <= int(MainGlyph::Busy); ++i)
        QTest::addRow("main %d", i) << MainPicture(MainGlyph(i));
    for (int i = 0; i <= int(DialogPictures::Glyph::Browse); ++i)
        QTest::addRow("dialog %d", i) << DialogPictures::ToolGlyph(DialogPictures::Glyph(i));
}

void TestPictures::glyph() {
    QFETCH(QIcon, icon);
    for (const int size : {16, 32}) {
        const QImage normal = icon.pixmap(size).toImage().convertToFormat(QImage::Format_ARGB32);
        const QImage disabled =
            icon.pixmap(size, QIcon::Disabled).toImage().convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(normal.size(), QSize(size, size));
        int drawn = 0, changed = 0; // drawn pixels, and those clearly changed when disabled
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) {
                const QRgb p = normal.pixel(x, y), q = disabled.pixel(x, y);
                drawn += qAlpha(p) >= 128;
                const int d =
                    std::max({std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                              std::abs(qBlue(p) - qBlue(q)), std::abs(qAlpha(p) - qAlpha(q))});
                changed += qAlpha(p) >= 128 && d > 40;
            }
        QVERIFY2(drawn > 0 && changed * 5 >= drawn, qPrintable(QString::number(size)));
    }
}

QTEST_MAIN(TestPictures)
#include "test_ui_pictures.moc"
