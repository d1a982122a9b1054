#include "tools/quote-service/demo_codes.h"

#include <array>
#include <utility>

namespace quote_service {

std::optional<DemoCode> DemoCodeOf(std::string_view code) {
    static constexpr std::array<std::pair<std::string_view, DemoCode>, 7> kCodes = {{
        {"EMPT", DemoCode::EmptyBody},
        {"TWOB", DemoCode::TwoBytes},
        {"NOTB", DemoCode::NoTable},
        {"DASH", DemoCode::DashRows},
        {"LOOP", DemoCode::EndlessPaging},
        {"HALF", DemoCode::CutShort},
        {"SLOW", DemoCode::Slow},
    }};
    for (const auto& [name, demo] : kCodes) {
        if (name == code) {
            return demo;
        }
    }
    return std::nullopt;
}

}  // namespace quote_service
