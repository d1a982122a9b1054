#pragma once

#include <QString>
#include <functional>

namespace ardentix {

struct FileLocations {
    QString settingsDirectory;  // holds mervo.ini
    QString exportDirectory;    // where the save button proposes its file
};

// True when the folder exists and this user may create files in it.
bool IsWritableDirectory(const QString& directory);

// Where the program keeps its settings and proposes its exports. An installed copy, whose
// executable lies in installedBinDirectory (the folder the build installs programs to),
// keeps mervo.ini in the user's configuration folder for the application and proposes
// exports in the user's documents folder, whoever runs it, and ignores a mervo.ini beside
// it. Any other copy run from a folder the user can write (the build folder, an unpacked
// archive), or from one that already holds mervo.ini, keeps both beside the executable; one
// in a folder it can neither write nor holding mervo.ini uses the per-user folders. Neither
// folder is created here.
FileLocations LocateFiles(
    const QString& programDirectory, const QString& installedBinDirectory,
    const std::function<bool(const QString&)>& isWritable = IsWritableDirectory);

}  // namespace ardentix
