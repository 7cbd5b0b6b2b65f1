#pragma once
#include <QString>

// The SQL literal of a value typed for a customer column, by the column's type code:
// numbers with decimal commas turned into points, dates as #MM/DD/YYYY#, texts quoted
// (with a trailing % for "Like"). ok is false when a number or date is not one.
QString CriterionLiteral(int fieldType, const QString& op, const QString& value, bool* ok);
