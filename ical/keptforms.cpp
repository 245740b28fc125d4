#include "ical/keptforms.h"

#include "ical/component.h"
#include "os/atomicfile.h"
#include "os/privatefile.h"
#include "os/xdgdirs.h"

namespace ical {

namespace {

// Well above a full table's forms; a larger file is refused rather than exhausting memory.
constexpr std::size_t largestFormsFile = std::size_t{256} << 20;

} // namespace

std::filesystem::path KeptForms::defaultFile()
{
    return stateHome() / "taskwyn" / "icalendar-forms.ics";
}

KeptForms::KeptForms(std::filesystem::path file) : file_(std::move(file)) {}

std::optional<FileFailure> KeptForms::load()
{
    const FileContent content = readWholeFile(file_, largestFormsFile);
    if (content.failure)
        return content.failure;
    forms_.clear();
    if (!content.bytes)
        return std::nullopt;
    const Component root = parse(*content.bytes);
    for (icalcomponent* calendar : calendarsIn(root.get())) {
        icalcomponent* todo = masterTodo(calendar);
        const char* uid = todo ? icalcomponent_get_uid(todo) : nullptr;
        if (uid && *uid)
            forms_[uid] = textOf(calendar);
    }
    return std::nullopt;
}

std::optional<FileFailure> KeptForms::save() const
{
    std::string text;
    for (const auto& [uid, calendar] : forms_)
        text += calendar;
    return writePrivateFile(file_, text);
}

std::optional<FileFailure> KeptForms::add(const std::vector<std::pair<std::string, std::string>>& forms)
{
    const KeptForms before = *this;
    std::optional<FileFailure> failure = load();
    if (!failure) {
        for (const auto& [uid, calendar] : forms)
            put(uid, calendar);
        failure = save();
    }
    if (failure)
        *this = before;
    return failure;
}

const std::string* KeptForms::find(std::string_view uid) const
{
    const auto found = forms_.find(uid);
    return found == forms_.end() ? nullptr : &found->second;
}

void KeptForms::put(const std::string& uid, std::string calendar)
{
    forms_[uid] = std::move(calendar);
}

} // namespace ical
