#pragma once
// The News page: the configuration chooser and the item commands on its toolbar, the bound
// fields of the current news item with the column ruler, and the status bar with its gauges
// and signs. The page shows the news table it is given; the work behind the commands is
// connected by the main window.
#include <QWidget>

class CommandTable;
class DBComboBox;
class GaugeStatusBar;
class QLabel;
namespace pw {
class TnkDBSource;
}

class NewsPage : public QWidget {
    Q_OBJECT
public:
    NewsPage(CommandTable& commands, pw::TnkDBSource& news, QWidget* parent = nullptr);

    // The chooser lists the configurations by name and follows the settings field.
    void FillChooser(pw::TnkDBSource& configurations, pw::TnkDBSource& settings);
    int ChosenConfiguration() const;
    // "n/count" of the news cursor.
    void ShowPosition();
    // The overall gauge follows the command refresh.
    void SetGaugeEnabled(bool enabled);

signals:
    // The user picked a configuration in the chooser.
    void ConfigurationChosen();

private:
    void buildFields(QWidget* body);

    pw::TnkDBSource& m_news;
    DBComboBox* cbNewsConfig;
    QLabel* lbNewsPosition;
    GaugeStatusBar* sbaNews;
};
