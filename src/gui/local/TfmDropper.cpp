#include "gui/local/TfmDropper.h"

#include "gui/ui/FileDropTarget.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QVBoxLayout>

TfmDropper::TfmDropper(std::function<bool()> accepts)
    : QWidget(nullptr, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
    setObjectName("fmDropper");
    setWindowTitle("Dropper");
    setAttribute(Qt::WA_DeleteOnClose);
    setMinimumSize(75, 75);
    setMaximumSize(200, 200);
    resize(48, 48); // the limits make it 75 x 75
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* image = new QLabel(this);
    image->setObjectName("DropImage");
    image->setAlignment(Qt::AlignCenter);
    image->setPixmap(DropPicture());
    layout->addWidget(image);
    auto* target = new FileDropTarget(this, std::move(accepts));
    target->setObjectName("DropFileTarget");
    connect(target, &FileDropTarget::FilesDropped, this, &TfmDropper::FilesDropped);
}

void TfmDropper::PlaceInCorner() {
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    // The whole screen, not its free area: the window may lie over a panel.
    const QRect whole = screen->geometry();
    const QSize outer = frameGeometry().size();
    move(whole.x() + whole.width() - outer.width(), whole.y() + whole.height() - outer.height());
}

QPixmap TfmDropper::DropPicture() {
    QPixmap picture(30, 30);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    // The open box: its back edge, sides and bottom, with a lighter front.
    p.setPen(QPen(QColor(0x5a, 0x3c, 0x1e), 1.5));
    p.setBrush(QColor(0xc8, 0x96, 0x5a));
    QPainterPath box;
    box.moveTo(4, 17);
    box.lineTo(26, 17);
    box.lineTo(26, 28);
    box.lineTo(4, 28);
    box.closeSubpath();
    p.drawPath(box);
    p.setBrush(QColor(0xe6, 0xbe, 0x8a));
    p.drawPolygon(QPolygonF({QPointF(4, 17), QPointF(1, 13), QPointF(8, 13), QPointF(11, 17)}));
    p.drawPolygon(
        QPolygonF({QPointF(26, 17), QPointF(29, 13), QPointF(22, 13), QPointF(19, 17)}));
    // The arrow, pointing down into the box.
    p.setPen(QPen(QColor(0x10, 0x40, 0x90), 1.2));
    p.setBrush(QColor(0x30, 0x70, 0xd0));
    p.drawPolygon(QPolygonF({QPointF(12, 1), QPointF(18, 1), QPointF(18, 12), QPointF(22, 12),
                             QPointF(15, 21), QPointF(8, 12), QPointF(12, 12)}));
    return picture;
}
