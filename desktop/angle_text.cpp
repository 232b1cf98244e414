// Saturating decimal parsing and sign-free formatting of angles. The field
// takes any number of digits, so a long entry must not overflow an int.
#include "desktop/angle_text.h"

#include <cctype>
#include <climits>
#include <cstdlib>

namespace LeveloraDesk {

int ParseAngleText(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])) != 0) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    long long value = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])) != 0; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > INT_MAX) {
            value = static_cast<long long>(INT_MAX) + 1;
        }
    }
    if (negative) {
        value = -value;
    }
    if (value > INT_MAX) {
        return INT_MAX;
    }
    if (value < INT_MIN) {
        return INT_MIN;
    }
    return static_cast<int>(value);
}

std::string AngleDigits(int angle) {
    return std::to_string(std::llabs(static_cast<long long>(angle)));
}

int NegateAngle(int value) {
    return value == INT_MIN ? INT_MAX : -value;
}

}  // namespace LeveloraDesk
