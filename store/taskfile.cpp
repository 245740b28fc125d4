// The task file: the text saveTasks writes and the line reader loadTasks applies to it.
#include "store/taskfile.h"

#include "store/duetext.h"
#include "store/number.h"
#include "store/textcodec.h"
#include "store/uuid.h"

#include <cstdint>
#include <string_view>
#include <unordered_set>

namespace {

constexpr std::string_view crlf = "\r\n";
constexpr std::string_view lineBreakMarker = "|~";
constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";

std::string replaceAll(std::string_view text, std::string_view from, std::string_view to)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t pos = 0;;) {
        const std::size_t hit = text.find(from, pos);
        out.append(text.substr(pos, hit - pos));
        if (hit == std::string_view::npos)
            return out;
        out.append(to);
        pos = hit + from.size();
    }
}

// A CR or LF would end the line early and let the rest be read as keys of its own.
std::string oneLine(std::string_view text)
{
    std::string out(text);
    for (char& c : out) {
        if (c == '\r' || c == '\n')
            c = ' ';
    }
    return out;
}

// A lone CR would end the description's line on reading; stored as a line break it survives.
std::string crToLineBreak(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        out += text[i];
        if (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n'))
            out += '\n';
    }
    return out;
}

// A lone LF may end a uid read from a CR file; saved, it becomes a space that the next read trims.
// Taken in that form at once, two uids that would merge on saving count as one from the start.
std::string uidAsSaved(std::string_view value)
{
    std::string uid = oneLine(value);
    uid.erase(uid.find_last_not_of(' ') + 1);
    return uid;
}

class LineWriter
{
public:
    void line(std::string_view text = {})
    {
        out_.append(text);
        out_.append(crlf);
    }
    void field(std::string_view key, std::string_view value)
    {
        out_.append(key);
        out_ += '=';
        line(value);
    }
    void field(std::string_view key, std::int64_t value) { field(key, std::to_string(value)); }
    std::string take() { return std::move(out_); }

private:
    std::string out_;
};

void writeTask(LineWriter& w, const TaskRecord& task)
{
    w.field("ttl", oneLine(task.title));
    w.field("for", oneLine(task.forWhom));
    w.field("day", task.day);
    w.field("mon", task.month);
    w.field("yea", task.year);
    w.field("hou", task.hour);
    w.field("min", task.minute);
    w.field("sec", task.second);
    w.field("del", oneLine(task.deleted));
    w.field("des", escapeLineBreaks(crToLineBreak(task.description)));
    // Only tasks that left the file have one, so a file never exported keeps its bytes.
    if (!task.uid.empty())
        w.field("uid", oneLine(task.uid));
    w.line("act=addtask");
    w.line();
}

void writeRule(LineWriter& w, const AlertRule& rule)
{
    w.field("val", rule.value);
    w.field("unt", oneLine(rule.unit));
    w.field("clr", rule.color);
    w.line(rule.popup ? "alr=on" : "alr=off");
    w.line("act=addalert");
    w.line();
}

// Lines end at CR or CR LF; a lone LF belongs to its line. A file without any CR (converted
// by another tool) uses LF instead, or it would read as one comment line and lose every task.
class LineSplitter
{
public:
    explicit LineSplitter(std::string_view text)
        : text_(text), end_(text.find('\r') == std::string_view::npos ? '\n' : '\r')
    {
    }
    bool next(std::string_view& line)
    {
        if (pos_ >= text_.size())
            return false;
        const std::size_t stop = std::min(text_.find(end_, pos_), text_.size());
        line = text_.substr(pos_, stop - pos_);
        pos_ = stop + 1;
        if (end_ == '\r' && pos_ < text_.size() && text_[pos_] == '\n')
            ++pos_;
        return true;
    }

private:
    std::string_view text_;
    char end_;
    std::size_t pos_ = 0;
};

std::string_view trimSpaces(std::string_view line)
{
    const std::size_t first = line.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return {};
    return line.substr(first, line.find_last_not_of(' ') - first + 1);
}

// The values a block sets; they carry over to the next block of its kind when a key is missing.
struct Pending
{
    TaskRecord task;
    AlertRule rule;
};

class Reader
{
public:
    Reader(Module1& store, LoadReport& report) : store_(store), report_(report) {}

    void line(std::string_view raw)
    {
        const std::string_view line = trimSpaces(raw);
        if (line.empty() || line.front() == ';' || line.front() == '[')
            return;
        const std::string_view key = line.substr(0, utf8Prefix(line, 3));
        const std::string_view value = line.substr(utf8Prefix(line, 4));
        take(key, value);
    }

private:
    void take(std::string_view key, std::string_view value)
    {
        TaskRecord& task = pending_.task;
        AlertRule& rule = pending_.rule;
        if (key == "del")
            task.deleted = value;
        else if (key == "ttl")
            task.title = value;
        else if (key == "for")
            task.forWhom = value;
        else if (key == "des")
            task.description = value;
        else if (key == "val")
            rule.value = numberOfText<std::int16_t>(value);
        else if (key == "unt")
            rule.unit = value;
        else if (key == "clr")
            rule.color = numberOfText<std::int32_t>(value);
        else if (key == "alr")
            rule.popup = value == "on" ? popupOn : 0;
        else if (key == "day")
            task.day = numberOfText<std::int16_t>(value);
        else if (key == "mon")
            task.month = numberOfText<std::int16_t>(value);
        else if (key == "yea")
            task.year = numberOfText<std::int16_t>(value);
        else if (key == "hou")
            task.hour = numberOfText<std::int16_t>(value);
        else if (key == "min")
            task.minute = numberOfText<std::int16_t>(value);
        else if (key == "sec")
            task.second = numberOfText<std::int16_t>(value);
        else if (key == "uid")
            uid_ = uidAsSaved(value);
        else if (key == "act")
            commit(value);
    }

    // Unlike the other values, a uid belongs to its own block and never carries over.
    void commit(std::string_view action)
    {
        if (action == "addalert")
            commitRule();
        else
            commitTask();
        uid_.clear();
    }

    void commitRule()
    {
        if (store_.ruleTableFull()) {
            ++report_.rulesLeftOut;
            return;
        }
        store_.ruleList[static_cast<std::size_t>(store_.ruleCount++)] = pending_.rule;
    }

    void commitTask()
    {
        if (store_.taskTableFull()) {
            ++report_.tasksLeftOut;
            return;
        }
        TaskRecord& slot = store_.taskList[static_cast<std::size_t>(store_.taskCount++)];
        slot = pending_.task;
        slot.description = unescapeLineBreaks(pending_.task.description);
        slot.dueKey = dueKey(slot);
        slot.uid = uniqueUid();
    }

    // Two blocks with one uid (a block copied by hand, say): the later one gets a new identity.
    std::string uniqueUid()
    {
        if (uid_.empty())
            return {};
        if (uidsSeen_.insert(uid_).second)
            return uid_;
        ++report_.uidsRenewed;
        std::string fresh = newUuid();
        uidsSeen_.insert(fresh);
        return fresh;
    }

    Module1& store_;
    LoadReport& report_;
    Pending pending_;
    std::string uid_;
    std::unordered_set<std::string> uidsSeen_;
};

} // namespace

std::string escapeLineBreaks(std::string_view text)
{
    return replaceAll(text, crlf, lineBreakMarker);
}

std::string unescapeLineBreaks(std::string_view text)
{
    return replaceAll(text, lineBreakMarker, crlf);
}

std::string taskFileText(const Module1& store)
{
    LineWriter w;
    w.line("; Taskwyn");
    w.line("; ----------");
    w.line("; Tasks and settings");
    w.line("; DO NOT MODIFY THIS FILE");
    w.line();
    w.line("[Tasks]");
    w.line();
    for (const TaskRecord& task : store.tasks())
        writeTask(w, task);
    w.line("[Alerts]");
    w.line();
    for (const AlertRule& rule : store.rules())
        writeRule(w, rule);
    w.line();
    return w.take();
}

LoadReport readTaskFileText(std::string_view bytes, Module1& store)
{
    LoadReport report;
    std::string decoded;
    if (bytes.starts_with(byteOrderMark) && isStrictUtf8(bytes)) {
        bytes.remove_prefix(byteOrderMark.size());
    } else if (!isStrictUtf8(bytes)) {
        decoded = cp1252ToUtf8(bytes);
        bytes = decoded;
        report.olderEncoding = true;
    }
    store.taskCount = 0;
    store.ruleCount = 0;
    Reader reader(store, report);
    LineSplitter lines(bytes);
    for (std::string_view line; lines.next(line);)
        reader.line(line);
    return report;
}

bool taskFileHoldsUid(std::string_view uid)
{
    const auto control = [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7f; };
    return isStrictUtf8(uid) && std::none_of(uid.begin(), uid.end(), control) && !uid.ends_with(' ');
}
