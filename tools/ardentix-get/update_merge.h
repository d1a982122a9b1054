#pragma once

#include <QByteArray>
#include <QDate>
#include <vector>

#include "export/export_reader.h"
#include "parse/period.h"

namespace ardentix::cli {

// What --update makes of a saved file's lines and the lines downloaded for it (both newest
// first, neither empty).
struct UpdateMerge {
    enum Outcome {
        Joined,   // bytes: the downloaded lines newer than the file's, then the file's lines
        Differs,  // a line both cover differs (differsOn), or one of them lacks it
        Gap,      // the download ends after the file's newest line: nothing to join on
    };
    Outcome outcome = Gap;
    QByteArray bytes;
    int newRows = 0;  // the lines of bytes that the file did not hold
    QDate differsOn;
};

// The lines dated within both spans must be the same bytes. A weekly or monthly file's newest
// bar may have been written before its week or month was over, so it is not compared: the
// downloaded bar of its date replaces it. The file's lines are all kept, so the joined file
// may hold more than 500 rows.
UpdateMerge MergeUpdate(const std::vector<ExportLine>& file,
                        const std::vector<ExportLine>& downloaded, Period period);

}  // namespace ardentix::cli
