#pragma once

#include "os/fileerror.h"
#include "store/calendar.h"

#include <optional>
#include <string>

class Module1;

// The page's own words, in English unless the window gives them in the user's language. The date
// keeps its English month names, as everywhere.
struct PageWords
{
    std::string title = "Alerts";
    std::string heading = "Attention!";
    std::string forLabel = "For: ";
    std::string dueLabel = "Due: ";
    std::string at = " at ";
    std::string daysLeft = "%1 days left";   // %1: the number of days
    std::string oneDayLeft = "%1 days left"; // for languages that say one day otherwise
    std::string today = "Today!";
    std::string late = "Late!";
};

// The attention page for `today`: the tasks that a rule with popup set puts on it, earliest due
// first. Sorts the store by due date (earliest first), as the list's next redraw will show, and may
// write a month of 0 back as 1, as the date text does everywhere.
std::string attentionPageText(Module1& store, DayNumber today, const PageWords& words = {});

// Why makepage wrote no page.
struct PageFailure
{
    std::optional<FileFailure> file; // nothing when no home folder was found to keep the page in
    bool operator==(const PageFailure&) const = default;
};

// The alert page object. It holds nothing; the main window keeps one for the run.
class frmStartup
{
public:
    // Writes the attention page to alertPagePath(). Returns why it could not be written.
    [[nodiscard]] std::optional<PageFailure> makepage(Module1& store, const PageWords& words = {});
};
