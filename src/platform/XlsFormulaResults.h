#pragma once
#include <QHash>
#include <QString>
#include <QVariant>

// The results a legacy .xls workbook stores with its formula cells (the values the program
// that wrote it last computed), which FreeXL leaves out. Read from the workbook stream of the
// compound document: FORMULA records, and the STRING record after a formula with a text result.
namespace XlsFormulaResults {

inline quint64 cellKey(int row, int column) { return (quint64(quint32(row)) << 16) | quint16(column); }

// Result by cellKey(row, column) for the sheet of that name (numbers as doubles, texts as
// strings); empty when the file holds none or cannot be read this way.
QHash<quint64, QVariant> read(const QString& path, const QString& sheetName);

}
