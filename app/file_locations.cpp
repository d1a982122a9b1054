#include "app/file_locations.h"

#include <QFileInfo>
#include <QStandardPaths>

#include "app/settings_file.h"

namespace ardentix {

bool IsWritableDirectory(const QString& directory) {
    const QFileInfo info(directory);
    return info.isDir() && info.isWritable();
}

FileLocations LocateFiles(const QString& programDirectory,
                          const std::function<bool(const QString&)>& isWritable) {
    if (isWritable(programDirectory) || QFileInfo::exists(zidodu::IniPath(programDirectory))) {
        return {programDirectory, programDirectory};
    }
    return {QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation),
            QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)};
}

}  // namespace ardentix
