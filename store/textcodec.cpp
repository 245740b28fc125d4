#include "store/textcodec.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <iterator>
#include <optional>

namespace {

struct CaseRun
{
    char32_t first;
    char32_t last;
    int delta;
    char32_t stride;
};

constexpr CaseRun lowerCaseRuns[] = {
#include "store/lowercase_table.inc"
};

struct AccentedLetter
{
    char32_t letter;
    char32_t base;
};

constexpr AccentedLetter accentedLetters[] = {
#include "store/accent_table.inc"
};

char32_t lowerCaseOf(char32_t cp)
{
    const auto run = std::upper_bound(std::begin(lowerCaseRuns), std::end(lowerCaseRuns), cp,
                                      [](char32_t c, const CaseRun& r) { return c < r.first; });
    if (run == std::begin(lowerCaseRuns))
        return cp;
    const CaseRun& r = *std::prev(run);
    if (cp > r.last || (cp - r.first) % r.stride != 0)
        return cp;
    return static_cast<char32_t>(static_cast<int>(cp) + r.delta);
}

char32_t withoutAccent(char32_t lower)
{
    const auto found = std::lower_bound(std::begin(accentedLetters), std::end(accentedLetters), lower,
                                        [](const AccentedLetter& a, char32_t c) { return a.letter < c; });
    return found != std::end(accentedLetters) && found->letter == lower ? found->base : lower;
}

// The combining marks that decomposed Latin, Greek and Cyrillic text carries its accents in.
constexpr bool isCombiningAccent(char32_t cp)
{
    return cp >= 0x0300 && cp <= 0x036F;
}

void appendUtf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Length of the valid UTF-8 sequence at the start of `s` and its code point; 0 when invalid.
std::size_t decodeOne(std::string_view s, char32_t& cp)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char lead = byte(0);
    std::size_t length;
    char32_t min;
    if (lead < 0x80) {
        cp = lead;
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, cp = lead & 0x1F, min = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, cp = lead & 0x0F, min = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, cp = lead & 0x07, min = 0x10000;
    } else {
        return 0;
    }
    if (s.size() < length)
        return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (byte(i) & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return length;
}

// Windows-1252 bytes 0x80 to 0x9F; the unassigned ones keep their C1 control code.
constexpr std::array<char16_t, 32> cp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

// Appends `utf8` lower-cased, every character beyond ASCII then passed through `then` (nothing drops
// it). ASCII, most of a task's text, takes the short way; invalid bytes are copied unchanged.
template <typename Then> void appendLowered(std::string& out, std::string_view utf8, Then then)
{
    char32_t cp;
    while (!utf8.empty()) {
        const auto lead = static_cast<unsigned char>(utf8.front());
        const std::size_t length = lead < 0x80 ? 1 : decodeOne(utf8, cp);
        if (lead < 0x80)
            out += asciiLower(utf8.front());
        else if (length == 0)
            out += utf8.front();
        else if (const std::optional<char32_t> mapped = then(lowerCaseOf(cp)))
            appendUtf8(out, *mapped);
        utf8.remove_prefix(std::max<std::size_t>(length, 1));
    }
}

} // namespace

bool isStrictUtf8(std::string_view bytes)
{
    char32_t cp;
    while (!bytes.empty()) {
        // A task file is mostly ASCII: the runs of it are skipped without decoding.
        const auto ascii = std::find_if(bytes.begin(), bytes.end(), [](char c) { return (c & 0x80) != 0; });
        bytes.remove_prefix(static_cast<std::size_t>(ascii - bytes.begin()));
        if (bytes.empty())
            break;
        const std::size_t length = decodeOne(bytes, cp);
        if (length == 0)
            return false;
        bytes.remove_prefix(length);
    }
    return true;
}

std::string cp1252ToUtf8(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 4);
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        appendUtf8(out, byte >= 0x80 && byte < 0xA0 ? cp1252High[byte - 0x80] : byte);
    }
    return out;
}

std::string lowerCase(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size());
    appendLowered(out, utf8, [](char32_t lower) { return std::optional(lower); });
    return out;
}

void appendFoldedForSearch(std::string& out, std::string_view utf8)
{
    appendLowered(out, utf8, [](char32_t lower) {
        return isCombiningAccent(lower) ? std::nullopt : std::optional(withoutAccent(lower));
    });
}

std::size_t utf8Prefix(std::string_view utf8, std::size_t count)
{
    std::size_t pos = 0;
    for (; count > 0 && pos < utf8.size(); --count) {
        ++pos;
        while (pos < utf8.size() && (static_cast<unsigned char>(utf8[pos]) & 0xC0) == 0x80)
            ++pos;
    }
    return pos;
}
