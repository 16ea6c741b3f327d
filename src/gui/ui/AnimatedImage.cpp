#include "gui/ui/AnimatedImage.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>

AnimatedImage::AnimatedImage(QList<QPixmap> frames, int intervalMs, QWidget* parent)
    : QLabel(parent), m_frames(std::move(frames)) {
    m_timer.setInterval(intervalMs);
    connect(&m_timer, &QTimer::timeout, this,
            [this] { showFrame((m_frame + 1) % std::max(1, FrameCount())); });
    if (!m_frames.isEmpty()) setFixedSize(m_frames.first().size());
    showFrame(0);
    hide();
}

void AnimatedImage::SetActive(bool active) {
    if (active == Active()) return;
    if (active) {
        setVisible(true);
        m_timer.start();
    } else {
        m_timer.stop();
        showFrame(0);
        setVisible(false);
    }
}

void AnimatedImage::showFrame(int index) {
    m_frame = index;
    if (index < FrameCount()) setPixmap(m_frames[index]);
}

QList<QPixmap> BoltFrames() {
    QList<QPixmap> frames;
    constexpr int kFrames = 14;
    QPainterPath bolt;
    bolt.moveTo(9.5, 0.5);
    bolt.lineTo(3, 9);
    bolt.lineTo(7.5, 9);
    bolt.lineTo(5.5, 15.5);
    bolt.lineTo(13, 6.5);
    bolt.lineTo(8.5, 6.5);
    bolt.closeSubpath();
    for (int i = 0; i < kFrames; ++i) {
        QPixmap pixmap(16, 16);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        // The glow travels from the top of the bolt to its tip and fades out.
        const double phase = double(i) / kFrames;
        const double glowY = -2 + 20 * phase;
        QLinearGradient fill(0, 0, 0, 16);
        const double at = std::clamp(glowY / 16.0, 0.0, 1.0);
        fill.setColorAt(0, QColor(230, 160, 0));
        fill.setColorAt(std::max(0.0, at - 0.15), QColor(230, 160, 0));
        fill.setColorAt(at, QColor(255, 255, 190));
        fill.setColorAt(std::min(1.0, at + 0.15), QColor(230, 160, 0));
        fill.setColorAt(1, QColor(230, 160, 0));
        p.setPen(QPen(QColor(120, 70, 0), 1));
        p.setBrush(fill);
        p.drawPath(bolt);
        // Sparks around the tip on alternate frames.
        if (i % 2 == 0) {
            p.setPen(QPen(QColor(255, 200, 0), 1));
            const double angle = phase * 2 * M_PI;
            p.drawPoint(QPointF(5.5 + 3 * std::cos(angle), 13 + 2 * std::sin(angle)));
        }
        frames.append(pixmap);
    }
    return frames;
}
