#pragma once

#include "store/calendar.h"

#include <optional>
#include <string>

class Module1;

// The attention page for `today`: the tasks that a rule with popup set puts on it, earliest due
// first. Sorts the store by due date (earliest first), as the list's next redraw will show, and may
// write a month of 0 back as 1, as the date text does everywhere.
std::string attentionPageText(Module1& store, DayNumber today);

// The alert page object. It holds nothing; the main window keeps one for the run.
class frmStartup
{
public:
    // Writes the attention page to alertPagePath(). Returns why it could not be written.
    [[nodiscard]] std::optional<std::string> makepage(Module1& store);
};
