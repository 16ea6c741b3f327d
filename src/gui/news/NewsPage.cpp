#include "gui/news/NewsPage.h"

#include "core/storage/TnkDBSource.h"
#include "gui/app/CommandTable.h"
#include "gui/ui/ConfigChooser.h"
#include "gui/ui/DBComboBox.h"
#include "gui/ui/DBEdit.h"
#include "gui/ui/DBMemo.h"
#include "gui/ui/GaugeStatusBar.h"
#include "gui/ui/PageParts.h"

#include <QCheckBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QToolBar>
#include <QVBoxLayout>

using namespace pw;

NewsPage::NewsPage(CommandTable& commands, TnkDBSource& news, QWidget* parent)
    : QWidget(parent), m_news(news) {
    setObjectName("tsNews");
    QVBoxLayout* page = MakeColumn(this);

    QToolBar* sbNews = MakePageToolbar(this, "sbNews");
    cbNewsConfig = new DBComboBox(sbNews);
    cbNewsConfig->setObjectName("cbNewsConfig");
    cbNewsConfig->setMinimumWidth(140);
    sbNews->addWidget(cbNewsConfig);
    commands.Fill(sbNews, "sbNews");
    AddToolbarSpacer(sbNews);
    lbNewsPosition = new QLabel("0/0", sbNews);
    lbNewsPosition->setObjectName("lbNewsPosition");
    lbNewsPosition->setContentsMargins(4, 0, 6, 0);
    sbNews->addWidget(lbNewsPosition);
    page->addWidget(sbNews);
    connect(cbNewsConfig, &QComboBox::activated, this, &NewsPage::ConfigurationChosen);

    auto* body = new QWidget(this);
    buildFields(body);
    page->addWidget(body, 1);

    using K = GaugeStatusBar::Kind;
    sbaNews = new GaugeStatusBar({{K::Gauge, 50},
                                  {K::Text, 160},
                                  {K::SuccessGlyph, 20},
                                  {K::FailureGlyph, 20},
                                  {K::Gauge, 50},
                                  {K::Text, 50}},
                                 this);
    sbaNews->setObjectName("sbaNews");
    for (int panel : {0, 2, 3, 4})
        sbaNews->SetPanelEnabled(panel, false);
    sbaNews->ClearSignsOnClick();
    page->addWidget(sbaNews);
}

void NewsPage::buildFields(QWidget* body) {
    auto* form = new QFormLayout(body);
    form->setContentsMargins(6, 6, 6, 6);
    const auto edit = [&](const char* name, const char* field) {
        auto* e = new DBEdit(body);
        e->setObjectName(QString::fromLatin1(name));
        e->SetDataSource(&m_news, field);
        return e;
    };
    auto* dateRow = new QHBoxLayout;
    DBEdit* date = edit("edNewsDate", "Date");
    DBEdit* time = edit("edNewsTime", "Time");
    dateRow->addWidget(date);
    dateRow->addWidget(new QLabel("Time:", body));
    dateRow->addWidget(time);
    for (DBEdit* e : {date, time}) {
        e->setReadOnly(true);
        e->setEnabled(false);
    }
    form->addRow("Date:", dateRow);
    form->addRow("Name:", edit("edNewsName", "Name"));
    form->addRow("Header:", edit("edNewsHeader", "Header"));

    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    auto* textColumn = new QVBoxLayout;
    textColumn->setSpacing(0);
    QString tens, ones;
    for (int i = 1; i <= 80; ++i) {
        tens += i % 10 == 0 ? QString::number(i / 10 % 10) : QStringLiteral(" ");
        ones += QString::number(i % 10);
    }
    auto* ruler = new QLabel(tens + "\n" + ones, body);
    ruler->setObjectName("labNewsRuler");
    ruler->setFont(fixed);
    textColumn->addWidget(ruler);
    auto* text = new DBMemo(body);
    text->setObjectName("edNewsText");
    text->setFont(fixed);
    text->setLineWrapMode(QPlainTextEdit::NoWrap);
    text->SetDataSource(&m_news, "Text");
    textColumn->addWidget(text, 1);
    // Stand-in until the HTML editor takes its place.
    auto* html = new QPlainTextEdit(body);
    html->setObjectName("edNewsHTMLEditor");
    html->setFont(fixed);
    html->setLineWrapMode(QPlainTextEdit::NoWrap);
    html->hide();
    textColumn->addWidget(html, 1);
    form->addRow("Text:", textColumn);
    form->addRow("Footer:", edit("edNewsFooter", "Footer"));
    auto* betweenTag = new QCheckBox("Between Tag", body);
    betweenTag->setObjectName("cbNewsBetweenTag");
    betweenTag->setEnabled(false);
    form->addRow(QString(), betweenTag);
}

void NewsPage::FillChooser(TnkDBSource& configurations, TnkDBSource& settings) {
    FillConfigChooser(cbNewsConfig, configurations, settings, "NewsConfiguration");
}

int NewsPage::ChosenConfiguration() const {
    return cbNewsConfig->currentIndex();
}

void NewsPage::ShowPosition() {
    const int count = m_news.RecordCount();
    lbNewsPosition->setText(QString("%1/%2").arg(count ? m_news.CurrentIndex() + 1 : 0).arg(count));
}

void NewsPage::SetGaugeEnabled(bool enabled) {
    sbaNews->SetPanelEnabled(0, enabled);
}
