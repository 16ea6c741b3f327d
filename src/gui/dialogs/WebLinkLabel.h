#pragma once
// A label that looks and acts like a web link: underlined, a hand cursor, the highlight
// colour while the mouse is over it, and a click signal.
#include <QLabel>

class WebLinkLabel : public QLabel {
    Q_OBJECT
public:
    explicit WebLinkLabel(const QString& text, QWidget* parent = nullptr);

    bool Hovered() const { return m_hovered; }

signals:
    void clicked();

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void setHovered(bool hovered);
    bool m_hovered = false;
};
