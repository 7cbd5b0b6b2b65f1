#pragma once
#include <QStringList>

// The report layouts an installation carries in its Bin folder.
namespace LayoutFiles {
// Copies each layout the program carries that binFolder lacks; never overwrites one.
// Returns the names of the files it wrote.
QStringList installMissing(const QString& binFolder);
}
