#include "tools/quote-service/history_generator.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "tools/quote-service/split_mix.h"
#include "tools/quote-service/trading_calendar.h"

namespace quote_service {

namespace {

constexpr int kDaysPerYear = 365;

// The price step allowed at a price level.
qint64 TickAt(double price) {
    if (price <= 2000)
        return 1;
    if (price <= 3000)
        return 5;
    if (price <= 30000)
        return 10;
    if (price <= 50000)
        return 50;
    if (price <= 300000)
        return 100;
    if (price <= 500000)
        return 500;
    return 1000;
}

enum class Towards { Nearest, Up, Down };

qint32 OnTick(double price, Towards towards) {
    const qint64 tick = TickAt(price);
    const double steps = price / static_cast<double>(tick);
    double whole = std::nearbyint(steps);
    if (towards == Towards::Up) {
        whole = std::ceil(steps);
    } else if (towards == Towards::Down) {
        whole = std::floor(steps);
    }
    return static_cast<qint32>(std::max<qint64>(1, static_cast<qint64>(whole) * tick));
}

double Clamp(double value, double low, double high) {
    return std::min(high, std::max(low, value));
}

StockSplit PickSplit(SplitMix64& rng, QDate date) {
    // Mostly 1:2, sometimes the gratis issues common on Japanese markets.
    const double pick = rng.Uniform();
    if (pick < 0.6)
        return {date, 1, 2};
    if (pick < 0.75)
        return {date, 1, 3};
    if (pick < 0.9)
        return {date, 2, 3};
    return {date, 10, 11};
}

std::vector<StockSplit> GenerateSplits(SplitMix64& rng, QDate last) {
    std::vector<StockSplit> splits;
    QDate day = FirstHistoryDay().addDays(rng.Between(180, 3 * kDaysPerYear));
    while (true) {
        day = TradingDayFrom(day);
        if (day > last) {
            break;
        }
        splits.push_back(PickSplit(rng, day));
        day = day.addDays(rng.Between(3 * kDaysPerYear, 8 * kDaysPerYear));
    }
    return splits;
}

// Character of one stock, drawn once from its seed.
struct Temper {
    double level;       // the price the walk drifts back to
    double deviation;   // daily deviation of the close
    double baseVolume;  // typical shares a day
};

Temper DrawTemper(SplitMix64& rng) {
    Temper t;
    t.level = 150 + rng.Uniform() * 6000;
    t.deviation = 0.008 + rng.Uniform() * 0.014;
    const double u = rng.Uniform();
    t.baseVolume = 5000 + u * u * 2'000'000;
    return t;
}

qint64 DrawVolume(SplitMix64& rng, const Temper& t) {
    double factor = 0.3 + 1.4 * rng.Uniform();
    if (rng.Uniform() < 0.04) {
        factor += 3 * rng.Uniform();  // a busy day
    }
    const double lot = t.baseVolume >= 100000 ? 1000 : 100;
    const double volume = std::nearbyint(t.baseVolume * factor / lot) * lot;
    return static_cast<qint64>(Clamp(volume, 1000, 20'000'000));
}

}  // namespace

History GenerateHistory(const Listing& listing, QDate last) {
    const std::string key = listing.code + listing.market;
    SplitMix64 rng(SeedOf(key));
    SplitMix64 splitRng(SeedOf(key + "#splits"));

    History history;
    history.splits = GenerateSplits(splitRng, last);
    const Temper temper = DrawTemper(rng);
    double reference = temper.level * (0.5 + rng.Uniform());
    auto nextSplit = history.splits.begin();

    for (QDate day = FirstHistoryDay(); day <= last; day = day.addDays(1)) {
        if (!IsTradingDay(day)) {
            continue;
        }
        if (nextSplit != history.splits.end() && nextSplit->date == day) {
            reference = reference * nextSplit->before / nextSplit->after;
            ++nextSplit;
        }
        const double openPrice = reference * (1 + Clamp(0.004 * rng.Gaussian(), -0.1, 0.1));
        const double drift = Clamp(0.0015 * (temper.level / openPrice - 1), -0.01, 0.01);
        const double move = Clamp(drift + temper.deviation * rng.Gaussian(), -0.25, 0.25);
        const double closePrice = openPrice * (1 + move);
        const double reach = temper.deviation * 0.6;
        const double highPrice =
            std::max(openPrice, closePrice) * (1 + std::abs(rng.Gaussian()) * reach);
        const double lowPrice =
            std::min(openPrice, closePrice) * (1 - Clamp(std::abs(rng.Gaussian()) * reach, 0, 0.5));

        PriceBar bar;
        bar.date = day;
        bar.open = OnTick(openPrice, Towards::Nearest);
        bar.close = OnTick(closePrice, Towards::Nearest);
        bar.high = std::max({OnTick(highPrice, Towards::Up), bar.open, bar.close});
        bar.low = std::min({OnTick(lowPrice, Towards::Down), bar.open, bar.close});
        bar.volume = DrawVolume(rng, temper);
        bar.adjClose = bar.close;
        history.bars.push_back(bar);
        reference = bar.close;
    }
    return history;
}

}  // namespace quote_service
