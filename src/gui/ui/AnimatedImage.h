#pragma once
// A small picture cycling through its frames while active; hidden and still otherwise.
#include <QLabel>
#include <QList>
#include <QPixmap>
#include <QTimer>

class AnimatedImage : public QLabel {
    Q_OBJECT
public:
    AnimatedImage(QList<QPixmap> frames, int intervalMs, QWidget* parent = nullptr);

    void SetActive(bool active);
    bool Active() const { return m_timer.isActive(); }
    int Frame() const { return m_frame; }
    int FrameCount() const { return static_cast<int>(m_frames.size()); }

private:
    void showFrame(int index);

    QList<QPixmap> m_frames;
    QTimer m_timer;
    int m_frame = 0;
};

// The fourteen frames of the activity animation: a lightning bolt with a travelling glow.
QList<QPixmap> BoltFrames();
