#pragma once

#include <QByteArrayView>
#include <QDate>
#include <optional>

#include "export/export_reader.h"
#include "parse/period.h"

namespace ardentix::cli {

// A saved export file, read in the shape its lines have: monthly dates carry day "00", weekly
// ones are all Fridays (a single Friday could be either: then the given period, else daily),
// daily ones neither.
struct SavedFile {
    ExportReadResult read;  // with read.ok false: read.error tells why no period reads it
    Period period = Period::Daily;
};

SavedFile ReadSavedFile(QByteArrayView bytes, std::optional<Period> given, QDate endDate);

}  // namespace ardentix::cli
