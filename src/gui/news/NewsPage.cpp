#include "gui/news/NewsPage.h"

#include "core/news/NewsFormat.h"
#include "core/storage/TnkDBSource.h"
#include "gui/app/CommandTable.h"
#include "gui/ui/ConfigChooser.h"
#include "gui/ui/Cp1252Text.h"
#include "gui/ui/DBComboBox.h"
#include "gui/ui/DBEdit.h"
#include "gui/ui/DBMemo.h"
#include "gui/ui/FileDropTarget.h"
#include "gui/ui/GaugeStatusBar.h"
#include "gui/ui/HtmlEditor.h"
#include "gui/ui/PageParts.h"

#include <QCheckBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QToolBar>
#include <QVBoxLayout>

using namespace pw;

namespace {
enum Panel {
    OverallGauge = 0,
    StatusText = 1,
    SuccessSign = 2,
    FailureSign = 3,
    TransferGauge = 4
};

// The two ruler lines: the tens at every tenth column, then the column digits, to 80.
QString rulerText() {
    QString tens, ones;
    for (int i = 1; i <= 80; ++i) {
        tens += i % 10 == 0 ? QString::number(i / 10 % 10) : QStringLiteral(" ");
        ones += QString::number(i % 10);
    }
    return tens + "\n" + ones;
}
} // namespace

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

    m_fields = buildFields();
    page->addWidget(m_fields, 1);

    using K = GaugeStatusBar::Kind;
    sbaNews = new GaugeStatusBar({{K::Gauge, 50},
                                  {K::Text, 160},
                                  {K::SuccessGlyph, 20},
                                  {K::FailureGlyph, 20},
                                  {K::Gauge, 50},
                                  {K::Text, 50}},
                                 this);
    sbaNews->setObjectName("sbaNews");
    for (int panel : {OverallGauge, SuccessSign, FailureSign, TransferGauge})
        sbaNews->SetPanelEnabled(panel, false);
    sbaNews->ClearSignsOnClick();
    page->addWidget(sbaNews);
}

QWidget* NewsPage::buildFields() {
    auto* body = new QWidget(this);
    auto* form = new QFormLayout(body);
    form->setContentsMargins(6, 6, 6, 6);
    const auto edit = [&](const char* name, const char* field) {
        auto* e = new DBEdit(body);
        e->setObjectName(QString::fromLatin1(name));
        e->SetDataSource(&m_news, field);
        e->installEventFilter(this);
        return e;
    };
    auto* dateRow = new QHBoxLayout;
    DBEdit* date = edit("edNewsDate", news_field::kDate);
    DBEdit* time = edit("edNewsTime", news_field::kTime);
    dateRow->addWidget(date);
    dateRow->addWidget(new QLabel("Time:", body));
    dateRow->addWidget(time);
    for (DBEdit* e : {date, time}) {
        e->setReadOnly(true);
        e->setEnabled(false);
    }
    form->addRow("Date:", dateRow);
    form->addRow("Name:", edit("edNewsName", news_field::kName));
    form->addRow("Header:", edit("edNewsHeader", news_field::kHeader));

    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    auto* textColumn = new QVBoxLayout;
    textColumn->setSpacing(0);
    auto* ruler = new QLabel(rulerText(), body);
    ruler->setObjectName("labNewsRuler");
    ruler->setFont(fixed);
    textColumn->addWidget(ruler);
    edNewsText = new DBMemo(body);
    edNewsText->setObjectName("edNewsText");
    edNewsText->setFont(fixed);
    edNewsText->setLineWrapMode(QPlainTextEdit::NoWrap);
    edNewsText->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    edNewsText->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    edNewsText->SetDataSource(&m_news, news_field::kText);
    edNewsText->installEventFilter(this);
    textColumn->addWidget(edNewsText, 1);
    edNewsHTMLEditor = new HtmlEditor(body);
    edNewsHTMLEditor->setObjectName("edNewsHTMLEditor");
    edNewsHTMLEditor->hide();
    edNewsHTMLEditor->setEnabled(false);
    textColumn->addWidget(edNewsHTMLEditor, 1);
    buildEditor();
    form->addRow("Text:", textColumn);
    form->addRow("Footer:", edit("edNewsFooter", news_field::kFooter));
    auto* betweenTag = new QCheckBox("Between Tag", body);
    betweenTag->setObjectName("cbNewsBetweenTag");
    betweenTag->setEnabled(false);
    form->addRow(QString(), betweenTag);
    return body;
}

void NewsPage::buildEditor() {
    HtmlEditor* editor = edNewsHTMLEditor;
    connect(editor, &HtmlEditor::textChanged, this, &NewsPage::writeEditorText);
    connect(editor, &HtmlEditor::StatusChanged, this, [this, editor] {
        if (editor->hasFocus()) writeEditorText();
    });
    connect(editor, &HtmlEditor::UserCommand, this, [this, editor](int command) {
        if (command == HtmlEditor::PriorItem)
            m_news.Prior();
        else if (command == HtmlEditor::NextItem)
            m_news.Next();
        else
            editor->RunEditCommand(command);
    });
    // A file dropped on the editor replaces its text; the edit reaches the item as typing does.
    auto* drop = new FileDropTarget(
        editor->viewport(), [editor] { return editor->isEnabled() && editor->isVisible(); });
    connect(drop, &FileDropTarget::FilesDropped, editor,
            [editor](const QStringList& files) { editor->LoadFromFile(files.first()); });
}

bool NewsPage::hasItem() const {
    const int current = m_news.CurrentIndex();
    return current >= 0 && current < m_news.RecordCount();
}

void NewsPage::writeEditorText() {
    if (m_loadingEditor || !hasItem() || !edNewsHTMLEditor->isEnabled()) return;
    // A focus or modification signal alone must not rewrite an item that the editor shows
    // unchanged: its lines would gain a CR LF the user never typed.
    const std::string stored = m_news.GetString(news_field::kText);
    if (ToCp1252(edNewsHTMLEditor->text()) == stored) return;
    const std::string text = ToCp1252(edNewsHTMLEditor->Lines());
    if (stored != text) m_news.SetString(m_news.CurrentIndex(), news_field::kText, text);
}

void NewsPage::FillChooser(TnkDBSource& configurations, TnkDBSource& settings) {
    FillConfigChooser(cbNewsConfig, configurations, settings, "NewsConfiguration");
}

int NewsPage::ChosenConfiguration() const {
    return cbNewsConfig->currentIndex();
}

void NewsPage::SetSyntaxHighlight(bool on) {
    m_syntaxHighlight = on;
    NewsChanged();
}

void NewsPage::NewsChanged() {
    const int count = m_news.RecordCount();
    const bool item = hasItem();
    lbNewsPosition->setText(
        QString("%1/%2").arg(count && item ? m_news.CurrentIndex() + 1 : 0).arg(count));
    HtmlEditor* editor = edNewsHTMLEditor;
    m_loadingEditor = true;
    if (item && m_syntaxHighlight) {
        // The editor keeps its caret while it already shows the item's text.
        const std::string text = m_news.GetString(m_news.CurrentIndex(), news_field::kText);
        if (ToCp1252(editor->text()) != text && ToCp1252(editor->Lines()) != text) {
            editor->setText(FromCp1252(text));
            editor->setCursorPosition(0, 0);
        }
        editor->setEnabled(true);
        editor->show();
        edNewsText->hide();
    } else {
        if (!editor->text().isEmpty()) editor->clear();
        editor->setEnabled(false);
        editor->hide();
        edNewsText->show();
    }
    m_loadingEditor = false;
}

void NewsPage::FocusEditor() {
    if (!hasItem() || !isVisible()) return;
    if (m_syntaxHighlight)
        edNewsHTMLEditor->setFocus();
    else
        edNewsText->setFocus();
}

void NewsPage::ShowNewItem() {
    NewsChanged();
    if (m_syntaxHighlight)
        edNewsHTMLEditor->setFocus();
    else
        edNewsText->setFocus();
}

void NewsPage::SetEditingEnabled(bool enabled) {
    m_fields->setEnabled(enabled);
}

bool NewsPage::eventFilter(QObject* watched, QEvent* event) {
    // Page Up and Page Down in the bound fields move to the older and newer item, with Ctrl
    // to the oldest and newest.
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const bool ctrl = key->modifiers() & Qt::ControlModifier;
        if (key->key() == Qt::Key_PageUp) {
            ctrl ? m_news.First() : m_news.Prior();
            return true;
        }
        if (key->key() == Qt::Key_PageDown) {
            ctrl ? m_news.Last() : m_news.Next();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void NewsPage::SetGaugeEnabled(bool enabled) {
    sbaNews->SetPanelEnabled(OverallGauge, enabled);
}

void NewsPage::SetOverallGauge(int percent) {
    sbaNews->SetPosition(OverallGauge, percent);
}

void NewsPage::SetStatusText(const QString& text) {
    sbaNews->SetText(StatusText, text);
}

void NewsPage::SetSigns(bool success, bool failure) {
    sbaNews->SetPanelEnabled(SuccessSign, success);
    sbaNews->SetPanelEnabled(FailureSign, failure);
}

void NewsPage::SetTransferGauge(bool enabled, int percent) {
    sbaNews->SetPanelEnabled(TransferGauge, enabled);
    sbaNews->SetPosition(TransferGauge, percent);
}
