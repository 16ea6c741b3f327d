#pragma once
// Tabs on several rows for a QTabWidget: the tab widget's own single-row bar is hidden and a
// bar above it lays the visible tabs out in as many rows as the width needs, each row
// stretched to the full width. The row holding the current tab sits next to the page, the
// way multi-row tabs have always behaved. Page switching stays with the QTabWidget.
#include <QWidget>

#include <vector>

class QTabWidget;

class MultiRowTabBar : public QWidget {
    Q_OBJECT
public:
    explicit MultiRowTabBar(QTabWidget* tabs, QWidget* parent = nullptr);

    struct Tab {
        int index;
        QRect rect;
    };
    // The visible tabs placed for `width`, top row first.
    std::vector<Tab> Layout(int width) const;
    int HeightFor(int width) const;
    int TabAt(QPoint pos) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QSize tabSize(int index) const;
    QTabWidget* m_tabs;
};

// The bar and the tab widget together, the bar overlapping the page frame like a real tab bar.
class MultiRowTabs : public QWidget {
    Q_OBJECT
public:
    // Takes `tabs` as its child; `designWidth` decides the rows the size hint reserves.
    MultiRowTabs(QTabWidget* tabs, int designWidth, QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    MultiRowTabBar* Bar() const { return m_bar; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    int overlap() const;
    QTabWidget* m_tabs;
    MultiRowTabBar* m_bar;
    int m_designWidth;
};
