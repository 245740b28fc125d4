#include "ical/component.h"

#include "ical/vtodo.h"

#include <algorithm>
#include <cstdlib>

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

} // namespace

Component parse(std::string_view text)
{
    keepErrorsNonFatal();
    // libical reads a C string: a NUL would end it early, so the text is cut there the same way.
    const std::string owned(text.substr(0, text.find('\0')));
    return Component(icalparser_parse_string(owned.c_str()));
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
