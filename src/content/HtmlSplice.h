#pragma once
#include <QString>

// Carries an edit of a parsed document back into the text it was parsed from. A web engine
// writes a document out in its own way (tbody in tables, white space about head and body moved),
// so the text it writes after an edit differs from the given text in more places than the edit.
// splice() finds the part of the engine's text that the edit changed (before -> after) and puts
// that part into the given text at the same place, lined up line by line; everything else
// stays as it was given. Empty when the changed part cannot be placed in the given text.
namespace HtmlSplice {
QString splice(const QString& given, const QString& before, const QString& after);
}
