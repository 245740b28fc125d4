#include "store/duetext.h"

#include "store/records.h"

#include <algorithm>
#include <array>
#include <ctime>

namespace {

std::string withLeadingZero(std::string text)
{
    return text.size() == 1 ? "0" + text : text;
}

// By hand: the reader pads six numbers for every task of the file, and snprintf is slow at it.
std::string padded(std::int64_t value, std::int64_t widest, int width)
{
    std::string digits(static_cast<std::size_t>(width), '0');
    std::int64_t rest = std::clamp<std::int64_t>(value, 0, widest);
    for (auto digit = digits.rbegin(); digit != digits.rend() && rest > 0; ++digit, rest /= 10)
        *digit = static_cast<char>('0' + rest % 10);
    return digits;
}

} // namespace

std::string dueDateText(std::int16_t& day, std::int16_t& month, std::int16_t& year)
{
    if (month == 0)
        month = 1;
    // Month 13 and any other month outside the year has no name.
    const std::string name(month >= 1 && month <= 12 ? englishMonthNames[static_cast<std::size_t>(month - 1)] : "");
    const std::string yearDigits = std::to_string(year);
    const std::string yearPart = yearDigits.size() > 2 ? yearDigits.substr(yearDigits.size() - 2) : yearDigits;
    return name + " " + withLeadingZero(std::to_string(day)) + "/" + withLeadingZero(yearPart);
}

std::string dueTimeText(std::int16_t hour, std::int16_t minute, std::int16_t second)
{
    constexpr int secondsPerDay = 24 * 60 * 60;
    const int total = ((hour * 3600 + minute * 60 + second) % secondsPerDay + secondsPerDay) % secondsPerDay;
    std::tm time{};
    time.tm_hour = total / 3600;
    time.tm_min = total / 60 % 60;
    time.tm_sec = total % 60;
    char buffer[64];
    const std::size_t length = std::strftime(buffer, sizeof buffer, "%X", &time);
    return std::string(buffer, length);
}

std::string dueText(TaskRecord& task)
{
    if (!hasDueDate(task))
        return {};
    return dueDateText(task.day, task.month, task.year) + " at " + dueTimeText(task.hour, task.minute, task.second);
}

std::string dueKey(const TaskRecord& task)
{
    return padded(task.year, 9999, 4) + "-" + padded(task.month, 99, 2) + " - " + padded(task.day, 99, 2) + " " +
           padded(task.hour, 99, 2) + ":" + padded(task.minute, 99, 2) + ":" + padded(task.second, 99, 2);
}
