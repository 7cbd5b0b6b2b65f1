#pragma once
#include <QString>

// Where an installed or portable Korvina keeps its data and finds the files a new DataFolder
// receives.
class InstallPaths {
public:
    // The DataFolder: `chosen` (the --data option) when given; otherwise the program's own
    // folder when it holds Korvina.Kys (a portable copy); otherwise the user's data folder.
    static QString dataFolder(const QString& chosen, const QString& programFolder);

    // $XDG_DATA_HOME/Korvina, usually ~/.local/share/Korvina.
    static QString userDataFolder();

    // The folder whose Bin/ and Docs/ a new DataFolder receives: share/korvina beside the
    // program's bin/ when installed, the source tree's resources when run from the build tree,
    // and "" when neither is there.
    static QString resourceFolder(const QString& programFolder);
};
