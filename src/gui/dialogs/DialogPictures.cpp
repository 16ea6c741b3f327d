#include "gui/dialogs/DialogPictures.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace {
const QColor kBlue(40, 90, 170);
const QColor kPaper(250, 250, 245);

QPixmap blank(QSize size) {
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    return pixmap;
}
} // namespace

namespace DialogPictures {

QIcon ToolGlyph(Glyph glyph) {
    QPixmap pixmap = blank({16, 16});
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor ink = glyph == Glyph::Delete || glyph == Glyph::Clear ? QColor(190, 30, 30)
                       : glyph == Glyph::Add                           ? QColor(20, 140, 40)
                                                                       : kBlue;
    p.setPen(QPen(ink, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(ink);
    auto triangle = [&p](qreal tipX, qreal baseX) {
        const QPointF points[] = {{tipX, 8}, {baseX, 3.5}, {baseX, 12.5}};
        p.drawPolygon(points, 3);
    };
    switch (glyph) {
    case Glyph::Add:
        p.drawLine(QPointF(8, 3), QPointF(8, 13));
        p.drawLine(QPointF(3, 8), QPointF(13, 8));
        break;
    case Glyph::Delete:
        p.drawLine(QPointF(3, 8), QPointF(13, 8));
        break;
    case Glyph::Clear:
        p.drawLine(QPointF(4, 4), QPointF(12, 12));
        p.drawLine(QPointF(12, 4), QPointF(4, 12));
        break;
    case Glyph::First:
        p.drawLine(QPointF(4, 3.5), QPointF(4, 12.5));
        triangle(6, 12);
        break;
    case Glyph::Prior:
        triangle(5, 11);
        break;
    case Glyph::Next:
        triangle(11, 5);
        break;
    case Glyph::Last:
        p.drawLine(QPointF(12, 3.5), QPointF(12, 12.5));
        triangle(10, 4);
        break;
    case Glyph::MoveLeft:
        triangle(2.5, 7.5);
        triangle(8.5, 13.5);
        break;
    case Glyph::MoveRight:
        triangle(13.5, 8.5);
        triangle(7.5, 2.5);
        break;
    case Glyph::Browse:
        p.setPen(QPen(QColor(150, 110, 20), 1));
        p.setBrush(QColor(245, 205, 90));
        p.drawRect(QRectF(1.5, 4.5, 13, 9));
        p.drawRect(QRectF(1.5, 2.5, 6, 2));
        break;
    }
    return QIcon(pixmap);
}

QPixmap Folder(int size) {
    QPixmap pixmap = blank({size, size});
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal u = size / 40.0;
    p.setPen(QPen(QColor(150, 110, 20), u));
    p.setBrush(QColor(240, 200, 80));
    p.drawRoundedRect(QRectF(3 * u, 8 * u, 16 * u, 8 * u), 2 * u, 2 * u);
    p.setBrush(QColor(250, 215, 100));
    p.drawRoundedRect(QRectF(3 * u, 12 * u, 34 * u, 22 * u), 2 * u, 2 * u);
    p.setPen(QPen(QColor(200, 40, 40), 3 * u, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(28 * u, 4 * u), QPointF(28 * u, 14 * u));
    p.drawLine(QPointF(23 * u, 9 * u), QPointF(33 * u, 9 * u));
    return pixmap;
}

QPixmap Key(int size) {
    QPixmap pixmap = blank({size, size});
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal u = size / 32.0;
    p.setPen(QPen(QColor(120, 90, 10), 1.5 * u));
    p.setBrush(QColor(235, 190, 60));
    p.drawEllipse(QRectF(3 * u, 9 * u, 13 * u, 13 * u));
    p.drawRect(QRectF(15 * u, 14 * u, 14 * u, 3.5 * u));
    p.drawRect(QRectF(24 * u, 17 * u, 2.5 * u, 5 * u));
    p.setBrush(kPaper);
    p.drawEllipse(QRectF(6.5 * u, 13.5 * u, 4 * u, 4 * u));
    return pixmap;
}

QPixmap WizardSide(QSize size) {
    QPixmap pixmap(size);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, size.height());
    sky.setColorAt(0, QColor(30, 70, 150));
    sky.setColorAt(1, QColor(140, 190, 240));
    p.fillRect(pixmap.rect(), sky);
    const qreal w = size.width();
    // A server tower with a few drive bays and lights.
    const QRectF tower(w * 0.25, size.height() * 0.35, w * 0.5, size.height() * 0.45);
    p.setPen(QPen(QColor(40, 40, 40), 1.5));
    p.setBrush(QColor(210, 210, 215));
    p.drawRoundedRect(tower, 4, 4);
    for (int i = 0; i < 3; ++i) {
        const QRectF bay(tower.left() + 8, tower.top() + 10 + i * 18, tower.width() - 16, 10);
        p.setBrush(QColor(160, 160, 170));
        p.drawRect(bay);
    }
    p.setBrush(QColor(60, 200, 80));
    p.drawEllipse(QPointF(tower.left() + 12, tower.bottom() - 14), 3, 3);
    // Dashed arcs: the link to the network.
    p.setPen(QPen(Qt::white, 2, Qt::DashLine));
    p.setBrush(Qt::NoBrush);
    for (int r = 1; r <= 3; ++r)
        p.drawArc(QRectF(w / 2 - 14 * r, tower.top() - 8 - 14 * r, 28 * r, 28 * r), 30 * 16,
                  120 * 16);
    return pixmap;
}

QPixmap Screen(QSize size) {
    QPixmap pixmap = blank(size);
    QPainter p(&pixmap);
    const QRect frame = pixmap.rect().adjusted(0, 0, -1, -1);
    p.setPen(QColor(60, 60, 60));
    p.setBrush(kPaper);
    p.drawRect(frame);
    p.fillRect(QRect(1, 1, frame.width() - 1, 8), kBlue);
    p.fillRect(QRect(4, 12, frame.width() - 8, 6), QColor(200, 200, 200));
    for (int y = 22; y < frame.height() - 4; y += 6)
        p.fillRect(QRect(6, y, (frame.width() - 12) * ((y / 6) % 3 + 2) / 4, 2),
                   QColor(150, 150, 160));
    return pixmap;
}

QPixmap ProgramIcon(int size) {
    QPixmap pixmap = blank({size, size});
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal u = size / 32.0;
    p.setPen(QPen(QColor(60, 60, 60), u));
    p.setBrush(kPaper);
    p.drawRect(QRectF(5 * u, 2 * u, 20 * u, 27 * u));
    p.setPen(QPen(kBlue, 2 * u));
    for (int i = 0; i < 4; ++i)
        p.drawLine(QPointF(8 * u, (8 + 5 * i) * u), QPointF(22 * u, (8 + 5 * i) * u));
    p.setPen(QPen(QColor(200, 60, 30), 3 * u, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(29 * u, 11 * u), QPointF(17 * u, 27 * u));
    return pixmap;
}

QPixmap Title(QSize size) {
    QPixmap pixmap = blank(size);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QFont font(QStringLiteral("Serif"));
    font.setPixelSize(size.height() * 3 / 4);
    font.setBold(true);
    font.setItalic(true);
    p.setFont(font);
    p.setPen(QColor(255, 255, 255, 200));
    p.drawText(pixmap.rect().translated(2, 2), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Pagewright"));
    p.setPen(kBlue);
    p.drawText(pixmap.rect(), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Pagewright"));
    return pixmap;
}

QPixmap Globe(QSize size) {
    QPixmap pixmap = blank(size);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal d = size.height() - 4;
    const QRectF ball(size.width() - d - 4, 2, d, d);
    p.setPen(QPen(kBlue, 1.5));
    p.setBrush(QColor(170, 210, 250));
    p.drawEllipse(ball);
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(ball.adjusted(d / 4, 0, -d / 4, 0));
    p.drawLine(QPointF(ball.left(), ball.center().y()), QPointF(ball.right(), ball.center().y()));
    QFont font;
    font.setPixelSize(11);
    font.setBold(true);
    p.setFont(font);
    p.setPen(QColor(70, 70, 70));
    p.drawText(QRectF(0, 0, ball.left() - 4, size.height()), Qt::AlignRight | Qt::AlignVCenter,
               QStringLiteral("WWW"));
    return pixmap;
}

QImage AboutFace(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(QColor(255, 0, 255));
    QPainter p(&image);
    // No antialiasing: every pixel is either plate or exactly magenta.
    const int w = size.width(), h = size.height();
    const int tab = 22;
    QPainterPath plate;
    plate.addRoundedRect(QRectF(0, tab, w, h - 2 * tab), 28, 28);
    QPainterPath topTab;
    topTab.addRoundedRect(QRectF(12, 0, 150, tab + 20), 10, 10);
    QPainterPath bottomTab;
    bottomTab.addRoundedRect(QRectF(w - 162, h - tab - 20, 150, tab + 20), 10, 10);
    const QPainterPath shape = plate.united(topTab).united(bottomTab);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(96, 96, 96));
    p.drawPath(shape);
    p.translate(2, 2);
    QLinearGradient grey(0, 0, 0, h);
    grey.setColorAt(0, QColor(226, 226, 226));
    grey.setColorAt(1, QColor(190, 190, 190));
    p.setBrush(grey);
    p.scale((w - 4.0) / w, (h - 4.0) / h);
    p.drawPath(shape);
    return image;
}

} // namespace DialogPictures
