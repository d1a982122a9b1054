#include "tools/ardentix-get/update_merge.h"

#include <algorithm>
#include <cmath>

namespace ardentix::cli {
namespace {

QByteArrayView DateField(const ExportLine& line) {
    return QByteArrayView(line.bytes).first(std::max<qsizetype>(line.bytes.indexOf(','), 0));
}

// The line with its prices restated by the factor, halves to even; the date as written.
ExportLine Restated(const ExportLine& line, double factor) {
    if (factor == 1) {
        return line;
    }
    ExportLine restated = line;
    restated.bytes = DateField(line).toByteArray();
    for (int i = 0; i < 5; ++i) {
        if (i < 4) {
            // Kept within what a double holds exactly: beyond, no downloaded price agrees.
            restated.figures[i] = qint64(
                std::clamp(std::nearbyint(double(line.figures[i]) * factor), -0x1p53, 0x1p53));
        }
        restated.bytes += ',' + QByteArray::number(restated.figures[i]);
    }
    restated.bytes += "\r\n";
    return restated;
}

bool Agrees(const ExportLine& restated, const ExportLine& downloaded, double factor) {
    if (factor == 1) {
        return restated.bytes == downloaded.bytes;
    }
    for (int i = 0; i < 4; ++i) {
        if (std::abs(restated.figures[i] - downloaded.figures[i]) > 1) {
            return false;
        }
    }
    return restated.figures[4] == downloaded.figures[4] &&
           DateField(restated) == DateField(downloaded);
}

}  // namespace

double SplitFactorOf(qint32 adjClose, qint32 close) {
    const double low = (adjClose - 0.5) / close;
    const double high = (adjClose + 0.5) / close;
    // Walk down the Stern-Brocot tree from 1/1: the first fraction within [low, high] has the
    // smallest denominator there.
    qint64 leftP = 0, leftQ = 1, rightP = 1, rightQ = 0;
    for (int step = 0; step < 100000; ++step) {
        const qint64 p = leftP + rightP;
        const qint64 q = leftQ + rightQ;
        const double mediant = double(p) / double(q);
        if (mediant < low) {
            leftP = p;
            leftQ = q;
        } else if (mediant > high) {
            rightP = p;
            rightQ = q;
        } else {
            return mediant;
        }
    }
    return double(adjClose) / close;
}

UpdateMerge MergeUpdate(const std::vector<ExportLine>& file,
                        const std::vector<ExportLine>& downloaded, double factor) {
    UpdateMerge merge;
    const QDate newest = file.front().date;
    if (downloaded.back().date > newest) {
        return merge;
    }
    const QDate low = std::max(file.back().date, downloaded.back().date);
    // A download that ends before the file's newest line (an earlier end date) can only confirm
    // the lines both hold, as they stand.
    const QDate high = std::min(newest, downloaded.front().date);
    const bool older = high < newest;
    const double compared = older ? 1 : factor;
    // The newest line is compared only when the file holds older lines, none of them within
    // the download: a file of one line is only its provisional newest, which the service's
    // line of that date replaces.
    const bool withNewest = !older && file.size() > 1 && file[1].date < low;
    const QDate last = older ? high : withNewest ? newest : QDate();
    const auto within = [&](const std::vector<ExportLine>& lines) {
        std::vector<const ExportLine*> found;
        for (const ExportLine& line : lines) {
            if (line.date >= low && (line.date < high || line.date == last)) {
                found.push_back(&line);
            }
        }
        return found;
    };
    const std::vector<const ExportLine*> saved = within(file);
    const std::vector<const ExportLine*> fetched = within(downloaded);
    const bool holdsNewest =
        older || std::any_of(downloaded.begin(), downloaded.end(),
                             [&](const ExportLine& line) { return line.date == newest; });
    merge.outcome = UpdateMerge::Differs;
    if (!holdsNewest) {
        merge.differsOn = newest;
        return merge;
    }
    for (std::size_t i = 0; i < std::max(saved.size(), fetched.size()); ++i) {
        if (i == saved.size() || i == fetched.size() || saved[i]->date != fetched[i]->date ||
            !Agrees(Restated(*saved[i], compared), *fetched[i], compared)) {
            merge.differsOn = std::max(i < saved.size() ? saved[i]->date : QDate(),
                                       i < fetched.size() ? fetched[i]->date : QDate());
            return merge;
        }
    }
    merge.outcome = UpdateMerge::Joined;
    if (older) {
        for (const ExportLine& line : file) {
            merge.bytes += line.bytes;
        }
        return merge;
    }
    for (const ExportLine& line : downloaded) {
        if (line.date >= low) {
            merge.bytes += line.bytes;
            const bool renews =
                line.date == newest && !Agrees(Restated(file.front(), factor), line, factor);
            merge.newRows += line.date > newest || renews ? 1 : 0;
        }
    }
    for (const ExportLine& line : file) {
        if (line.date < low) {
            merge.bytes += Restated(line, factor).bytes;
            merge.restatedRows += factor == 1 ? 0 : 1;
        }
    }
    return merge;
}

}  // namespace ardentix::cli
