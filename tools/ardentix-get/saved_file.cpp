#include "tools/ardentix-get/saved_file.h"

namespace ardentix::cli {

SavedFile ReadSavedFile(QByteArrayView bytes, std::optional<Period> given, QDate endDate) {
    const auto read = [&](Period period) {
        return SavedFile{ReadExportBytes(bytes, period, endDate), period};
    };
    SavedFile daily = read(Period::Daily);
    if (daily.read.ok && daily.read.lines.empty()) {
        daily.period = given.value_or(Period::Daily);
        return daily;
    }
    if (SavedFile monthly = read(Period::Monthly); monthly.read.ok) {
        return monthly;
    }
    if (SavedFile weekly = read(Period::Weekly);
        weekly.read.ok && (weekly.read.lines.size() > 1 || given == Period::Weekly)) {
        return weekly;
    }
    return given && !daily.read.ok ? read(*given) : daily;
}

}  // namespace ardentix::cli
