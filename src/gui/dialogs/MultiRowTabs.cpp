#include "gui/dialogs/MultiRowTabs.h"

#include <QMouseEvent>
#include <QStyleOptionTab>
#include <QStylePainter>
#include <QTabBar>
#include <QTabWidget>

#include <algorithm>

MultiRowTabBar::MultiRowTabBar(QTabWidget* tabs, QWidget* parent) : QWidget(parent), m_tabs(tabs) {
    setObjectName(QStringLiteral("tabRows"));
    tabs->tabBar()->hide();
    connect(tabs, &QTabWidget::currentChanged, this, qOverload<>(&QWidget::update));
}

QSize MultiRowTabBar::tabSize(int index) const {
    QStyleOptionTab option;
    option.initFrom(this);
    option.shape = QTabBar::RoundedNorth;
    option.text = m_tabs->tabText(index);
    const QFontMetrics metrics = fontMetrics();
    const int hSpace = style()->pixelMetric(QStyle::PM_TabBarTabHSpace, &option, this);
    const int vSpace = style()->pixelMetric(QStyle::PM_TabBarTabVSpace, &option, this);
    const QSize contents(metrics.size(Qt::TextShowMnemonic, option.text).width() + hSpace,
                         metrics.height() + vSpace);
    return style()->sizeFromContents(QStyle::CT_TabBarTab, &option, contents, this);
}

std::vector<MultiRowTabBar::Tab> MultiRowTabBar::Layout(int width) const {
    // Fill rows in tab order, each as far as the width allows.
    std::vector<std::vector<int>> rows(1);
    int used = 0, height = 0;
    for (int i = 0; i < m_tabs->count(); ++i) {
        if (!m_tabs->isTabVisible(i)) continue;
        const QSize size = tabSize(i);
        height = std::max(height, size.height());
        if (!rows.back().empty() && used + size.width() > width) {
            rows.emplace_back();
            used = 0;
        }
        rows.back().push_back(i);
        used += size.width();
    }
    // The row of the current tab moves next to the page.
    const int current = m_tabs->currentIndex();
    const auto currentRow = std::find_if(rows.begin(), rows.end(), [current](const auto& row) {
        return std::find(row.begin(), row.end(), current) != row.end();
    });
    if (currentRow != rows.end()) std::rotate(currentRow, currentRow + 1, rows.end());

    std::vector<Tab> placed;
    const bool stretch = rows.size() > 1;
    for (size_t r = 0; r < rows.size(); ++r) {
        const auto& row = rows[r];
        int natural = 0;
        for (int index : row)
            natural += tabSize(index).width();
        const int extra = stretch ? std::max(0, width - natural) : 0;
        int x = 0, given = 0;
        for (size_t k = 0; k < row.size(); ++k) {
            const int w = tabSize(row[k]).width();
            // Share the spare width in proportion; the last tab takes the rounding rest.
            int share = natural > 0 ? extra * w / natural : 0;
            if (k + 1 == row.size()) share = extra - given;
            given += share;
            placed.push_back({row[k], QRect(x, int(r) * height, w + share, height)});
            x += w + share;
        }
    }
    return placed;
}

int MultiRowTabBar::HeightFor(int width) const {
    int bottom = 0;
    for (const Tab& tab : Layout(width))
        bottom = std::max(bottom, tab.rect.bottom() + 1);
    return bottom;
}

int MultiRowTabBar::TabAt(QPoint pos) const {
    for (const Tab& tab : Layout(width()))
        if (tab.rect.contains(pos)) return tab.index;
    return -1;
}

void MultiRowTabBar::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    const std::vector<Tab> tabs = Layout(width());
    const int current = m_tabs->currentIndex();
    const Tab* selected = nullptr;
    for (const Tab& tab : tabs) {
        if (tab.index == current) {
            selected = &tab;
            continue;
        }
        QStyleOptionTab option;
        option.initFrom(this);
        option.shape = QTabBar::RoundedNorth;
        option.text = m_tabs->tabText(tab.index);
        option.rect = tab.rect;
        option.position = QStyleOptionTab::Middle;
        option.state &= ~(QStyle::State_HasFocus | QStyle::State_Selected);
        painter.drawControl(QStyle::CE_TabBarTab, option);
    }
    // The selected tab last, so that it lies over its neighbours and the page frame.
    if (selected) {
        QStyleOptionTab option;
        option.initFrom(this);
        option.shape = QTabBar::RoundedNorth;
        option.text = m_tabs->tabText(selected->index);
        option.rect = selected->rect;
        option.position = QStyleOptionTab::Middle;
        option.state |= QStyle::State_Selected;
        option.state &= ~QStyle::State_HasFocus;
        painter.drawControl(QStyle::CE_TabBarTab, option);
    }
}

void MultiRowTabBar::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
    const int index = TabAt(event->position().toPoint());
    if (index >= 0) m_tabs->setCurrentIndex(index);
}

MultiRowTabs::MultiRowTabs(QTabWidget* tabs, int designWidth, QWidget* parent)
    : QWidget(parent), m_tabs(tabs), m_designWidth(designWidth) {
    tabs->setParent(this);
    m_bar = new MultiRowTabBar(tabs, this);
    m_bar->raise();
    connect(tabs, &QTabWidget::currentChanged, this, [this] { resizeEvent(nullptr); });
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

int MultiRowTabs::overlap() const {
    return style()->pixelMetric(QStyle::PM_TabBarBaseOverlap, nullptr, m_tabs);
}

QSize MultiRowTabs::sizeHint() const {
    const QSize page = m_tabs->sizeHint();
    const int width = std::max(page.width(), m_designWidth);
    return {width, page.height() + m_bar->HeightFor(width) - overlap()};
}

QSize MultiRowTabs::minimumSizeHint() const {
    const QSize page = m_tabs->minimumSizeHint();
    const int width = std::max(page.width(), m_designWidth);
    return {page.width(), page.height() + m_bar->HeightFor(width) - overlap()};
}

void MultiRowTabs::resizeEvent(QResizeEvent*) {
    const int barHeight = m_bar->HeightFor(width());
    m_bar->setGeometry(0, 0, width(), barHeight);
    const int top = std::max(0, barHeight - overlap());
    m_tabs->setGeometry(0, top, width(), height() - top);
    m_bar->raise();
    m_bar->update();
}
