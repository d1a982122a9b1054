#include "tools/quote-service/listings.h"

#include <algorithm>
#include <array>

namespace quote_service {

namespace {

struct Market {
    std::string_view suffix;
    std::string_view lastDigits;  // the codes listed there end in one of these
};

constexpr std::array<Market, 7> kListedMarkets = {{
    {".t", "0123456789"},
    {".o", "02468"},
    {".n", "13"},
    {".s", "5"},
    {".f", "7"},
    {".q", "9"},
    {".j", "8"},
}};

bool IsFourDigitCode(std::string_view code) {
    return code.size() == 4 && code[0] >= '1' && code[0] <= '9' &&
           std::all_of(code.begin(), code.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

bool IsMarketSuffix(std::string_view suffix) {
    return std::any_of(kListedMarkets.begin(), kListedMarkets.end(),
                       [&](const Market& m) { return m.suffix == suffix; });
}

Listing ListingOf(std::string_view symbol) {
    if (symbol.size() > 2 && IsMarketSuffix(symbol.substr(symbol.size() - 2))) {
        return {std::string(symbol.substr(0, symbol.size() - 2)),
                std::string(symbol.substr(symbol.size() - 2))};
    }
    return {std::string(symbol), std::string(kPrimaryMarket)};
}

bool IsGeneratedListing(const Listing& listing) {
    if (!IsFourDigitCode(listing.code)) {
        return false;
    }
    const auto market = std::find_if(kListedMarkets.begin(), kListedMarkets.end(),
                                     [&](const Market& m) { return m.suffix == listing.market; });
    return market != kListedMarkets.end() &&
           market->lastDigits.find(listing.code.back()) != std::string_view::npos;
}

}  // namespace quote_service
