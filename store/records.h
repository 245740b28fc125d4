#pragma once

#include <cstdint>
#include <string>
#include <tuple>

// One task. Texts are UTF-8; the due moment is six separate integers, never validated.
struct TaskRecord
{
    std::string title;
    std::string forWhom;
    std::int16_t year = 0;
    std::int16_t month = 0;
    std::int16_t day = 0;
    std::int16_t second = 0;
    std::int16_t minute = 0;
    std::int16_t hour = 0;
    std::string description; // line breaks are CR LF
    std::string dueKey;      // derived when the file is read; used only by the sort
    std::string deleted;     // exactly "Y" means recycled
    // The task's identity outside the file, given when it first leaves it; empty until then.
    std::string uid;

    bool operator==(const TaskRecord&) const = default;
};

// One colour and alert rule.
struct AlertRule
{
    std::int16_t value = 0;
    std::string unit;
    std::int32_t color = 0; // 0x00BBGGRR
    std::int16_t popup = 0; // popupOn or 0

    bool operator==(const AlertRule&) const = default;
};

inline constexpr std::int16_t popupOn = -1;
inline constexpr const char* recycledMark = "Y";
inline constexpr const char* restoredMark = "N";

// Whether two records hold one task as the file keeps it. Showing a task turns a month of 0 into the
// January it always meant, which leaves the derived dueKey as it was read: neither is a change.
inline bool sameTask(const TaskRecord& a, const TaskRecord& b)
{
    const auto shownMonth = [](std::int16_t month) { return month == 0 ? std::int16_t{1} : month; };
    const auto stored = [](const TaskRecord& t) {
        return std::tie(t.title, t.forWhom, t.year, t.day, t.second, t.minute, t.hour, t.description, t.deleted, t.uid);
    };
    return shownMonth(a.month) == shownMonth(b.month) && stored(a) == stored(b);
}

// A task whose day and year are 0 was never given a date: no rule, page or reminder counts it as due.
inline bool hasDueDate(const TaskRecord& task)
{
    return task.day != 0 || task.year != 0;
}

inline bool isRecycled(const TaskRecord& task)
{
    return task.deleted == recycledMark;
}
