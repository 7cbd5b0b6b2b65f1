#pragma once
#include <QString>

class Connection;

// Creating an installation: the DataFolder layout, the installed files and a new database.
namespace DatabaseCreator {
// Creates Bin/, Docs/ and Arch/ under folder, installs the report layouts, the help manual and
// the lead templates, and creates Korvina.Kys with the required rows (and demo content when
// demo is true). Refuses, with AppError, when the folder already holds a database: it is
// never overwritten. Expects InitProgramState to have run for this folder.
void createInstallation(const QString& folder, bool demo);
}

// Realistic demo content for a new installation (customers, types, content, campaigns).
namespace DemoData {
void fill(Connection& connection);
}
