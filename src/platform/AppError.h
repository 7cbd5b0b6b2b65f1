#pragma once
#include <QString>
#include <stdexcept>

// An error raised by the program or by one of its providers. It carries what the
// error listing records: a number, the source that raised it and a description.
class AppError : public std::runtime_error {
public:
    AppError(int number, QString source, QString description)
        : std::runtime_error(description.toStdString()),
          m_number(number), m_source(std::move(source)), m_description(std::move(description)) {}

    int number() const { return m_number; }
    const QString& source() const { return m_source; }
    const QString& description() const { return m_description; }

private:
    int m_number;
    QString m_source;
    QString m_description;
};

// Error numbers used by the database provider (kept close to the classic engine's).
namespace DbErrors {
constexpr int NoCurrentRecord = 3021;      // BOF or EOF is true, or the row was deleted
constexpr int ReadOnly = 3251;             // the record set does not allow the operation
constexpr int SyntaxError = 3075;          // the statement is not valid
constexpr int ExtraStatement = 3142;       // characters found after the end of the statement
constexpr int TypeMismatch = 3464;         // a value cannot be converted to the column type
constexpr int BadCriteria = 3001;          // Find criteria not understood
constexpr int NotOpen = 3704;              // operation on a closed object
constexpr int CannotOpen = 3044;           // database file cannot be opened / wrong password
constexpr int FileExists = 3204;           // compaction destination exists
constexpr int InUse = 3356;                // database held by another copy
constexpr int General = 3000;
constexpr int AlreadyOpen = 3705;          // operation not allowed while the object is open
constexpr int ItemNotFound = 3265;         // no field of that name or position
constexpr int FieldTooSmall = 3163;        // a text longer than the column's defined size
constexpr int ChangedByAnother = 3197;     // another user changed the row since it was read
constexpr int DeletedByAnother = 3167;     // another user deleted the row since it was read
constexpr int DiskFull = 3026;             // no space left on the disk
constexpr int Damaged = 3343;              // the database file is damaged or not a database
constexpr int NoPermission = 3051;         // a file or folder cannot be written (read-only, no rights)
constexpr int Unreachable = 3151;          // the database server cannot be reached
constexpr int TimedOut = 3146;             // a helper program did not finish in time
constexpr int NoReadPermission = 3112;     // a criterion reached beyond the tables of its screen
}
