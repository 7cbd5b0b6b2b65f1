#pragma once
#include <QString>

// Trims a text, keeps at most n characters and pads it with blanks to n.
inline QString PadText(const QString& text, int n)
{
    return text.trimmed().left(n).leftJustified(n, QLatin1Char(' '));
}
