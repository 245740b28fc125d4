#include "store/number.h"

namespace {

constexpr std::int64_t saturation = std::int64_t{1} << 62;

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n';
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Reads the next character that is not a blank, or '\0' at the end.
class NumberReader
{
public:
    explicit NumberReader(std::string_view text) : text_(text) {}
    char peek()
    {
        while (pos_ < text_.size() && isBlank(text_[pos_]))
            ++pos_;
        return pos_ < text_.size() ? text_[pos_] : '\0';
    }
    void next() { ++pos_; }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

} // namespace

std::int64_t leadingNumber(std::string_view text)
{
    NumberReader reader(text);
    bool negative = false;
    if (reader.peek() == '-' || reader.peek() == '+') {
        negative = reader.peek() == '-';
        reader.next();
    }
    std::int64_t whole = 0;
    for (; isDigit(reader.peek()); reader.next())
        whole = whole > saturation / 10 ? saturation : std::min(saturation, whole * 10 + (reader.peek() - '0'));

    // Exact decimal rounding of the fraction: the first digit decides, a lone 5 goes to even.
    int firstFraction = -1;
    bool restNonZero = false;
    if (reader.peek() == '.') {
        reader.next();
        for (; isDigit(reader.peek()); reader.next()) {
            if (firstFraction < 0)
                firstFraction = reader.peek() - '0';
            else if (reader.peek() != '0')
                restNonZero = true;
        }
    }
    const bool roundUp = firstFraction > 5 || (firstFraction == 5 && (restNonZero || whole % 2 == 1));
    if (roundUp)
        whole = std::min(saturation, whole + 1);
    return negative ? -whole : whole;
}
