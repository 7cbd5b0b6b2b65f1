#pragma once
#include <QString>
#include <QStringList>
#include <optional>

// The conditions a user types into the inquiry, the selection of recipients and the data
// utilities: a column, an operator and a value, written the way the statements expect them.
namespace CriterionText {

// The operators a condition offers, "Like" first.
QStringList operators();

// A number as the criteria and the replace accept it: decimal commas made points. Empty when
// the text is no number.
std::optional<QString> numberText(const QString& text);

// The literal of a value typed for a column of this type: numbers as numberText gives them,
// dates as #MM/DD/YYYY#, texts between single quotes with "%" before the closing one for
// "Like". Quotes inside a text are left as typed. Empty when the value is not a number for a
// number column or not a date for a date column.
std::optional<QString> literal(int fieldType, const QString& op, const QString& value);

// "column op literal", with one blank after a text literal; "1=1" when the value is blank.
std::optional<QString> condition(const QString& column, const QString& op, const QString& value, int fieldType);

}
