#include "shell/Maintenance.h"

#include "platform/AppError.h"
#include "base/ProgramState.h"
#include "platform/Connection.h"
#include "platform/LockFile.h"
#include "base/Messages.h"
#include "base/OffThread.h"
#include "base/ArchiveNames.h"
#include "base/Program.h"
#include "shell/ArchiveFiles.h"
#include "shell/FailureText.h"
#include "shell/ServerArchive.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {
const QString kSource = QStringLiteral("Start-up maintenance");

[[noreturn]] void fail(const QString& what)
{
    throw AppError(DbErrors::InUse, kSource, what);
}

// Clears the read-only attribute so that the file can be deleted or replaced.
void clearAttributes(const QString& path)
{
    QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::WriteOwner | QFileDevice::ReadOwner);
}

void removeFile(const QString& path)
{
    if (!QFileInfo::exists(path))
        return;
    clearAttributes(path);
    if (!QFile::remove(path))
        fail(QStringLiteral("Cannot delete %1").arg(path));
}

void moveFile(const QString& from, const QString& to)
{
    if (!QFile::rename(from, to))
        fail(QStringLiteral("Cannot move %1 to %2").arg(from, to));
}

// The engine's companions of a database file: its write-ahead log and the log's index.
// They belong to that one file; once the file is gone (its content is in the compacted copy)
// they must go too, or they would be replayed into the file that takes its place.
void removeCompanions(const QString& database)
{
    removeFile(database + QStringLiteral("-wal"));
    removeFile(database + QStringLiteral("-shm"));
}

QString connectionPrefix(const QString& file)
{
    return QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=") + file;
}

const QString kInUse = QStringLiteral("Application In-Use, Try Later!");

QString archiveFailed(const AppError& e)
{
    return QStringLiteral("The day's archive copy could not be written: %1. The start goes on without it.")
        .arg(FailureText::causeOf(e));
}
}

// A failure that the maintenance reports in its own words; `endsStart` when the program cannot
// go on (the database is in use, damaged or not in place).
struct Maintenance::Stopped {
    AppError error;
    QString message;
    bool endsStart;
};

QString Maintenance::sourceConnectionString()
{
    return connectionPrefix(ArchiveNames::databasePath())
           + QStringLiteral(";Persist Security Info=False;Jet OLEDB:Database Password=") + state().databasePassword();
}

QString Maintenance::destinationConnectionString()
{
    return connectionPrefix(ArchiveNames::compactedPath())
           + QStringLiteral(";Jet OLEDB:Engine Type=5;Jet OLEDB:Database Password=") + state().databasePassword();
}

void Maintenance::step(const QString& name)
{
    if (m_progress.step)
        m_progress.step(name);
}

void Maintenance::showProgress(int pauses)
{
    for (int i = 0; i < pauses; ++i) {
        EventPause();
        if (m_progress.dot)
            m_progress.dot();
    }
}

bool Maintenance::run(const Progress& progress)
{
    m_progress = progress;
    step(QStringLiteral("Verify..."));
    showProgress();
    try {
        if (!state().DatabaseUrl.isEmpty())
            archiveOnServer();
        else if (!QFileInfo::exists(ArchiveNames::archivePath(state().clock.today().addDays(-1))))
            maintainFile();
    } catch (const Stopped& caught) {
        m_lock.release();
        const Stopped stopped = caught.endsStart ? caught : unlessUnopenable(caught);
        RecordError(stopped.error);
        Messages::current().notice(stopped.message);
        if (stopped.endsStart)
            return false;
    } catch (const std::exception& e) {
        m_lock.release();
        const AppError error(DbErrors::General, QStringLiteral("Start-up maintenance"), QString::fromLocal8Bit(e.what()));
        RecordError(error);
        Messages::current().notice(QStringLiteral("The start-up maintenance failed: %1").arg(error.description()));
        return false;
    }
    step(QStringLiteral("Loading.."));
    showProgress(4);
    return true;
}

Maintenance::Stopped Maintenance::unlessUnopenable(const Stopped& stopped)
{
    // A failure the start would go on after is told only when the database still opens: a data
    // folder full from the very start fails both, and then the open's message names the cause.
    try {
        Connection& connection = *state().connection;
        connection.open();
        connection.close();
    } catch (const AppError& e) {
        return {e, FailureText::openFailed(e), true};
    }
    return stopped;
}

void Maintenance::archiveOnServer()
{
    // The server looks after its own files; another copy busy with the archive is no reason
    // to refuse the start, and neither is an archive that could not be written.
    const QString archive = ArchiveNames::serverArchivePath(state().clock.today().addDays(-1));
    bool shown = false;
    const auto tick = [&] {
        if (!shown)
            step(QStringLiteral("Archive.."));
        shown = true;
        showProgress(1);
    };
    try {
        if (ServerArchive::run(state().DatabaseUrl, archive, tick) == ServerArchive::Outcome::Written && !shown) {
            step(QStringLiteral("Archive.."));
            showProgress();
        }
    } catch (const AppError& e) {
        // A server that cannot be reached, or refuses us, is no archive failure: the start ends.
        if (e.number() == DbErrors::Unreachable || e.number() == DbErrors::CannotOpen)
            throw Stopped{e, FailureText::openFailed(e), true};
        throw Stopped{e, archiveFailed(e), false};
    }
}

void Maintenance::maintainFile()
{
    const QString database = ArchiveNames::databasePath();
    const QString lock = ArchiveNames::lockFilePath();
    const QString compacted = ArchiveNames::compactedPath();

    step(QStringLiteral("Checks..."));
    try {
        if (QFileInfo::exists(lock) && LockFile::isHeldByAnother(lock))
            fail(QStringLiteral("The database is open in another copy of the program"));
        // From here to the end the database is ours alone: a copy that starts meanwhile is
        // refused, and none can write into the file that the compaction replaces. A lock file
        // left by a copy that died is taken over.
        m_lock.acquireExclusive(lock);
    } catch (const AppError& e) {
        throw Stopped{e, FailureText::openFailed(e), true};
    }
    showProgress();

    step(QStringLiteral("Repair..."));
    try {
        if (QFileInfo::exists(compacted)) {
            if (!QFileInfo::exists(database)) {
                // A compaction stopped after deleting the database: the copy holds everything,
                // and the old file's log must not be replayed into it.
                removeCompanions(database);
                moveFile(compacted, database);
            } else {
                // A compaction stopped before the swap: the database is whole and the copy is
                // not needed (nobody else is compacting, the lock is ours).
                removeFile(compacted);
            }
        }
    } catch (const AppError& e) {
        throw Stopped{e, QStringLiteral("The database could not be put back from %1: %2.").arg(compacted, FailureText::causeOf(e)),
                      true};
    }
    showProgress();

    compact(database, compacted);
    showProgress();

    step(QStringLiteral("Archive.."));
    const QString archive = ArchiveNames::archivePath(state().clock.today().addDays(-1));
    try {
        ArchiveFiles::makePrivateFolder(ArchiveNames::archiveFolder());
        RunOffThread([&] { ArchiveFiles::copy(database, archive); });
    } catch (const AppError& e) {
        throw Stopped{e, archiveFailed(e), false};
    }
    m_lock.release();
    showProgress();
}

void Maintenance::compact(const QString& database, const QString& compacted)
{
    step(QStringLiteral("Compact.."));
    try {
        clearAttributes(database);
        // Refused when the copy already exists or another copy of the program holds the file.
        // A big file takes seconds: the splash screen stays live and shows the step meanwhile.
        const QString source = sourceConnectionString(), destination = destinationConnectionString();
        RunOffThread([&] { Connection::compactDatabase(source, destination, &m_lock); });
    } catch (const AppError& e) {
        QFile::remove(compacted);
        if (e.number() == DbErrors::InUse)
            throw Stopped{e, kInUse, true};
        if (e.number() == DbErrors::Damaged)
            throw Stopped{e, FailureText::openFailed(e), true};
        // The database is as it was: the start goes on with it.
        throw Stopped{e, QStringLiteral("The daily compaction failed: %1. The database was left as it was.").arg(FailureText::causeOf(e)),
                      false};
    }
    try {
        removeFile(database);
        removeCompanions(database);
        moveFile(compacted, database);
    } catch (const AppError& e) {
        throw Stopped{e, QStringLiteral("The compacted database could not take its place: %1. The next start puts it back.")
                             .arg(FailureText::causeOf(e)),
                      true};
    }
}
