// Reads any bytes as a task file, saves the tables and reads them back: the second read must give
// the tables of the first, apart from the losses the file format cannot avoid, and a second save must
// give the same bytes. Built for libFuzzer, and replayed over the seed corpus by the tests.
#include "store/module1.h"
#include "store/taskfile.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

namespace {

std::string replaceAll(std::string text, std::string_view from, std::string_view to)
{
    for (std::size_t pos = text.find(from); pos != std::string::npos; pos = text.find(from, pos + to.size()))
        text.replace(pos, from.size(), to);
    return text;
}

// The losses a save and a read may cause, one function each, applied to the first read's records.

// Every value is the last thing on its line, and the reader trims spaces at the end of a line.
std::string withoutTrailingSpaces(std::string text)
{
    text.erase(text.find_last_not_of(' ') + 1);
    return text;
}

// A "|~" typed into a description is indistinguishable from an escaped line break.
std::string markerAsLineBreak(const std::string& description)
{
    return replaceAll(description, "|~", "\r\n");
}

// A lone CR would end the description's line, so it is written as a line break.
std::string loneCrAsLineBreak(const std::string& description)
{
    std::string out;
    for (std::size_t i = 0; i < description.size(); ++i) {
        out += description[i];
        if (description[i] == '\r' && (i + 1 == description.size() || description[i + 1] != '\n'))
            out += '\n';
    }
    return out;
}

// A CR or LF in a one-line value would split its line, so it is written as a space.
std::string lineBreaksAsSpaces(std::string text)
{
    for (char& c : text) {
        if (c == '\r' || c == '\n')
            c = ' ';
    }
    return text;
}

// The same loss seen in the saved bytes: a one-line value that ended in a CR or LF is written with
// a trailing space, which the next read drops.
std::string withoutTrailingSpacesOnLines(std::string_view text)
{
    std::string out;
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t end = std::min(text.find("\r\n", pos), text.size());
        out += withoutTrailingSpaces(std::string(text.substr(pos, end - pos)));
        out += text.substr(end, 2);
        pos = end + 2;
    }
    return out;
}

std::string oneLineValue(const std::string& text)
{
    return withoutTrailingSpaces(lineBreaksAsSpaces(text));
}

TaskRecord expectedAfterSave(TaskRecord task)
{
    task.title = oneLineValue(task.title);
    task.forWhom = oneLineValue(task.forWhom);
    task.deleted = oneLineValue(task.deleted);
    task.uid = oneLineValue(task.uid);
    task.description = withoutTrailingSpaces(markerAsLineBreak(loneCrAsLineBreak(task.description)));
    return task;
}

AlertRule expectedAfterSave(AlertRule rule)
{
    rule.unit = oneLineValue(rule.unit);
    return rule;
}

// Control bytes shown as escapes, so that a report shows where a CR or LF went.
std::string visible(std::string_view text)
{
    std::string out = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || c == '"' || c == '\\') {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02X", byte);
            out += escape;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string describe(const TaskRecord& t)
{
    return "title=" + visible(t.title) + " forWhom=" + visible(t.forWhom) + " date=" + std::to_string(t.year) + "-" +
           std::to_string(t.month) + "-" + std::to_string(t.day) + " " + std::to_string(t.hour) + ":" +
           std::to_string(t.minute) + ":" + std::to_string(t.second) + " description=" + visible(t.description) +
           " dueKey=" + visible(t.dueKey) + " deleted=" + visible(t.deleted) + " uid=" + visible(t.uid);
}

std::string describe(const AlertRule& r)
{
    return "value=" + std::to_string(r.value) + " unit=" + visible(r.unit) + " color=" + std::to_string(r.color) +
           " popup=" + std::to_string(r.popup);
}

[[noreturn]] void fail(const std::string& what, const std::string& expected, const std::string& actual)
{
    std::fprintf(stderr, "task file round trip: %s\n  expected: %s\n  actual:   %s\n", what.c_str(), expected.c_str(),
                 actual.c_str());
    std::abort();
}

template <typename Record, std::size_t Slots>
void compareTable(const char* name, const std::array<Record, Slots>& first, int firstCount,
                  const std::array<Record, Slots>& reread, int rereadCount)
{
    if (firstCount != rereadCount)
        fail(std::string(name) + " count differs after save and read", std::to_string(firstCount),
             std::to_string(rereadCount));
    for (std::size_t slot = 0; slot < static_cast<std::size_t>(firstCount); ++slot) {
        const Record expected = expectedAfterSave(first[slot]);
        if (!(expected == reread[slot]))
            fail(std::string(name) + " slot " + std::to_string(slot) + " differs after save and read",
                 describe(expected), describe(reread[slot]));
    }
}

void checkRoundTrip(std::string_view input)
{
    const auto first = std::make_unique<Module1>();
    readTaskFileText(input, *first);
    const std::string saved = taskFileText(*first);

    const auto reread = std::make_unique<Module1>();
    const LoadReport report = readTaskFileText(saved, *reread);
    if (report.olderEncoding || report.tasksLeftOut != 0 || report.rulesLeftOut != 0)
        fail("a saved file must read back whole and as UTF-8", "no notice",
             "olderEncoding=" + std::to_string(report.olderEncoding) + " tasksLeftOut=" +
                 std::to_string(report.tasksLeftOut) + " rulesLeftOut=" + std::to_string(report.rulesLeftOut));
    compareTable("task", first->taskList, first->taskCount, reread->taskList, reread->taskCount);
    compareTable("rule", first->ruleList, first->ruleCount, reread->ruleList, reread->ruleCount);

    const std::string savedAgain = taskFileText(*reread);
    const std::string expectedAgain = withoutTrailingSpacesOnLines(saved);
    if (savedAgain != expectedAgain)
        fail("a second save gives other bytes than the first", visible(expectedAgain), visible(savedAgain));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    checkRoundTrip(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
