#pragma once
// A status bar made of fixed panels: text panels, gauge panels (a progress bar with its
// percentage centred) and clickable glyph panels (a success or failure sign). A disabled
// panel hides its content. The last panel takes the remaining width.
#include <QStatusBar>

#include <vector>

class QLabel;
class QProgressBar;
class QToolButton;

class GaugeStatusBar : public QStatusBar {
    Q_OBJECT
public:
    enum class Kind { Text, Gauge, SuccessGlyph, FailureGlyph };
    struct Panel {
        Kind kind;
        int width;
    };

    GaugeStatusBar(const std::vector<Panel>& panels, QWidget* parent = nullptr);

    int PanelCount() const { return static_cast<int>(m_panels.size()); }
    Kind PanelKind(int index) const { return m_panels.at(index).kind; }
    // The panel's content: a QLabel, a QProgressBar or a QToolButton.
    QWidget* PanelWidget(int index) const { return m_panels.at(index).widget; }

    void SetText(int index, const QString& text);
    QString Text(int index) const;
    void SetPosition(int index, int percent); // gauge panels, 0 to 100
    int Position(int index) const;
    void SetPanelEnabled(int index, bool enabled);
    bool PanelEnabled(int index) const { return m_panels.at(index).enabled; }
    // A click on the success or failure sign clears the status text before the signs and
    // hides both signs.
    void ClearSignsOnClick();

signals:
    void PanelClicked(int index);

private:
    struct Slot {
        Kind kind;
        QWidget* widget;
        bool enabled;
    };
    std::vector<Slot> m_panels;
};
