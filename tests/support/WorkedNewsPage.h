#pragma once
// The page the news tests start from: three items, two of them on one date line, a between
// text, CR LF line ends.
#include <QByteArray>

inline QByteArray Crlf(QByteArray text) {
    return text.replace("\n", "\r\n");
}

inline const QByteArray kWorkedPage = Crlf("<html>\n<!-- NEWS:main -->\n"
                                           "<!-- DATE:2000/01/15(12:30) -->H2\n"
                                           "<!-- TEXT --><A NAME=\"N2\"></A>T2<!-- SUBLINE -->F2\n"
                                           "<!-- BETWEEN --><hr><!-- /BETWEEN -->"
                                           "<!-- TEXT --><A NAME=\"N1\"></A>T1<!-- SUBLINE -->F1\n"
                                           "<!-- BETWEEN --><hr><!-- /BETWEEN -->\n"
                                           "<!-- DATE:2000/01/14(09:15) -->H0\n"
                                           "<!-- TEXT --><A NAME=\"N0\"></A>T0<!-- SUBLINE -->F0\n"
                                           "<!-- /NEWS -->\n</html>\n");
