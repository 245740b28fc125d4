#pragma once

// Helpers shared by the iCalendar tests: the clock and time zone they pin, and imports into a store.

#include "ical/exchange.h"
#include "os/tests/filetesting.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <memory>
#include <string>

namespace icaltesting {

inline constexpr std::time_t pinnedNow = 1797033600; // 2026-12-12 00:00:00 UTC

inline std::string fixture(std::string_view name)
{
    return testsupport::readBytes(std::filesystem::path(TASKWYN_ICAL_CORPUS) / name);
}

// The wall clock the mapping converts to; every test that depends on it sets it.
inline void useLocalZone(const char* zone)
{
    ::setenv("TZ", zone, 1);
    tzset();
}

inline std::unique_ptr<Module1> importedStore(std::string_view ics, ical::ImportSummary* summary = nullptr)
{
    auto store = std::make_unique<Module1>();
    const ical::ImportPlan plan = ical::planImport(*store, ical::readCalendar(ics));
    store->appendTasks(plan.tasks);
    if (summary)
        *summary = plan.summary;
    return store;
}

} // namespace icaltesting
