#pragma once
#include <QString>

// The plain-text form of an HTML letter, for the text/plain part that goes beside it: one
// paragraph per block with a blank line between, list items as "- " or "1. " lines, links
// kept as "text (URL)", pictures as their alternative text, head, styles and scripts left out.
namespace HtmlText {
QString toPlain(const QString& html);
}
