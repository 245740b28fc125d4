#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string_view>

// The number at the start of a text: blanks, tabs and line feeds are skipped wherever they stand,
// then an optional sign, digits and an optional decimal fraction; 0 when there is none.
// Rounded to the nearest integer, a half to the even neighbour. Saturates at the int64 range.
std::int64_t leadingNumber(std::string_view text);

// A number saturated to the range of the field it is stored in, instead of wrapping.
template <typename Field> constexpr Field saturate(std::int64_t n)
{
    return static_cast<Field>(
        std::clamp<std::int64_t>(n, std::numeric_limits<Field>::min(), std::numeric_limits<Field>::max()));
}

// The number of a text, saturated to its field.
template <typename Field> Field numberOfText(std::string_view text)
{
    return saturate<Field>(leadingNumber(text));
}
