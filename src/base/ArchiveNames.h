#pragma once
#include <QDate>
#include <QString>

// The names of the database's companion files, built from DataFolder and DatabaseFile of the
// program state (both must be set). With "Korvina.Kys" these are Korvina.Ldb, Korvina.Cpt and,
// for 4 March 2024, Arch/Ko240304.Kys.
namespace ArchiveNames {
QString databasePath();                 // DataFolder + "/" + DatabaseFile
QString lockFilePath();                 // DataFolder + "/" + base name + ".Ldb"
QString compactedPath();                // DataFolder + "/" + base name + ".Cpt"
QString archiveFolder();                // DataFolder + "/Arch"
// The archive copy named for `day`: first two characters of DatabaseFile + "yyMMdd" + ".Kys".
QString archivePath(const QDate& day);
// The archive of a database on the server for `day`: the same name ending in ".dump"
// (written by pg_dump in its custom format).
QString serverArchivePath(const QDate& day);
}
