#include "platform/PadText.h"

#include <QTextBoundaryFinder>

namespace {

// The length in UTF-16 units of the first n characters of text, and how many it found.
qsizetype prefixOf(const QString& text, int n, int* found)
{
    QTextBoundaryFinder characters(QTextBoundaryFinder::Grapheme, text);
    int count = 0;
    qsizetype end = 0;
    while (count < n) {
        const qsizetype next = characters.toNextBoundary();
        if (next < 0)
            break;
        end = next;
        ++count;
    }
    if (found)
        *found = count;
    return end;
}

}

QString PadText(const QString& text, int n)
{
    const QString trimmed = text.trimmed();
    int kept = 0;
    const qsizetype end = prefixOf(trimmed, std::max(n, 0), &kept);
    return trimmed.left(end) + QString(std::max(n - kept, 0), QLatin1Char(' '));
}

int CharacterCount(const QString& text)
{
    int count = 0;
    prefixOf(text, INT_MAX, &count);
    return count;
}
