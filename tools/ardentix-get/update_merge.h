#pragma once

#include <QByteArray>
#include <QDate>
#include <vector>

#include "export/export_reader.h"

namespace ardentix::cli {

// What --update makes of a saved file's lines and the lines downloaded for it (both newest
// first, neither empty, in the same date form and under the same scales).
struct UpdateMerge {
    enum Outcome {
        Joined,   // bytes: the downloaded lines back to the file's oldest, then its older lines
        Differs,  // a line both cover differs (differsOn), or one of them lacks it
        Gap,      // the download ends after the file's newest line: nothing to join on
    };
    Outcome outcome = Gap;
    QByteArray bytes;
    int newRows = 0;       // the lines of bytes dated after the file's newest, or renewing it
    int restatedRows = 0;  // the file's lines older than the download, restated by the factor
    QDate differsOn;
};

// The factor of every split after a bar whose page gave this close and adjusted close. The
// adjusted close is rounded to whole yen, so the factor is only known to within half a yen of
// it: of the ratios in that reach, the simplest fraction is taken (1318 / 2635 is a split of
// 1:2, 0.5, not 0.50019), since splits are ratios of small numbers.
double SplitFactorOf(qint32 adjClose, qint32 close);

// factor is the restatement of every split since the file's newest line (the service's
// adjusted close over its close on that date; 1 when there was none). The file's lines are
// restated by it (prices half to even, volumes as they are) and must then agree with the
// downloaded lines of the same dates: exactly with factor 1, else within one unit of each
// price, since every downloaded line was restated by its own adjusted close rounded to whole
// yen. The file's newest line may have been written before its day, week or month was over:
// it is compared only when older lines exist and none can be, and the downloaded line
// replaces it.
UpdateMerge MergeUpdate(const std::vector<ExportLine>& file,
                        const std::vector<ExportLine>& downloaded, double factor);

}  // namespace ardentix::cli
