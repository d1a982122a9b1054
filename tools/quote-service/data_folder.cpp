#include "tools/quote-service/data_folder.h"

#include <QDir>
#include <QFile>
#include <algorithm>

namespace quote_service {

namespace {

std::optional<qint32> WholeNumber(const QByteArray& text) {
    bool ok = false;
    const qint32 value = text.trimmed().toInt(&ok);
    return ok ? std::optional<qint32>(value) : std::nullopt;
}

std::optional<PriceBar> BarOf(const QByteArray& line) {
    const QList<QByteArray> cells = line.split(',');
    if (cells.size() != 7) {
        return std::nullopt;
    }
    PriceBar bar;
    bar.date =
        QDate::fromString(QString::fromLatin1(cells[0].trimmed()), QStringLiteral("yyyy-MM-dd"));
    const auto open = WholeNumber(cells[1]);
    const auto high = WholeNumber(cells[2]);
    const auto low = WholeNumber(cells[3]);
    const auto close = WholeNumber(cells[4]);
    const auto volume = WholeNumber(cells[5]);
    const auto adjClose = WholeNumber(cells[6]);
    if (!bar.date.isValid() || !open || !high || !low || !close || !volume || !adjClose ||
        *volume < 0) {
        return std::nullopt;
    }
    bar.open = *open;
    bar.high = *high;
    bar.low = *low;
    bar.close = *close;
    bar.volume = *volume;
    bar.adjClose = *adjClose;
    return bar;
}

std::optional<std::vector<PriceBar>> ReadBars(const QString& path, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return std::nullopt;
    }
    std::vector<PriceBar> bars;
    int lineNumber = 0;
    while (!file.atEnd()) {
        const QByteArray line = file.readLine().trimmed();
        ++lineNumber;
        if (line.isEmpty() || (lineNumber == 1 && line.startsWith("date"))) {
            continue;
        }
        const auto bar = BarOf(line);
        if (!bar) {
            *error = QStringLiteral("%1:%2: expected date,open,high,low,close,volume,adjclose")
                         .arg(path)
                         .arg(lineNumber);
            return std::nullopt;
        }
        bars.push_back(*bar);
    }
    std::stable_sort(bars.begin(), bars.end(),
                     [](const PriceBar& a, const PriceBar& b) { return a.date < b.date; });
    const auto repeat =
        std::adjacent_find(bars.begin(), bars.end(),
                           [](const PriceBar& a, const PriceBar& b) { return a.date == b.date; });
    if (repeat != bars.end()) {
        *error = QStringLiteral("%1: the date %2 appears twice")
                     .arg(path, repeat->date.toString(Qt::ISODate));
        return std::nullopt;
    }
    return bars;
}

// "1234.csv" -> 1234 on the primary market, "1234.o.csv" -> 1234 on ".o".
Listing ListingOfFile(const QString& fileName) {
    return ListingOf(fileName.chopped(4).toStdString());
}

}  // namespace

std::optional<DataFolder> LoadDataFolder(const QString& path, QString* error) {
    const QDir dir(path);
    if (!dir.exists()) {
        *error = QStringLiteral("%1: no such folder").arg(path);
        return std::nullopt;
    }
    DataFolder folder;
    const QStringList files = dir.entryList({QStringLiteral("*.csv")}, QDir::Files, QDir::Name);
    for (const QString& name : files) {
        const Listing listing = ListingOfFile(name);
        if (listing.code.empty()) {
            continue;
        }
        auto bars = ReadBars(dir.filePath(name), error);
        if (!bars) {
            return std::nullopt;
        }
        if (!folder.emplace(listing, std::move(*bars)).second) {
            *error = QStringLiteral("%1: another file already holds %2%3")
                         .arg(dir.filePath(name), QString::fromStdString(listing.code),
                              QString::fromStdString(listing.market));
            return std::nullopt;
        }
    }
    return folder;
}

}  // namespace quote_service
