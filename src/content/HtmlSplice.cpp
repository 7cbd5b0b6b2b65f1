#include "content/HtmlSplice.h"

#include <QList>
#include <QVector>

namespace {
// Where each line starts, and one more: the text's end.
QList<qsizetype> lineStarts(const QString& text)
{
    QList<qsizetype> starts{0};
    for (qsizetype i = text.indexOf(QLatin1Char('\n')); i >= 0; i = text.indexOf(QLatin1Char('\n'), i + 1))
        starts << i + 1;
    if (starts.last() != text.size())
        starts << text.size();
    return starts;
}

QStringView line(const QString& text, const QList<qsizetype>& starts, int i)
{
    return QStringView(text).mid(starts[i], starts[i + 1] - starts[i]);
}

// For every line of a, the line of b it is matched with (-1: none), by a longest common
// subsequence of whole lines.
QVector<int> matchLines(const QString& a, const QList<qsizetype>& as, const QString& b, const QList<qsizetype>& bs)
{
    const int n = int(as.size()) - 1, m = int(bs.size()) - 1;
    QVector<quint16> table(qsizetype(n + 1) * (m + 1), 0);
    const auto at = [&](int i, int j) -> quint16& { return table[qsizetype(i) * (m + 1) + j]; };
    for (int i = n - 1; i >= 0; --i)
        for (int j = m - 1; j >= 0; --j)
            at(i, j) = line(a, as, i) == line(b, bs, j) ? at(i + 1, j + 1) + 1 : qMax(at(i + 1, j), at(i, j + 1));
    QVector<int> match(n, -1);
    for (int i = 0, j = 0; i < n && j < m;) {
        if (line(a, as, i) == line(b, bs, j))
            match[i++] = j++;
        else if (at(i + 1, j) >= at(i, j + 1))
            ++i;
        else
            ++j;
    }
    return match;
}

// The place in the given text of a place in the engine's text, when its line was matched.
qsizetype mapPlace(qsizetype place, const QList<qsizetype>& from, const QList<qsizetype>& to, const QVector<int>& match)
{
    if (place == from.last())
        return to.last();
    const int i = int(std::upper_bound(from.begin(), from.end(), place) - from.begin()) - 1;
    if (i < 0 || i >= match.size() || match[i] < 0)
        return -1;
    return to[match[i]] + (place - from[i]);
}
}

namespace HtmlSplice {

QString splice(const QString& given, const QString& before, const QString& after)
{
    constexpr int MostLines = 4000; // beyond this the line table grows too large to be worth it
    qsizetype head = 0;
    while (head < before.size() && head < after.size() && before[head] == after[head])
        ++head;
    qsizetype tail = 0;
    while (tail < before.size() - head && tail < after.size() - head
           && before[before.size() - 1 - tail] == after[after.size() - 1 - tail])
        ++tail;
    const QList<qsizetype> from = lineStarts(before);
    const QList<qsizetype> to = lineStarts(given);
    if (from.size() > MostLines || to.size() > MostLines)
        return QString();
    const QVector<int> match = matchLines(before, from, given, to);
    const qsizetype start = mapPlace(head, from, to, match);
    const qsizetype end = mapPlace(before.size() - tail, from, to, match);
    if (start < 0 || end < start)
        return QString();
    return given.left(start) + after.mid(head, after.size() - tail - head) + given.mid(end);
}

}
