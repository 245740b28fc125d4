#include "ical/component.h"

#include "ical/vtodo.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdlib>
#include <cstring>

namespace ical {

namespace {

// libical's default would abort the program on some malformed input; a failure must stay a fact.
void keepErrorsNonFatal()
{
    static const bool once = [] {
        icalerror_set_errors_are_fatal(0);
        return true;
    }();
    (void)once;
}

// libical trims blanks from both ends of every value, which iCalendar keeps. The texts a task is
// made of are wrapped in a private-use mark before parsing and unwrapped after, so a title that
// begins with a space stays one. A value that ends in the mark is wrapped too, keeping it apart.
constexpr std::string_view blankGuard = "\xEE\x80\x80"; // U+E000
constexpr std::array guardedTexts{"SUMMARY", "CONTACT", "DESCRIPTION", "X-TASKWYN-DELETED"};

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool needsGuard(std::string_view value)
{
    return !value.empty() && (isBlank(value.front()) || isBlank(value.back()) || value.starts_with(blankGuard) ||
                              value.ends_with(blankGuard));
}

bool isGuardedName(std::string_view name)
{
    return std::ranges::any_of(guardedTexts, [name](std::string_view guarded) {
        return name.size() == guarded.size() &&
               std::equal(name.begin(), name.end(), guarded.begin(),
                          [](char a, char b) { return std::toupper(static_cast<unsigned char>(a)) == b; });
    });
}

// Where the value of a content line starts: after the first colon outside a quoted parameter.
std::size_t valueStart(std::string_view line)
{
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '"')
            quoted = !quoted;
        else if (line[i] == ':' && !quoted)
            return i + 1;
    }
    return std::string_view::npos;
}

void guardLine(std::string& line)
{
    const std::size_t start = valueStart(line);
    if (start == std::string_view::npos || !isGuardedName(line.substr(0, line.find_first_of(";:"))) ||
        !needsGuard(std::string_view(line).substr(start)))
        return;
    line.insert(start, blankGuard);
    // An escape left open at the end would take in the mark; libical drops such a backslash anyway.
    const std::size_t backslashes = line.size() - 1 - line.find_last_not_of('\\');
    if (backslashes % 2 == 1)
        line.pop_back();
    line += blankGuard;
}

// The content lines unfolded, so that a value's blanks are seen whole, and written out unfolded.
std::string withBlanksGuarded(std::string_view text)
{
    std::vector<std::string> lines;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        std::string_view physical = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        if (physical.ends_with('\r'))
            physical.remove_suffix(1);
        if (!lines.empty() && !physical.empty() && isBlank(physical.front()))
            lines.back().append(physical.substr(1));
        else
            lines.emplace_back(physical);
    }
    std::string guarded;
    for (std::string& line : lines) {
        guardLine(line);
        guarded += line;
        guarded += "\r\n";
    }
    return guarded;
}

std::string_view unguarded(std::string_view value)
{
    if (value.size() < 2 * blankGuard.size() || !value.starts_with(blankGuard) || !value.ends_with(blankGuard))
        return value;
    return value.substr(blankGuard.size(), value.size() - 2 * blankGuard.size());
}

void removeBlankGuards(icalcomponent* component)
{
    for (icalproperty* p = icalcomponent_get_first_property(component, ICAL_ANY_PROPERTY); p;
         p = icalcomponent_get_next_property(component, ICAL_ANY_PROPERTY)) {
        icalvalue* value = icalproperty_get_value(p);
        const char* name = icalproperty_get_property_name(p);
        if (!value || !name || !isGuardedName(name))
            continue;
        const bool isText = icalvalue_isa(value) == ICAL_TEXT_VALUE;
        const char* raw = isText ? icalvalue_get_text(value) : icalvalue_get_x(value);
        if (!raw || unguarded(raw).size() == std::strlen(raw))
            continue;
        const std::string bare(unguarded(raw));
        if (isText)
            icalvalue_set_text(value, bare.c_str());
        else
            icalvalue_set_x(value, bare.c_str());
    }
    for (icalcomponent* c = icalcomponent_get_first_component(component, ICAL_ANY_COMPONENT); c;
         c = icalcomponent_get_next_component(component, ICAL_ANY_COMPONENT))
        removeBlankGuards(c);
}

} // namespace

Component parse(std::string_view text)
{
    keepErrorsNonFatal();
    // libical reads a C string: a NUL would end it early, so the text is cut there the same way.
    Component parsed(icalparser_parse_string(withBlanksGuarded(text.substr(0, text.find('\0'))).c_str()));
    if (parsed)
        removeBlankGuards(parsed.get());
    return parsed;
}

std::string textOf(icalcomponent* component)
{
    char* raw = icalcomponent_as_ical_string_r(component);
    std::string text = raw ? raw : "";
    std::free(raw);
    return text;
}

std::vector<icalcomponent*> calendarsIn(icalcomponent* root)
{
    if (!root)
        return {};
    if (icalcomponent_isa(root) == ICAL_VCALENDAR_COMPONENT)
        return {root};
    if (icalcomponent_isa(root) == ICAL_XROOT_COMPONENT)
        return componentsOf(root, ICAL_VCALENDAR_COMPONENT);
    return {};
}

std::vector<icalcomponent*> componentsOf(icalcomponent* parent, icalcomponent_kind kind)
{
    std::vector<icalcomponent*> found;
    for (icalcomponent* c = icalcomponent_get_first_component(parent, kind); c;
         c = icalcomponent_get_next_component(parent, kind))
        found.push_back(c);
    return found;
}

icalcomponent* masterTodo(icalcomponent* calendar)
{
    const std::vector<icalcomponent*> todos = componentsOf(calendar, ICAL_VTODO_COMPONENT);
    const auto master = std::find_if(todos.begin(), todos.end(), [](icalcomponent* todo) {
        return icalcomponent_get_first_property(todo, ICAL_RECURRENCEID_PROPERTY) == nullptr;
    });
    if (master != todos.end())
        return *master;
    return todos.empty() ? nullptr : todos.front();
}

icalproperty* xProperty(icalcomponent* component, std::string_view name)
{
    for (icalproperty* p = icalcomponent_get_first_property(component, ICAL_X_PROPERTY); p;
         p = icalcomponent_get_next_property(component, ICAL_X_PROPERTY)) {
        const char* xName = icalproperty_get_x_name(p);
        if (xName && name == xName)
            return p;
    }
    return nullptr;
}

void removeProperties(icalcomponent* component, icalproperty_kind kind)
{
    while (icalproperty* p = icalcomponent_get_first_property(component, kind)) {
        icalcomponent_remove_property(component, p);
        icalproperty_free(p);
    }
}

void removeXProperties(icalcomponent* component, std::string_view name)
{
    while (icalproperty* p = xProperty(component, name)) {
        icalcomponent_remove_property(component, p);
        icalproperty_free(p);
    }
}

std::vector<std::string> timeZonesNamedIn(icalcomponent* component)
{
    std::vector<std::string> zones;
    for (icalproperty* p = icalcomponent_get_first_property(component, ICAL_ANY_PROPERTY); p;
         p = icalcomponent_get_next_property(component, ICAL_ANY_PROPERTY)) {
        if (icalparameter* tzid = icalproperty_get_first_parameter(p, ICAL_TZID_PARAMETER)) {
            if (const char* id = icalparameter_get_tzid(tzid))
                zones.emplace_back(id);
        }
    }
    for (icalcomponent* c = icalcomponent_get_first_component(component, ICAL_ANY_COMPONENT); c;
         c = icalcomponent_get_next_component(component, ICAL_ANY_COMPONENT)) {
        for (std::string& zone : timeZonesNamedIn(c))
            zones.push_back(std::move(zone));
    }
    return zones;
}

Component newCalendar()
{
    Component calendar(icalcomponent_new(ICAL_VCALENDAR_COMPONENT));
    icalcomponent_add_property(calendar.get(), icalproperty_new_version("2.0"));
    icalcomponent_add_property(calendar.get(), icalproperty_new_prodid(productId));
    return calendar;
}

void removeParseErrors(icalcomponent* component)
{
    removeProperties(component, ICAL_XLICERROR_PROPERTY);
    for (icalcomponent* c = icalcomponent_get_first_component(component, ICAL_ANY_COMPONENT); c;
         c = icalcomponent_get_next_component(component, ICAL_ANY_COMPONENT))
        removeParseErrors(c);
}

} // namespace ical
