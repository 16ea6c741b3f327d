#include "gui/ui/GaugeStatusBar.h"

#include "gui/ui/MainPictures.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QToolButton>

GaugeStatusBar::GaugeStatusBar(const std::vector<Panel>& panels, QWidget* parent)
    : QStatusBar(parent) {
    setSizeGripEnabled(false);
    setStyleSheet(QStringLiteral("QStatusBar::item { border: none; }"));
    for (size_t i = 0; i < panels.size(); ++i) {
        const Panel& p = panels[i];
        const bool last = i + 1 == panels.size();
        auto* frame = new QFrame(this);
        frame->setFrameShape(QFrame::StyledPanel);
        frame->setFrameShadow(QFrame::Sunken);
        frame->setObjectName(QStringLiteral("panel%1").arg(i));
        auto* layout = new QHBoxLayout(frame);
        layout->setContentsMargins(1, 1, 1, 1);
        QWidget* w = nullptr;
        switch (p.kind) {
        case Kind::Text: {
            auto* label = new QLabel(frame);
            label->setTextFormat(Qt::PlainText);
            label->setContentsMargins(2, 0, 2, 0);
            w = label;
            break;
        }
        case Kind::Gauge: {
            auto* bar = new QProgressBar(frame);
            bar->setRange(0, 100);
            bar->setValue(0);
            bar->setAlignment(Qt::AlignCenter);
            bar->setMaximumHeight(15);
            w = bar;
            break;
        }
        case Kind::SuccessGlyph:
        case Kind::FailureGlyph: {
            auto* button = new QToolButton(frame);
            button->setAutoRaise(true);
            button->setIconSize(QSize(14, 14));
            button->setMaximumHeight(15);
            button->setIcon(MainPicture(p.kind == Kind::SuccessGlyph ? MainGlyph::Success
                                                                     : MainGlyph::Failure));
            button->setFocusPolicy(Qt::NoFocus);
            const int index = static_cast<int>(i);
            connect(button, &QToolButton::clicked, this, [this, index] {
                if (m_panels[index].enabled) emit PanelClicked(index);
            });
            w = button;
            break;
        }
        }
        layout->addWidget(w);
        if (!last)
            frame->setFixedWidth(p.width);
        else
            frame->setMinimumWidth(p.width);
        addWidget(frame, last ? 1 : 0);
        m_panels.push_back({p.kind, w, true});
    }
}

void GaugeStatusBar::SetText(int index, const QString& text) {
    if (auto* label = qobject_cast<QLabel*>(m_panels.at(index).widget)) label->setText(text);
}

QString GaugeStatusBar::Text(int index) const {
    if (auto* label = qobject_cast<QLabel*>(m_panels.at(index).widget)) return label->text();
    return {};
}

void GaugeStatusBar::SetPosition(int index, int percent) {
    if (auto* bar = qobject_cast<QProgressBar*>(m_panels.at(index).widget))
        bar->setValue(qBound(0, percent, 100));
}

int GaugeStatusBar::Position(int index) const {
    if (auto* bar = qobject_cast<QProgressBar*>(m_panels.at(index).widget)) return bar->value();
    return 0;
}

void GaugeStatusBar::SetPanelEnabled(int index, bool enabled) {
    Slot& slot = m_panels.at(index);
    slot.enabled = enabled;
    slot.widget->setEnabled(enabled);
    // A disabled gauge or glyph shows nothing; its frame keeps the place.
    if (slot.kind != Kind::Text) slot.widget->setVisible(enabled);
}

void GaugeStatusBar::ClearSignsOnClick() {
    connect(this, &GaugeStatusBar::PanelClicked, this, [this](int index) {
        const auto isSign = [this](int i) {
            return m_panels.at(i).kind == Kind::SuccessGlyph ||
                   m_panels.at(i).kind == Kind::FailureGlyph;
        };
        if (!isSign(index)) return;
        int first = index;
        while (first > 0 && isSign(first - 1))
            --first;
        if (first > 0) SetText(first - 1, QString());
        for (int i = first; i < PanelCount() && isSign(i); ++i)
            SetPanelEnabled(i, false);
    });
}
