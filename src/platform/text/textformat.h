#pragma once
// Number and date formats used in the list, the status line and the files.
#include <cstdint>
#include <optional>
#include <string>

#include "platform/model/services.h"  // LocalTime

namespace kestrova {

// Format patterns "#,##0", "##,##0", "###0" and "00": digits with thousands
// separators for the patterns that hold ",", at least one digit (two for
// "00"); the value is rounded half to even to a whole number first.
std::string FormatNumber(double value, const std::string& pattern);

// Date patterns "yyyy/mm/dd HH:MM:SS" and "yy/mm/dd HH:NN:SS" (MM after HH is
// minutes, as is NN).
std::string FormatDateTime(const LocalTime& t, const std::string& pattern);

// Text to a 16-bit integer as the program converts user input: blanks around
// are ignored, decimals are rounded half to even; nullopt when the text is not
// a number or the result does not fit.
std::optional<std::int16_t> TextToInt16(const std::string& text);
std::optional<std::int32_t> TextToInt32(const std::string& text);
std::optional<double> TextToDouble(const std::string& text);

// Number fields of the settings file: integers in plain decimal; the double
// with up to 15 significant digits, no trailing zeros, and the exponent form
// (1.23456789012345E+15) from 10^15 on.
std::string FormatIntegerField(std::int64_t value);
std::string FormatDoubleField(double value);

// Pads on the left with blanks to width characters (no cut when longer).
std::string PadLeft(const std::string& text, int width);

}  // namespace kestrova
