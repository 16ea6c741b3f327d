// The pictures in the resources: every glyph loads, draws something at toolbar and larger sizes,
// and looks different when its command is disabled.
#include "gui/dialogs/DialogPictures.h"
#include "gui/ui/MainPictures.h"

#include <QtTest>

namespace {
// Share of the drawn pixels of a, in per cent, whose colour or coverage in b differs clearly.
int changedShare(const QImage& a, const QImage& b) {
    int drawn = 0, changed = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            if (qAlpha(p) < 128) continue;
            ++drawn;
            const int d =
                std::max({std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                          std::abs(qBlue(p) - qBlue(q)), std::abs(qAlpha(p) - qAlpha(q))});
            if (d > 40) ++changed;
        }
    return drawn == 0 ? 0 : changed * 100 / drawn;
}
} // namespace

class TestPictures : public QObject {
    Q_OBJECT
private slots:
    void glyph_data();
    void glyph();
    void pictures();
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
    QVERIFY(!icon.isNull());
    for (const int size : {16, 32}) {
        const QImage normal =
            icon.pixmap(size, size).toImage().convertToFormat(QImage::Format_ARGB32);
        const QImage disabled = icon.pixmap(QSize(size, size), QIcon::Disabled)
                                    .toImage()
                                    .convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(normal.size(), QSize(size, size));
        QCOMPARE(disabled.size(), normal.size());
        const int share = changedShare(normal, disabled);
        QVERIFY2(share >= 20,
                 qPrintable(QStringLiteral("%1 px: %2% changed").arg(size).arg(share)));
    }
}

void TestPictures::pictures() {
    using namespace DialogPictures;
    const QList<QPixmap> pictures{Folder(40), Key(32), ProgramIcon(64), Screen({96, 72}),
                                  WizardSide({120, 256})};
    for (const QPixmap& picture : pictures) {
        const QImage image = picture.toImage().convertToFormat(QImage::Format_ARGB32);
        int drawn = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                drawn += qAlpha(image.pixel(x, y)) > 128;
        QVERIFY(drawn > image.width() * image.height() / 10);
    }
}

QTEST_MAIN(TestPictures)
#include "test_ui_pictures.moc"
