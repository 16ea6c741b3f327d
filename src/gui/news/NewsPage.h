#pragma once
// The News page: the configuration chooser and the item commands on its toolbar, the bound
// fields of the current news item with the column ruler, the text shown either in a plain
// memo or in the HTML editor, and the status bar with its gauges and signs. The page shows
// the news table it is given and follows its notifications; the work behind the commands is
// connected by the main window.
#include <QWidget>

class CommandTable;
class DBComboBox;
class DBMemo;
class GaugeStatusBar;
class HtmlEditor;
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
    // Whether the text is edited in the HTML editor (else in the plain memo).
    void SetSyntaxHighlight(bool on);
    // The reaction to every notification of the news table: the position label ("n/count")
    // and which text editor shows the current item.
    void NewsChanged();
    // Focuses the text editor shown when there is a current item and the page is shown.
    void FocusEditor();
    // After New News: the text editor of the new item is shown and focused.
    void ShowNewItem();
    // While a posting reads the table, the editing controls must leave it unchanged.
    void SetEditingEnabled(bool enabled);

    // The status bar: overall gauge, status text, the two signs, transfer gauge.
    void SetGaugeEnabled(bool enabled);
    void SetOverallGauge(int percent);
    void SetStatusText(const QString& text);
    void SetSigns(bool success, bool failure);
    void SetTransferGauge(bool enabled, int percent);

signals:
    // The user picked a configuration in the chooser.
    void ConfigurationChosen();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* buildFields();
    void buildEditor();
    void writeEditorText();
    bool hasItem() const;

    pw::TnkDBSource& m_news;
    bool m_syntaxHighlight = false;
    bool m_loadingEditor = false;
    DBComboBox* cbNewsConfig;
    QLabel* lbNewsPosition;
    QWidget* m_fields;
    DBMemo* edNewsText;
    HtmlEditor* edNewsHTMLEditor;
    GaugeStatusBar* sbaNews;
};
