#pragma once

namespace ardentix {

// The bar period chosen by the period options (daily, weekly, monthly, in option order).
enum class Period { Daily = 0, Weekly = 1, Monthly = 2 };

}  // namespace ardentix
