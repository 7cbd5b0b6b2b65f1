#pragma once
#include <QString>
#include <optional>

// The one-condition clause of the table browser: column, operator and typed value, as the
// statements of the data utilities append it after " Where ".
namespace CriteriaClause {

// "1=1" when the value is blank. Numbers go in as typed with decimal commas made points, dates
// as #MM/DD/YYYY#, texts between single quotes (with "%" after the value for Like, and one
// blank after the closing quote). Quotes inside a text are left as they are. Empty when the
// value is not a number for a number column or not a date for a date column.
std::optional<QString> build(const QString& column, const QString& op, const QString& value, int type);

// A number as the criteria and the replace accept it: decimal commas made points.
std::optional<QString> numberText(const QString& text);

}
