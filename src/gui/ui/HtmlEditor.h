#pragma once
// The HTML editor: a plain-text editor with HTML highlighting in a fixed-pitch font, without
// a gutter, scrolling sideways to column 1024 and past the end of a line, indenting with
// spaces, leaving the Tab key to the focus chain. Key combinations bound to user command
// numbers raise UserCommand instead of editing; the wrapping and line-break commands that the
// news page binds to them are offered here as single undo steps.
#include <Qsci/qsciscintilla.h>

class HtmlEditor : public QsciScintilla {
    Q_OBJECT
public:
    // The user command numbers and their keys.
    enum Command {
        PriorItem = 1001, // Ctrl+Alt+Left
        NextItem = 1002,  // Ctrl+Alt+Right
        BreakLine = 1003, // Shift+Enter
        Italic = 1004,    // Ctrl+I
        Underline = 1005, // Ctrl+U
        Bold = 1006,      // Ctrl+B
        Link = 1007,      // Ctrl+L
    };

    explicit HtmlEditor(QWidget* parent = nullptr);

    // The whole text as lines, each followed by CR LF.
    QString Lines() const;
    // Replaces the whole text with a file's bytes, read as Windows-1252; false when the file
    // cannot be read (the text is then unchanged).
    bool LoadFromFile(const QString& path);

    // Inserts `open`, the selected text and `close` at the caret in place of the selection,
    // then moves the caret four characters to the left; one undo step.
    void Wrap(const QString& open, const QString& close);
    // Inserts "<BR>" and a line break at the caret in place of the selection; one undo step.
    void InsertBreakTag();
    // Runs the editing command of a user command number; false for the numbers it does not
    // edit with (the item moves and unknown numbers).
    bool RunEditCommand(int command);

    // The user command bound to a key combination, 0 for none.
    static int CommandForKey(int key, Qt::KeyboardModifiers modifiers);

signals:
    // The caret, the selection or the modified flag changed.
    void StatusChanged();
    void UserCommand(int command);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    // Tab and Shift+Tab move the focus instead of being typed.
    bool focusNextPrevChild(bool next) override { return QWidget::focusNextPrevChild(next); }

private:
    void setUpHighlighting(const QFont& font);
};
