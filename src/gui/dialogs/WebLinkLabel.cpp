#include "gui/dialogs/WebLinkLabel.h"

#include <QMouseEvent>

WebLinkLabel::WebLinkLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
    QFont underlined = font();
    underlined.setUnderline(true);
    setFont(underlined);
    setCursor(Qt::PointingHandCursor);
    setHovered(false);
}

void WebLinkLabel::setHovered(bool hovered) {
    m_hovered = hovered;
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText,
                     hovered ? colours.color(QPalette::Highlight) : QColor(0, 0, 160));
    setPalette(colours);
}

void WebLinkLabel::enterEvent(QEnterEvent* event) {
    setHovered(true);
    QLabel::enterEvent(event);
}

void WebLinkLabel::leaveEvent(QEvent* event) {
    setHovered(false);
    QLabel::leaveEvent(event);
}

void WebLinkLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
    QLabel::mouseReleaseEvent(event);
}
