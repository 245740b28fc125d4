#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

struct TaskRecord;

// The due date's month names, whatever the user's language: the task file and the page keep them.
inline constexpr std::array<std::string_view, 12> englishMonthNames{"January",   "February", "March",    "April",
                                                                    "May",       "June",     "July",     "August",
                                                                    "September", "October",  "November", "December"};

// "September 05/03". A month of 0 is written back to the caller's field as 1.
std::string dueDateText(std::int16_t& day, std::int16_t& month, std::int16_t& year);

// The time of day in the process locale's long time format (%X); values outside a day carry over
// into the next or previous day and only the time of that day is shown.
std::string dueTimeText(std::int16_t hour, std::int16_t minute, std::int16_t second);

// Date text, " at ", time text: the Due column and the attention page show this. May set month 0 to 1.
// Empty for a task without a due date.
std::string dueText(TaskRecord& task);

// The sortable due key, 2003-03 - 05 09:07:00. Fields wider than their place are clamped into it,
// so years 0 to 9999 keep chronological order.
std::string dueKey(const TaskRecord& task);
