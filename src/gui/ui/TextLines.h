#pragma once
// A multi-line text as a list of lines, the way stored texts hold them: lines end at CR, LF or
// CR LF, and each is then followed by CR LF, the last one included. A final line break does
// not start another line; an empty text has no lines.
#include <QString>

QString JoinTextLines(const QString& text);
