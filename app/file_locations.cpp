#include "app/file_locations.h"

#include <QFileInfo>
#include <QStandardPaths>

#include "app/settings_file.h"

namespace ardentix {
namespace {

// Compared through symbolic links: /bin and /usr/bin are one folder on a merged-/usr system.
bool SameDirectory(const QString& a, const QString& b) {
    const QString canonical = QFileInfo(a).canonicalFilePath();
    return !canonical.isEmpty() && canonical == QFileInfo(b).canonicalFilePath();
}

}  // namespace

bool IsWritableDirectory(const QString& directory) {
    const QFileInfo info(directory);
    return info.isDir() && info.isWritable();
}

FileLocations LocateFiles(const QString& programDirectory, const QString& installedBinDirectory,
                          const std::function<bool(const QString&)>& isWritable) {
    const bool installed = SameDirectory(programDirectory, installedBinDirectory);
    if (!installed &&
        (isWritable(programDirectory) || QFileInfo::exists(zidodu::IniPath(programDirectory)))) {
        return {programDirectory, programDirectory};
    }
    return {QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation),
            QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)};
}

}  // namespace ardentix
