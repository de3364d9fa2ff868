// Real to integer as the engine converts every screen coordinate.
#pragma once

#include <climits>
#include <cmath>

// Truncates toward zero; saturates at the int range; NaN gives 0.
inline int TruncToInt(double value) {
    if (std::isnan(value)) return 0;
    if (value >= static_cast<double>(INT_MAX)) return INT_MAX;
    if (value <= static_cast<double>(INT_MIN)) return INT_MIN;
    return static_cast<int>(value);
}
