#pragma once
#include <QString>

// The text on one line: every control character (CR, LF, TAB, NUL and the rest of C0 and C1,
// DEL) and every line or paragraph separator becomes a blank. A header, a log entry or a
// field of one stays one line whatever the data holds.
inline QString oneLine(QString text)
{
    for (QChar& c : text) {
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
            c = QLatin1Char(' ');
    }
    return text;
}
