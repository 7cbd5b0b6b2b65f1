#pragma once
#include <QString>
#include <functional>

class QFileDevice;

// Archive copies are private to the user: the folder 0700, each file 0600. A copy is written
// under a temporary name, synced to the disk, checked and only then renamed into place, so that
// an archive that is there is whole; a failed one leaves nothing behind.
namespace ArchiveFiles {
// Creates the folder when needed and makes it private; throws AppError.
void makePrivateFolder(const QString& folder);

// Writes `path`: `fill` writes the content into the open temporary file, `check` reads the
// temporary file back (its path given) and throws when it is not right. Throws AppError
// (DbErrors::DiskFull when the disk is full) and removes the temporary file on any failure.
void write(const QString& path, const std::function<void(QFileDevice&)>& fill,
           const std::function<void(const QString&)>& check);

// Copies a file into `path` that way; the copy is checked byte for byte against the source.
void copy(const QString& source, const QString& path);
}
