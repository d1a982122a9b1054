#pragma once

#include <optional>
#include <string_view>

namespace quote_service {

// Codes that misbehave on purpose, on every market, so the program's handling of a faulty
// service can be tried by hand and in tests.
enum class DemoCode {
    EmptyBody,      // "EMPT": status 200 and no body at all
    TwoBytes,       // "TWOB": a body of two bytes (CR LF)
    NoTable,        // "NOTB": an ordinary page without a price table
    DashRows,       // "DASH": a full page whose rows all have "-" for the open, no next page
    EndlessPaging,  // "LOOP": dash rows and a next-page link at every offset, forever
    CutShort,       // "HALF": announces the whole page's length, sends half, closes
    Slow,           // "SLOW": answers a normal page after 45 seconds
};

std::optional<DemoCode> DemoCodeOf(std::string_view code);

}  // namespace quote_service
