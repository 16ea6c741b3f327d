#include "gui/ui/HtmlEditor.h"

#include "gui/ui/Cp1252Text.h"
#include "gui/ui/TextLines.h"

#include <QFile>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QKeyEvent>
#include <Qsci/qscicommandset.h>
#include <Qsci/qscilexerhtml.h>

#include <initializer_list>

namespace {
constexpr int kScrollColumns = 1024;
constexpr int kCaretBack = 4; // the caret ends before the four characters of "</B>" or "</A>"

struct TokenStyle {
    std::initializer_list<int> styles;
    QColor color;
    QColor paper; // invalid: the widget's default paper
    bool bold;
};
} // namespace

HtmlEditor::HtmlEditor(QWidget* parent) : QsciScintilla(parent) {
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    setFont(fixed);
    setUtf8(true);
    setEolMode(EolWindows);
    for (int margin = 0; margin < 5; ++margin)
        setMarginWidth(margin, 0);
    setFolding(NoFoldStyle);
    setWrapMode(WrapNone);
    setScrollWidth(kScrollColumns * QFontMetrics(fixed).horizontalAdvance(QLatin1Char('0')));
    setScrollWidthTracking(false);
    SendScintilla(SCI_SETVIRTUALSPACEOPTIONS, SCVS_USERACCESSIBLE);
    setIndentationsUseTabs(false);
    setTabIndents(true);
    setAutoIndent(true);
    setTabWidth(8);
    setUpHighlighting(fixed);
    // The keys of the user commands must not also run the editor's own commands.
    for (int key : {Qt::Key_I, Qt::Key_U, Qt::Key_B, Qt::Key_L})
        SendScintilla(SCI_CLEARCMDKEY, key + (SCMOD_CTRL << 16));
    connect(this, &QsciScintilla::cursorPositionChanged, this, &HtmlEditor::StatusChanged);
    connect(this, &QsciScintilla::selectionChanged, this, &HtmlEditor::StatusChanged);
    connect(this, &QsciScintilla::modificationChanged, this, &HtmlEditor::StatusChanged);
}

void HtmlEditor::setUpHighlighting(const QFont& font) {
    auto* lexer = new QsciLexerHTML(this);
    lexer->setDefaultFont(font);
    lexer->setFont(font);
    QFont bold = font;
    bold.setBold(true);
    using L = QsciLexerHTML;
    const TokenStyle styles[] = {
        {{L::Entity}, QColor(0, 255, 0), {}, true},
        {{L::ASPAtStart, L::ASPStart, L::ASPXCComment, L::ASPJavaScriptStart,
          L::ASPJavaScriptDefault, L::ASPVBScriptStart, L::ASPVBScriptDefault, L::ASPPythonStart,
          L::ASPPythonDefault},
         Qt::black,
         Qt::yellow,
         false},
        {{L::Attribute, L::UnknownAttribute}, QColor(35, 107, 142), {}, true},
        {{L::Tag}, QColor(128, 0, 255), {}, true},
        {{L::OtherInTag, L::XMLTagEnd}, Qt::black, {}, true},
        {{L::UnknownTag}, Qt::red, {}, true},
        {{L::HTMLDoubleQuotedString, L::HTMLSingleQuotedString, L::HTMLNumber, L::HTMLValue},
         QColor(0, 128, 255),
         {},
         false},
    };
    for (const TokenStyle& s : styles)
        for (int style : s.styles) {
            lexer->setColor(s.color, style);
            if (s.paper.isValid()) lexer->setPaper(s.paper, style);
            lexer->setFont(s.bold ? bold : font, style);
        }
    setLexer(lexer);
}

QString HtmlEditor::Lines() const {
    return JoinTextLines(text());
}

bool HtmlEditor::LoadFromFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) return false;
    setText(FromCp1252(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size()))));
    return true;
}

void HtmlEditor::Wrap(const QString& open, const QString& close) {
    const QString selected = hasSelectedText() ? selectedText() : QString();
    beginUndoAction();
    replaceSelectedText(open + selected + close);
    for (int i = 0; i < kCaretBack; ++i)
        SendScintilla(SCI_CHARLEFT);
    endUndoAction();
}

void HtmlEditor::InsertBreakTag() {
    beginUndoAction();
    replaceSelectedText(QStringLiteral("<BR>"));
    SendScintilla(SCI_NEWLINE);
    endUndoAction();
}

bool HtmlEditor::RunEditCommand(int command) {
    switch (command) {
    case BreakLine:
        InsertBreakTag();
        return true;
    case Italic:
        Wrap("<I>", "</I>");
        return true;
    case Underline:
        Wrap("<U>", "</U>");
        return true;
    case Bold:
        Wrap("<B>", "</B>");
        return true;
    case Link:
        Wrap("<A HREF=\"", "\"></A>");
        return true;
    default:
        return false;
    }
}

int HtmlEditor::CommandForKey(int key, Qt::KeyboardModifiers modifiers) {
    modifiers &= ~Qt::KeypadModifier;
    const Qt::KeyboardModifiers ctrlAlt = Qt::ControlModifier | Qt::AltModifier;
    if (modifiers == ctrlAlt && key == Qt::Key_Left) return PriorItem;
    if (modifiers == ctrlAlt && key == Qt::Key_Right) return NextItem;
    if (modifiers == Qt::ShiftModifier && (key == Qt::Key_Return || key == Qt::Key_Enter))
        return BreakLine;
    if (modifiers != Qt::ControlModifier) return 0;
    switch (key) {
    case Qt::Key_I:
        return Italic;
    case Qt::Key_U:
        return Underline;
    case Qt::Key_B:
        return Bold;
    case Qt::Key_L:
        return Link;
    default:
        return 0;
    }
}

void HtmlEditor::keyPressEvent(QKeyEvent* event) {
    if (const int command = CommandForKey(event->key(), event->modifiers())) {
        event->accept();
        emit UserCommand(command);
        return;
    }
    QsciScintilla::keyPressEvent(event);
}
