#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <array>

namespace ardentix {

// One price bar.
struct QuoteRow {
    QString ymd;  // "yymmdd", monthly "yymm00", or empty
    qint32 open = 0;
    qint32 high = 0;
    qint32 low = 0;
    qint32 close = 0;
    double volume = 0;  // always a whole number
    qint32 adjClose = 0;
    // The close as the page wrote it, before restatement: adjClose / pageClose is the factor
    // of every split after this bar.
    qint32 pageClose = 0;

    bool operator==(const QuoteRow&) const = default;
};

inline constexpr int kQuoteSlots = 801;
inline constexpr int kMaxRows = 500;

// The rows of one download: rawRows as parsed, shownRows scaled for the list and the export.
struct QuoteTable {
    std::array<QuoteRow, kQuoteSlots> rawRows;
    std::array<QuoteRow, kQuoteSlots> shownRows;
    int rowCount = 0;

    // Empties every slot of both arrays and sets rowCount to 0.
    void Clear();
};

// What the page fetch leaves for the parser, and what the parser leaves for the run.
struct PagingState {
    bool hasNextPage = false;
    QByteArray pageBytes;
    int pageLastIndex = 0;
    QString pageText;

    void Clear();
};

}  // namespace ardentix
