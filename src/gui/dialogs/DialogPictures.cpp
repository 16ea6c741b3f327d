#include "gui/dialogs/DialogPictures.h"

#include "gui/ui/MainPictures.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QSvgRenderer>

// The glyphs, the folder, the key, the program's icon, the wizard's side picture and the small
// window are SVG files in the program's resources (src/gui/icons). The title, the globe with its
// caption and the About box's plate stay drawn here: the first two set text in the system's
// font, and the plate must be exactly one colour outside its shape because it becomes the
// window's mask.

namespace {
const QColor kBlue(40, 90, 170);

QPixmap blank(QSize size) {
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

// Renders an SVG file of the resources, stretched to fill the whole pixmap.
QPixmap render(const char* name, QSize size) {
    InitPictureResources();
    QPixmap pixmap = blank(size);
    QSvgRenderer renderer(QStringLiteral(":/icons/%1.svg").arg(QLatin1String(name)));
    QPainter p(&pixmap);
    renderer.render(&p);
    return pixmap;
}

const char* glyphFile(DialogPictures::Glyph glyph) {
    using DialogPictures::Glyph;
    switch (glyph) {
    case Glyph::Add:
        return "add";
    case Glyph::Delete:
        return "delete";
    case Glyph::First:
        return "first";
    case Glyph::Prior:
        return "prior";
    case Glyph::Next:
        return "next";
    case Glyph::Last:
        return "last";
    case Glyph::MoveLeft:
        return "move-left";
    case Glyph::MoveRight:
        return "move-right";
    case Glyph::Clear:
        return "clear";
    case Glyph::Browse:
        return "browse";
    }
    return "add";
}
} // namespace

namespace DialogPictures {

QIcon ToolGlyph(Glyph glyph) {
    InitPictureResources();
    return QIcon(QStringLiteral(":/icons/tool-%1.svg").arg(QLatin1String(glyphFile(glyph))));
}

QPixmap Folder(int size) {
    return render("new-folder", {size, size});
}

QPixmap Key(int size) {
    return render("key", {size, size});
}

QPixmap WizardSide(QSize size) {
    return render("wizard-side", size);
}

QPixmap Screen(QSize size) {
    return render("screen", size);
}

QPixmap ProgramIcon(int size) {
    return render("program", {size, size});
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
