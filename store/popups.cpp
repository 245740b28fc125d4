#include "store/popups.h"

#include "store/ruleeval.h"

#include <algorithm>
#include <cstdio>
#include <initializer_list>

namespace {

// FNV-1a: stable across compilers and runs, unlike std::hash.
class KeyHash
{
public:
    void add(std::string_view bytes)
    {
        add(static_cast<std::int64_t>(bytes.size())); // so that "ab","c" differs from "a","bc"
        for (const char c : bytes)
            addByte(static_cast<unsigned char>(c));
    }
    void add(std::int64_t number)
    {
        for (int shift = 0; shift < 64; shift += 8)
            addByte(static_cast<unsigned char>(static_cast<std::uint64_t>(number) >> shift));
    }
    std::string hex() const
    {
        char text[17];
        std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash_));
        return text;
    }

private:
    void addByte(unsigned char byte)
    {
        hash_ ^= byte;
        hash_ *= 0x100000001b3ULL;
    }
    std::uint64_t hash_ = 0xcbf29ce484222325ULL;
};

std::string dayText(DayNumber day)
{
    const CivilDate date = civilDate(day);
    char text[32];
    std::snprintf(text, sizeof text, "%04lld-%02d-%02d", static_cast<long long>(date.year), date.month, date.day);
    return text;
}

bool isKey(std::string_view line)
{
    return line.size() == 16 && line.find_first_not_of("0123456789abcdef") == std::string_view::npos;
}

} // namespace

std::vector<PopupMatch> popupMatches(std::span<const TaskRecord> tasks, std::span<const AlertRule> rules,
                                     DayNumber today)
{
    std::vector<PopupMatch> matches;
    for (std::size_t slot = 0; slot < tasks.size(); ++slot) {
        if (isRecycled(tasks[slot]))
            continue;
        if (const RuleWalk walk = walkRules(rules, today, dueDay(tasks[slot])); walk.popupRule)
            matches.push_back({static_cast<std::int16_t>(slot), *walk.popupRule});
    }
    return matches;
}

std::string reminderKey(const TaskRecord& task, const AlertRule& rule)
{
    KeyHash hash;
    hash.add(task.title);
    hash.add(task.forWhom);
    for (const std::int16_t field : {task.year, task.month, task.day, task.hour, task.minute, task.second})
        hash.add(field);
    hash.add(rule.value);
    hash.add(rule.unit);
    hash.add(rule.color);
    return hash.hex();
}

SentReminders readSentReminders(std::string_view text, DayNumber today)
{
    SentReminders sent{today, {}};
    const std::size_t firstEnd = text.find('\n');
    if (firstEnd == std::string_view::npos || text.substr(0, firstEnd) != dayText(today))
        return sent;
    for (std::size_t start = firstEnd + 1; start < text.size();) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        if (const std::string_view line = text.substr(start, end - start); isKey(line))
            sent.keys.emplace(line);
        start = end + 1;
    }
    return sent;
}

std::string sentRemindersText(const SentReminders& sent)
{
    std::string text = dayText(sent.day) + '\n';
    for (const std::string& key : sent.keys)
        text += key + '\n';
    return text;
}
