#pragma once

class Connection;

// The schema's version and the steps that bring a database made by an earlier version of the
// program up to the newest. A database made by this program starts at currentVersion(); one
// without a version (kaVersion) is version 1, the fourteen tables of the first release.
//
// Each version's step takes a database from the version before it. What it adds comes from the
// schema: the tables and columns marked with that version (a new module's table is marked in
// its catalogue entry), and, where rows must be filled too, a fill function in
// SchemaUpgrade.cpp. The newest mark is the current version. run() applies every step a
// database lacks, and records the new version, in one transaction: a failure leaves the
// database exactly as it was.
namespace SchemaUpgrade {

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
