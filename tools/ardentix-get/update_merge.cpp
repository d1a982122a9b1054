#include "tools/ardentix-get/update_merge.h"

#include <algorithm>

namespace ardentix::cli {

UpdateMerge MergeUpdate(const std::vector<ExportLine>& file,
                        const std::vector<ExportLine>& downloaded, Period period) {
    UpdateMerge merge;
    const QDate newest = file.front().date;
    if (downloaded.back().date > newest) {
        return merge;
    }
    const QDate provisional = period == Period::Daily ? QDate() : newest;
    const QDate low = std::max(file.back().date, downloaded.back().date);
    const QDate high = std::min(newest, downloaded.front().date);
    const auto overlap = [&](const std::vector<ExportLine>& lines) {
        std::vector<const ExportLine*> within;
        for (const ExportLine& line : lines) {
            if (line.date >= low && line.date <= high && line.date != provisional) {
                within.push_back(&line);
            }
        }
        return within;
    };
    const std::vector<const ExportLine*> saved = overlap(file);
    const std::vector<const ExportLine*> fetched = overlap(downloaded);
    // Nothing compared is nothing proven: a split since the file was written would go unseen.
    if (saved.empty()) {
        merge.outcome = UpdateMerge::Differs;
        merge.differsOn = newest;
        return merge;
    }
    for (std::size_t i = 0; i < std::max(saved.size(), fetched.size()); ++i) {
        if (i == saved.size() || i == fetched.size() || saved[i]->bytes != fetched[i]->bytes) {
            merge.outcome = UpdateMerge::Differs;
            merge.differsOn = std::max(i < saved.size() ? saved[i]->date : QDate(),
                                       i < fetched.size() ? fetched[i]->date : QDate());
            return merge;
        }
    }
    merge.outcome = UpdateMerge::Joined;
    bool renewed = false;
    for (const ExportLine& line : downloaded) {
        if (line.date > newest || line.date == provisional) {
            merge.bytes += line.bytes;
            const bool renews = line.date == provisional;
            merge.newRows += renews && line.bytes == file.front().bytes ? 0 : 1;
            renewed = renewed || renews;
        }
    }
    for (const ExportLine& line : file) {
        if (!renewed || line.date != provisional) {
            merge.bytes += line.bytes;
        }
    }
    return merge;
}

}  // namespace ardentix::cli
