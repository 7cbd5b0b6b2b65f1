#include "shell/Maintenance.h"

#include "platform/AppError.h"
#include "base/ProgramState.h"
#include "platform/Connection.h"
#include "platform/LockFile.h"
#include "base/Messages.h"
#include "base/OffThread.h"
#include "shell/ArchiveNames.h"
#include "base/Program.h"
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
}

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
    try {
        step(QStringLiteral("Verify..."));
        showProgress();
        if (!state().DatabaseUrl.isEmpty())
            archiveOnServer();
        else if (!QFileInfo::exists(ArchiveNames::archivePath(state().clock.today().addDays(-1))))
            maintainFile();
        step(QStringLiteral("Loading.."));
        showProgress(4);
        return true;
    } catch (...) {
        m_lock.release();
        // Whatever failed, another copy of the program is the likely cause; nothing is undone.
        Messages::current().notice(QStringLiteral("Application In-Use, Try Later!"));
        return false;
    }
}

void Maintenance::archiveOnServer()
{
    // The server looks after its own files; another copy busy with the archive is no reason
    // to refuse the start, and a failed archive is reported like any other error.
    const QString archive = ArchiveNames::serverArchivePath(state().clock.today().addDays(-1));
    try {
        if (ServerArchive::run(state().DatabaseUrl, archive) == ServerArchive::Outcome::Written) {
            step(QStringLiteral("Archive.."));
            showProgress();
        }
    } catch (const AppError& e) {
        LogError(e);
    }
}

void Maintenance::maintainFile()
{
    const QString database = ArchiveNames::databasePath();
    const QString lock = ArchiveNames::lockFilePath();
    const QString compacted = ArchiveNames::compactedPath();

    step(QStringLiteral("Checks..."));
    if (QFileInfo::exists(lock) && LockFile::isHeldByAnother(lock))
        fail(QStringLiteral("The database is open in another copy of the program"));
    // From here to the end the database is ours alone: a copy that starts meanwhile is
    // refused, and none can write into the file that the compaction replaces. A lock file left
    // by a copy that died is taken over.
    m_lock.acquireExclusive(lock);
    showProgress();

    step(QStringLiteral("Repair..."));
    if (QFileInfo::exists(compacted)) {
        if (!QFileInfo::exists(database)) {
            // A compaction stopped after deleting the database: the copy holds everything, and
            // the old file's log must not be replayed into it.
            removeCompanions(database);
            moveFile(compacted, database);
        } else {
            // A compaction stopped before the swap: the database is whole and the copy is not
            // needed (nobody else is compacting, the lock is ours).
            removeFile(compacted);
        }
    }
    showProgress();

    step(QStringLiteral("Compact.."));
    clearAttributes(database);
    // Refused when the copy already exists or another copy of the program holds the file.
    // A big file takes seconds: the splash screen stays live and shows the step meanwhile.
    const QString source = sourceConnectionString(), destination = destinationConnectionString();
    RunOffThread([&] { Connection::compactDatabase(source, destination, &m_lock); });
    removeFile(database);
    removeCompanions(database);
    moveFile(compacted, database);
    showProgress();

    step(QStringLiteral("Archive.."));
    const QString folder = ArchiveNames::archiveFolder();
    if (!QFileInfo(folder).isDir() && !QDir().mkpath(folder))
        fail(QStringLiteral("Cannot create %1").arg(folder));
    const QString archive = ArchiveNames::archivePath(state().clock.today().addDays(-1));
    bool copied = false;
    RunOffThread([&] { copied = QFile::copy(database, archive); });
    if (!copied)
        fail(QStringLiteral("Cannot copy %1 to %2").arg(database, archive));
    m_lock.release();
    showProgress();
}
