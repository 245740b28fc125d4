#include "alertpage/frmstartup.h"

#include "alertpage/pagefile.h"
#include "os/privatefile.h"
#include "store/duetext.h"
#include "store/module1.h"
#include "store/ruleeval.h"

#include <algorithm>
#include <cstdio>
#include <initializer_list>
#include <span>
#include <string_view>
#include <utility>

namespace {

void addLine(std::string& page, std::initializer_list<std::string_view> parts)
{
    for (std::string_view part : parts)
        page += part;
    page += "\r\n";
}

// Red, green, blue as two upper-case hex digits each, from 0x00BBGGRR; the top byte plays no part.
std::string colorText(std::int32_t color)
{
    const auto bits = static_cast<std::uint32_t>(color);
    char text[7];
    std::snprintf(text, sizeof text, "%02X%02X%02X", bits & 0xFFu, (bits >> 8) & 0xFFu, (bits >> 16) & 0xFFu);
    return text;
}

// The user's text as text: an unmatched "<" or "<!--" would otherwise swallow the rest of the page,
// and every alert after it with it.
std::string asText(std::string_view text)
{
    std::string escaped;
    escaped.reserve(text.size());
    for (const char ch : text) {
        switch (ch) {
        case '&':
            escaped += "&amp;";
            break;
        case '<':
            escaped += "&lt;";
            break;
        case '>':
            escaped += "&gt;";
            break;
        default:
            escaped += ch;
        }
    }
    return escaped;
}

std::string countdownText(std::int32_t daysLeft, const PageWords& words)
{
    if (daysLeft > 0) {
        std::string left = daysLeft == 1 ? words.oneDayLeft : words.daysLeft;
        if (const std::size_t at = left.find("%1"); at != std::string::npos)
            left.replace(at, 2, std::to_string(daysLeft));
        return "<small><b>T -: </b> " + asText(left) + " </small>";
    }
    return "<small><b>T -: </b> <B>" + asText(daysLeft == 0 ? words.today : words.late) + "</b> </small>";
}

void addTaskBlock(std::string& page, TaskRecord& task, std::int32_t color, std::int32_t daysLeft,
                  const PageWords& words)
{
    const std::string c = colorText(color);
    addLine(page, {"<table width=95% align=center border=0 cellspacing=8 bgcolor=#", c, ">"});
    addLine(page, {"<tr><td bgcolor=#ffffff>"});
    addLine(page, {"<table width=100% bgcolor=#eeeEe0 border=0 cellpadding=0 cellspacing=0><tr><td colspan=2>"});
    addLine(page, {"<b> ", asText(task.title), "</b></td></tr><tr><td>"});
    const std::string due =
        dueDateText(task.day, task.month, task.year) + words.at + dueTimeText(task.hour, task.minute, task.second);
    addLine(page, {"<small><B>", asText(words.forLabel), "</b> ", asText(task.forWhom), " </small></td><td>"});
    addLine(page, {"<small><b>", asText(words.dueLabel), "</b> ", asText(due), "</small> </td><td>"});
    addLine(page, {countdownText(daysLeft, words)});
    addLine(page, {"</td></tr><tr><td colspan=3 bgcolor=#", c, "></td></tr></table>", asText(task.description)});
    addLine(page, {"</small></td></tR></table><br>"});
}

} // namespace

std::string attentionPageText(Module1& store, DayNumber today, const PageWords& words)
{
    store.sortByDue();

    std::string page;
    addLine(page, {"<head><title>", asText(words.title), "</title></head>"});
    addLine(page, {"<body><center><p align=center>"});
    addLine(page, {"<h2>", asText(words.heading), "</h2>"});

    const std::span<const AlertRule> rules = store.rules();
    for (TaskRecord& task : store.tasks()) {
        if (isRecycled(task))
            continue;
        const std::optional<DayNumber> due = dueDay(task);
        const RuleWalk walk = walkRules(rules, today, due);
        if (walk.popupColor)
            addTaskBlock(page, task, *walk.popupColor, static_cast<std::int32_t>(*due - today), words);
    }

    addLine(page, {"</p></center></body></html>"});
    return page;
}

std::optional<PageFailure> frmStartup::makepage(Module1& store, const PageWords& words)
{
    const std::string page = attentionPageText(store, today(), words);
    const std::filesystem::path path = alertPagePath();
    if (path.empty())
        return PageFailure{};
    if (auto failure = writePrivateFile(path, page))
        return PageFailure{std::move(failure)};
    return std::nullopt;
}
