#pragma once

// The reminders that rules with popup set give: which live tasks call for one today, and the record
// of those already given, which lives apart from the task file.

#include "store/calendar.h"
#include "store/records.h"

#include <cstddef>
#include <cstdint>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

struct PopupMatch
{
    std::int16_t slot;
    std::size_t rule; // the rule with popup set that leads for the task
};

// The live tasks that the attention page holds on `today`, in slot order: the list's own walk.
std::vector<PopupMatch> popupMatches(std::span<const TaskRecord> tasks, std::span<const AlertRule> rules,
                                     DayNumber today);

// Names one task under one rule, so that a match is reminded of once. The fields go in hashed: the
// record of what was sent holds nothing of the tasks themselves.
std::string reminderKey(const TaskRecord& task, const AlertRule& rule);

// The reminders given on one day.
struct SentReminders
{
    DayNumber day = 0;
    std::set<std::string> keys;
};

// A record of another day, or one that cannot be read, is an empty record for `today`: at worst a
// reminder comes twice.
SentReminders readSentReminders(std::string_view text, DayNumber today);
std::string sentRemindersText(const SentReminders& sent);
