#pragma once

// Stores filled for a test or a benchmark: the tables copied in from the front, counts set to match.
// Free of any test framework, so that tests, benchmarks and fuzzers share them.

#include "store/module1.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace testsupport {

inline void setTasks(Module1& store, const std::vector<TaskRecord>& tasks)
{
    std::copy(tasks.begin(), tasks.end(), store.taskList.begin());
    store.taskCount = static_cast<std::int16_t>(tasks.size());
}

inline void setRules(Module1& store, const std::vector<AlertRule>& rules)
{
    std::copy(rules.begin(), rules.end(), store.ruleList.begin());
    store.ruleCount = static_cast<std::int16_t>(rules.size());
}

// On the heap: both tables together are too large for a test's stack.
inline std::unique_ptr<Module1> storeWith(const std::vector<TaskRecord>& tasks,
                                          const std::vector<AlertRule>& rules = {},
                                          const std::filesystem::path& file = "tasks.txt")
{
    auto store = std::make_unique<Module1>(file);
    setTasks(*store, tasks);
    setRules(*store, rules);
    return store;
}

// The titles of the first `count` slots, used or not.
inline std::vector<std::string> slotTitles(const Module1& store, int count)
{
    std::vector<std::string> titles;
    for (int i = 0; i < count; ++i)
        titles.push_back(store.taskList[static_cast<std::size_t>(i)].title);
    return titles;
}

} // namespace testsupport
