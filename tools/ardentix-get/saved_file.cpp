#include "tools/ardentix-get/saved_file.h"

#include <array>

namespace ardentix::cli {

SavedFile ReadSavedFile(QByteArrayView bytes, std::optional<Period> given, QDate endDate) {
    std::array<SavedFile, 3> reads;
    for (const Period period : {Period::Daily, Period::Weekly, Period::Monthly}) {
        reads[int(period)] = {ReadExportBytes(bytes, period, endDate), period};
    }
    const auto& [daily, weekly, monthly] = reads;
    if (daily.read.ok && daily.read.lines.empty()) {
        return {daily.read, given.value_or(Period::Daily)};
    }
    if (monthly.read.ok) {
        return monthly;
    }
    if (weekly.read.ok && (weekly.read.lines.size() > 1 || given == Period::Weekly)) {
        return weekly;
    }
    return given && !daily.read.ok ? reads[int(*given)] : daily;
}

}  // namespace ardentix::cli
