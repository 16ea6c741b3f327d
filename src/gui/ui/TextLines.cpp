#include "gui/ui/TextLines.h"

QString JoinTextLines(const QString& text) {
    QString joined;
    joined.reserve(text.size() + text.size() / 16 + 2);
    for (qsizetype at = 0; at < text.size();) {
        qsizetype end = at;
        while (end < text.size() && text[end] != u'\r' && text[end] != u'\n')
            ++end;
        joined += QStringView(text).mid(at, end - at);
        joined += QLatin1String("\r\n");
        if (end < text.size() && text[end] == u'\r' && end + 1 < text.size() &&
            text[end + 1] == u'\n')
            ++end;
        at = end + 1;
    }
    return joined;
}
