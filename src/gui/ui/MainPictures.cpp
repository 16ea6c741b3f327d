#include "gui/ui/MainPictures.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {
const QColor kGreen(40, 150, 40), kRed(200, 40, 40), kBlue(40, 90, 190), kYellow(235, 190, 40),
    kGrey(90, 90, 90), kPaper(250, 250, 245);

void triangle(QPainter& p, QPointF a, QPointF b, QPointF c, const QColor& color) {
    QPainterPath path;
    path.moveTo(a);
    path.lineTo(b);
    path.lineTo(c);
    path.closeSubpath();
    p.fillPath(path, color);
}

void arrow(QPainter& p, QPointF from, QPointF to, const QColor& color) {
    p.setPen(QPen(color, 2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(from, to);
    const QLineF line(to, from);
    const double a = line.angle();
    QLineF h1 = QLineF::fromPolar(5, a + 35).translated(to);
    QLineF h2 = QLineF::fromPolar(5, a - 35).translated(to);
    p.drawLine(h1);
    p.drawLine(h2);
}

void page(QPainter& p) {
    p.setPen(QPen(kGrey, 1));
    p.setBrush(kPaper);
    p.drawRect(QRectF(3.5, 1.5, 10, 13));
    p.setPen(QPen(QColor(150, 150, 150), 1));
    for (int y = 5; y <= 11; y += 2)
        p.drawLine(QPointF(5.5, y + 0.5), QPointF(11.5, y + 0.5));
}

void folder(QPainter& p) {
    p.setPen(QPen(QColor(150, 110, 20), 1));
    p.setBrush(kYellow);
    p.drawRect(QRectF(1.5, 4.5, 13, 9));
    p.drawRect(QRectF(1.5, 2.5, 5, 2));
}

void cross(QPainter& p, QRectF r, const QColor& color) {
    p.setPen(QPen(color, 2.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(r.topLeft(), r.bottomRight());
    p.drawLine(r.topRight(), r.bottomLeft());
}

void circle(QPainter& p, const QColor& color) {
    p.setPen(QPen(color.darker(140), 1));
    p.setBrush(color);
    p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
}

void plug(QPainter& p, const QColor& color) {
    p.setPen(QPen(kGrey, 1));
    p.setBrush(color);
    p.drawRoundedRect(QRectF(4.5, 5.5, 7, 6), 1.5, 1.5);
    p.setPen(QPen(kGrey, 1.5));
    p.drawLine(QPointF(6.5, 2), QPointF(6.5, 5.5));
    p.drawLine(QPointF(9.5, 2), QPointF(9.5, 5.5));
    p.drawLine(QPointF(8, 11.5), QPointF(8, 15));
}

void letter(QPainter& p, const QString& text, const QColor& color,
            QRectF r = QRectF(0, 0, 16, 16)) {
    QFont font = p.font();
    font.setPixelSize(int(r.height() * 0.75));
    font.setBold(true);
    p.setFont(font);
    p.setPen(color);
    p.drawText(r, Qt::AlignCenter, text);
}

void draw(QPainter& p, MainGlyph glyph) {
    switch (glyph) {
    case MainGlyph::Program:
        page(p);
        letter(p, "P", kBlue, QRectF(4, 3, 10, 11));
        break;
    case MainGlyph::Tray:
        p.setPen(QPen(kGrey, 1));
        p.setBrush(QColor(210, 220, 240));
        p.drawRect(QRectF(1.5, 1.5, 13, 9));
        p.fillRect(QRectF(1, 12, 14, 3), kGrey);
        arrow(p, QPointF(8, 4), QPointF(8, 10), kBlue);
        break;
    case MainGlyph::Configuration:
        p.setPen(QPen(kGrey, 3));
        for (int a = 0; a < 180; a += 45)
            p.drawLine(QLineF::fromPolar(7, a).translated(8, 8).p2(),
                       QLineF::fromPolar(7, a + 180).translated(8, 8).p2());
        p.setPen(QPen(kGrey, 1));
        p.setBrush(QColor(190, 190, 190));
        p.drawEllipse(QRectF(3.5, 3.5, 9, 9));
        p.setBrush(Qt::white);
        p.drawEllipse(QRectF(6, 6, 4, 4));
        break;
    case MainGlyph::Exit:
        p.setPen(QPen(QColor(120, 70, 20), 1));
        p.setBrush(QColor(180, 120, 60));
        p.drawRect(QRectF(2.5, 1.5, 8, 13));
        arrow(p, QPointF(7, 8), QPointF(15, 8), kRed);
        break;
    case MainGlyph::Start:
    case MainGlyph::Restart:
        triangle(p, {4, 2}, {4, 14}, {13, 8}, kGreen);
        break;
    case MainGlyph::Stop:
        p.fillRect(QRectF(3, 3, 10, 10), kRed);
        break;
    case MainGlyph::Pause:
        p.fillRect(QRectF(3, 3, 3.5, 10), kBlue);
        p.fillRect(QRectF(9.5, 3, 3.5, 10), kBlue);
        break;
    case MainGlyph::Post:
        page(p);
        arrow(p, QPointF(8, 15), QPointF(8, 4), kGreen);
        break;
    case MainGlyph::About:
        circle(p, kBlue);
        letter(p, "i", Qt::white);
        break;
    case MainGlyph::Connect:
        plug(p, kGreen);
        break;
    case MainGlyph::Disconnect:
        plug(p, kRed);
        break;
    case MainGlyph::QuickConnect:
        plug(p, kYellow);
        break;
    case MainGlyph::Refresh:
        p.setPen(QPen(kGreen, 2));
        p.drawArc(QRectF(3, 3, 10, 10), 30 * 16, 280 * 16);
        triangle(p, {10, 1}, {15, 5}, {10, 7}, kGreen);
        break;
    case MainGlyph::Root:
        folder(p);
        letter(p, "/", kGrey, QRectF(2, 4, 12, 10));
        break;
    case MainGlyph::Up:
        folder(p);
        arrow(p, QPointF(8, 13), QPointF(8, 5), kBlue);
        break;
    case MainGlyph::MakeFolder:
        folder(p);
        letter(p, "+", kGreen, QRectF(2, 4, 12, 10));
        break;
    case MainGlyph::CopyRight:
        arrow(p, QPointF(2, 8), QPointF(14, 8), kBlue);
        break;
    case MainGlyph::CopyLeft:
        arrow(p, QPointF(14, 8), QPointF(2, 8), kBlue);
        break;
    case MainGlyph::Rename:
        letter(p, "ab", kGrey, QRectF(0, 0, 16, 12));
        p.setPen(QPen(kBlue, 1));
        p.drawLine(QPointF(1, 13.5), QPointF(15, 13.5));
        break;
    case MainGlyph::Delete:
    case MainGlyph::Failure:
        cross(p, QRectF(3.5, 3.5, 9, 9), kRed);
        break;
    case MainGlyph::Success:
        p.setPen(QPen(kGreen, 2.5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(3, 8.5), QPointF(6.5, 12));
        p.drawLine(QPointF(6.5, 12), QPointF(13, 4));
        break;
    case MainGlyph::New:
        page(p);
        letter(p, "+", kGreen, QRectF(6, 6, 10, 10));
        break;
    case MainGlyph::Preview:
        p.setPen(QPen(kGrey, 2));
        p.drawEllipse(QRectF(2, 2, 8, 8));
        p.drawLine(QPointF(9, 9), QPointF(14, 14));
        break;
    case MainGlyph::First:
        p.fillRect(QRectF(3, 3, 2, 10), kBlue);
        triangle(p, {13, 3}, {13, 13}, {6, 8}, kBlue);
        break;
    case MainGlyph::Prior:
        triangle(p, {11, 3}, {11, 13}, {4, 8}, kBlue);
        break;
    case MainGlyph::Next:
        triangle(p, {5, 3}, {5, 13}, {12, 8}, kBlue);
        break;
    case MainGlyph::Last:
        p.fillRect(QRectF(11, 3, 2, 10), kBlue);
        triangle(p, {3, 3}, {3, 13}, {10, 8}, kBlue);
        break;
    case MainGlyph::EditHeader:
        page(p);
        p.fillRect(QRectF(4, 2, 9, 3), kBlue);
        break;
    case MainGlyph::EditFooter:
        page(p);
        p.fillRect(QRectF(4, 11, 9, 3), kBlue);
        break;
    case MainGlyph::Load:
        folder(p);
        arrow(p, QPointF(8, 2), QPointF(8, 11), kGreen);
        break;
    case MainGlyph::Save:
        p.setPen(QPen(kGrey, 1));
        p.setBrush(kBlue);
        p.drawRect(QRectF(2.5, 2.5, 11, 11));
        p.fillRect(QRectF(5, 3, 6, 4), Qt::white);
        break;
    case MainGlyph::EditOnline:
        page(p);
        p.setPen(QPen(QColor(200, 120, 0), 2));
        p.drawLine(QPointF(6, 13), QPointF(14, 5));
        break;
    case MainGlyph::Busy:
        p.setPen(QPen(kBlue, 2));
        p.drawArc(QRectF(3, 3, 10, 10), 0, 270 * 16);
        break;
    }
}
} // namespace

QIcon MainPicture(MainGlyph glyph) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    {
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        draw(p, glyph);
    }
    return QIcon(pixmap);
}
