#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quote_service {

// A stock code on one market. market is the suffix of the query (".t", ".o", ...); a query
// without a suffix asks for the code's primary market, Tokyo.
struct Listing {
    std::string code;
    std::string market;

    auto operator<=>(const Listing&) const = default;
};

inline constexpr std::string_view kPrimaryMarket = ".t";

// Splits the query's symbol ("1234.o", "1234") into code and market. A symbol whose last
// two characters are not a known suffix is a code alone, on the primary market.
Listing ListingOf(std::string_view symbol);

// True for a market suffix the service knows.
bool IsMarketSuffix(std::string_view suffix);

// Whether the service generates a history for the listing:
//   .t  Tokyo       every code 1000 to 9999
//   .o  Osaka       those of them ending in 0, 2, 4, 6 or 8
//   .n  Nagoya      ending in 1 or 3
//   .s  Sapporo     ending in 5
//   .f  Fukuoka     ending in 7
//   .q  over the counter   ending in 9
//   .j  Nasdaq      ending in 8
bool IsGeneratedListing(const Listing& listing);

}  // namespace quote_service
