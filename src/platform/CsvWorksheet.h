#pragma once
#include "platform/WorksheetRows.h"

#include <QString>

// A .csv file read as the one sheet of a workbook (RFC 4180: fields quoted with '"', lines
// ending in CR LF or LF). Every field is text, as the file holds it: "01234" keeps its zero
// and "+4917012345678" its plus; an empty field is an empty cell. The separator is the one
// of ",", ";" or tab that the first line uses most. The text is UTF-8 when it has a UTF-8
// byte-order mark or is valid UTF-8, UTF-16 with its byte-order mark, else Windows-1252 (a
// spreadsheet's "CSV" on Windows).
class CsvWorksheet : public WorksheetRows {
public:
    // Throws AppError (WorkbookErrors::InvalidFile) when the file cannot be read, or declares
    // UTF-8 and is not.
    explicit CsvWorksheet(const QString& path);

    bool next(WorksheetRow& row) override;

    // The text of bytes as the reader decodes them; empty and *ok false for bytes that
    // declare UTF-8 by their mark and are not.
    static QString decode(const QByteArray& bytes, bool* ok = nullptr);
    // The separator the first line of a text uses most.
    static QChar separator(const QString& text);

private:
    QString m_text;
    QChar m_separator;
    qsizetype m_at = 0;
    int m_line = 0;
};
