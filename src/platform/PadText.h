#pragma once
#include <QString>

// Trims a text, keeps at most n characters and pads it with blanks to n. A character is what
// a reader sees as one (an accented letter, an emoji), so none is ever cut in half.
QString PadText(const QString& text, int n);
// The characters of a text, counted as PadText counts them.
int CharacterCount(const QString& text);
