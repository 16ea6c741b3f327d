#pragma once
// Data-aware multi-line box. Lines are stored separated by CR LF, the way the stored files
// have always held multi-line texts; the box itself works with plain line feeds.
#include "gui/ui/DBFieldLink.h"

#include <QPlainTextEdit>

class DBMemo : public QPlainTextEdit, public DBFieldLink {
    Q_OBJECT
public:
    explicit DBMemo(QWidget* parent = nullptr);

    // The separator written between lines ("\r\n" unless changed).
    void SetLineBreak(const QString& lineBreak) { m_lineBreak = lineBreak; }

protected:
    void ReadField() override;

private:
    QString m_lineBreak = QStringLiteral("\r\n");
};
