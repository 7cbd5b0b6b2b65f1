#pragma once
#include <QString>
#include <QVector>

class Connection;

// The schema's version and the steps that bring a database made by an earlier version of the
// program up to the newest. A database made by this program starts at currentVersion(); one
// without a version (kaVersion) is version 1, the fourteen tables of the first release.
//
// Each step takes a database from the version before it to its own version, and only names
// what it adds (a new step goes at the end of the table in SchemaUpgrade.cpp). run() applies
// every step a database lacks, and records the new version, in one transaction: a failure
// leaves the database exactly as it was.
namespace SchemaUpgrade {

struct Step {
    int version;         // the version the step makes
    const char* summary; // what it adds, for the error listing and the tests
    void (*apply)(Connection& connection);
};

const QVector<Step>& steps();
int currentVersion();

// The version the open database holds.
int storedVersion(Connection& connection);

// Upgrades the open database to currentVersion() and returns the version it found (equal to
// currentVersion() when there was nothing to do). Throws AppError, with the database
// unchanged, when a step fails or the database is newer than the program.
int run(Connection& connection);

// run() for the program's start: a failure is written to the error listing and shown in one
// message (the database is unchanged); returns false then.
bool runAtStartUp(Connection& connection);
}
