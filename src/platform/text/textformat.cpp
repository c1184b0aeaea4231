#include "textformat.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string_view>

namespace kestrova {
namespace {

// x - trunc(x) is exact for every double, so the tie test is reliable; the
// rounding mode of the FPU plays no part.
double RoundHalfEven(double x) {
    if (!std::isfinite(x)) return x;
    const double frac = x - std::trunc(x);
    if (std::fabs(frac) == 0.5) return 2.0 * std::round(x / 2.0);
    return std::round(x);
}

// Digits of a whole, non-negative double. Up to 2^63 through an integer so
// large counts stay exact; beyond that the shortest fixed form is as good as
// the double itself.
std::string WholeDigits(double magnitude) {
    if (magnitude < 9.0e18) return std::to_string(static_cast<std::uint64_t>(magnitude));
    char buf[400];
    const auto res = std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::fixed, 0);
    return std::string(buf, res.ptr);
}

std::string TwoDigits(int v) {
    std::string s = std::to_string(v < 0 ? -v : v);
    if (s.size() < 2) s.insert(0, 2 - s.size(), '0');
    return s;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Accepts [+-]digits[.digits][(E|e)[+-]digits] with at least one mantissa
// digit, and nothing else: no thousands separators, no hex, no "inf".
bool IsPlainNumber(std::string_view s) {
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    std::size_t digits = 0;
    while (i < s.size() && IsDigit(s[i])) ++i, ++digits;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && IsDigit(s[i])) ++i, ++digits;
    }
    if (digits == 0) return false;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
        std::size_t exp_digits = 0;
        while (i < s.size() && IsDigit(s[i])) ++i, ++exp_digits;
        if (exp_digits == 0) return false;
    }
    return i == s.size();
}

// Whether a plain number (see IsPlainNumber) that is out of a double's
// range is too large rather than too small: its first significant digit
// stands at a positive power of ten.
bool BeyondLargest(std::string_view s) {
    std::int64_t power = 0;  // of the first significant digit, plus one
    bool seen_point = false;
    bool found = false;
    std::size_t i = 0;
    for (; i < s.size() && s[i] != 'e' && s[i] != 'E'; ++i) {
        if (s[i] == '.') {
            seen_point = true;
        } else if (IsDigit(s[i])) {
            if (!found && s[i] != '0') found = true;
            if (found && !seen_point) ++power;
            if (!found && seen_point) --power;
        }
    }
    std::int64_t exponent = 0;
    if (i < s.size()) {
        const std::string_view digits = s.substr(i + 1);
        const bool negative = !digits.empty() && digits[0] == '-';
        for (char c : digits) {
            if (IsDigit(c) && exponent < 100000) exponent = exponent * 10 + (c - '0');
        }
        if (negative) exponent = -exponent;
    }
    return power + exponent > 0;
}

template <typename Int>
std::optional<Int> TextToInteger(const std::string& text) {
    const auto value = TextToDouble(text);
    if (!value) return std::nullopt;
    const double r = RoundHalfEven(*value);
    if (r < static_cast<double>(std::numeric_limits<Int>::min()) ||
        r > static_cast<double>(std::numeric_limits<Int>::max())) {
        return std::nullopt;
    }
    return static_cast<Int>(r);
}

}  // namespace

std::string FormatNumber(double value, const std::string& pattern) {
    if (std::isnan(value)) return "NaN";
    const double rounded = RoundHalfEven(value);
    if (std::isinf(rounded)) return rounded < 0 ? "-Infinity" : "Infinity";

    std::size_t min_digits = 0;
    bool grouping = false;
    for (char c : pattern) {
        if (c == '0') ++min_digits;
        if (c == ',') grouping = true;
    }
    if (min_digits == 0) min_digits = 1;

    std::string digits = WholeDigits(std::fabs(rounded));
    if (digits.size() < min_digits) digits.insert(0, min_digits - digits.size(), '0');

    std::string out;
    // A value that rounds to zero is shown without a sign.
    if (rounded < 0) out.push_back('-');
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (grouping && i > 0 && (digits.size() - i) % 3 == 0) out.push_back(',');
        out.push_back(digits[i]);
    }
    return out;
}

std::string FormatDateTime(const LocalTime& t, const std::string& pattern) {
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
    std::string out;
    out.reserve(pattern.size() + 4);
    bool after_hour = false;  // "mm" right after an hour field means minutes
    std::size_t i = 0;
    while (i < pattern.size()) {
        const char c = lower(pattern[i]);
        std::size_t run = 1;
        while (i + run < pattern.size() && lower(pattern[i + run]) == c) ++run;
        switch (c) {
            case 'y':
                if (run >= 4) {
                    std::string y = std::to_string(t.year);
                    if (y.size() < 4) y.insert(0, 4 - y.size(), '0');
                    out += y;
                } else {
                    out += TwoDigits(t.year % 100);
                }
                break;
            case 'm': {
                // Minutes also when seconds follow, as in "mm:ss".
                std::size_t j = i + run;
                while (j < pattern.size() && !std::isalpha(static_cast<unsigned char>(pattern[j]))) ++j;
                const bool seconds_next = j < pattern.size() && lower(pattern[j]) == 's';
                const int v = (after_hour || seconds_next) ? t.minute : t.month;
                out += run >= 2 ? TwoDigits(v) : std::to_string(v);
                after_hour = false;
                break;
            }
            case 'd':
                out += run >= 2 ? TwoDigits(t.day) : std::to_string(t.day);
                break;
            case 'h':
                out += run >= 2 ? TwoDigits(t.hour) : std::to_string(t.hour);
                after_hour = true;
                break;
            case 'n':
                out += run >= 2 ? TwoDigits(t.minute) : std::to_string(t.minute);
                after_hour = false;
                break;
            case 's':
                out += run >= 2 ? TwoDigits(t.second) : std::to_string(t.second);
                break;
            default:
                out.append(pattern, i, run);
                break;
        }
        i += run;
    }
    return out;
}

std::optional<std::int16_t> TextToInt16(const std::string& text) { return TextToInteger<std::int16_t>(text); }

std::optional<std::int32_t> TextToInt32(const std::string& text) { return TextToInteger<std::int32_t>(text); }

std::optional<double> TextToDouble(const std::string& text) {
    const std::string_view trimmed = Trim(text);
    if (!IsPlainNumber(trimmed)) return std::nullopt;
    // from_chars ignores the locale (the GUI toolkit adopts the user's,
    // which may use a decimal comma) and takes no plus sign.
    std::string_view number = trimmed;
    const bool negative = number[0] == '-';
    if (number[0] == '+' || negative) number.remove_prefix(1);
    double value = 0;
    const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (ec == std::errc::result_out_of_range) {
        // Underflow gives a usable zero; overflow gives nothing.
        if (BeyondLargest(number)) return std::nullopt;
        value = 0.0;
    } else if (ec != std::errc() || end != number.data() + number.size()) {
        return std::nullopt;
    }
    if (std::isinf(value)) return std::nullopt;
    return negative ? -value : value;
}

std::string FormatIntegerField(std::int64_t value) { return std::to_string(value); }

std::string FormatDoubleField(double value) {
    if (value == 0.0) return "0";
    if (std::isnan(value)) return "NaN";
    if (std::isinf(value)) return value < 0 ? "-Infinity" : "Infinity";
    // Rounded to fifteen digits, the largest doubles would be written as
    // 1.79769313486232E+308, beyond the range of a double, and a file the
    // program wrote would not read back. They are written one step lower.
    constexpr double kLargestFifteenDigits = 1.79769313486231e308;
    if (std::fabs(value) > kLargestFifteenDigits) value = std::copysign(kLargestFifteenDigits, value);

    // Fifteen significant digits, rounded once; the exponent is taken after
    // rounding so 999999999999999.9 turns into 1E+15 and not 1000000000000000.
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific, 14);
    const std::string_view sci(buf, res.ptr - buf);  // d.dddddddddddddde±XX
    const std::size_t e_pos = sci.find('e');
    std::string digits;
    for (char c : sci.substr(0, e_pos)) {
        if (c != '.') digits.push_back(c);
    }
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
    int exponent = 0;
    std::from_chars(sci.data() + e_pos + 1 + (sci[e_pos + 1] == '+' ? 1 : 0), sci.data() + sci.size(), exponent);

    std::string out;
    if (value < 0) out.push_back('-');
    if (exponent >= 15 || exponent < -4) {
        out.push_back(digits[0]);
        if (digits.size() > 1) {
            out.push_back('.');
            out.append(digits, 1);
        }
        out += exponent < 0 ? "E-" : "E+";
        out += TwoDigits(exponent);
        return out;
    }
    if (exponent < 0) {
        out += "0.";
        out.append(static_cast<std::size_t>(-exponent - 1), '0');
        out += digits;
        return out;
    }
    const std::size_t int_len = static_cast<std::size_t>(exponent) + 1;
    if (digits.size() <= int_len) {
        out += digits;
        out.append(int_len - digits.size(), '0');
    } else {
        out.append(digits, 0, int_len);
        out.push_back('.');
        out.append(digits, int_len);
    }
    return out;
}

std::string PadLeft(const std::string& text, int width) {
    int chars = 0;
    for (unsigned char c : text) {
        if ((c & 0xC0) != 0x80) ++chars;
    }
    if (chars >= width) return text;
    return std::string(static_cast<std::size_t>(width - chars), ' ') + text;
}

}  // namespace kestrova
