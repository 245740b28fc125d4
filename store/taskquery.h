#pragma once

#include "store/records.h"

#include <string>
#include <string_view>
#include <vector>

// What a find field asks for: the tasks whose title, For or description hold every word typed, in
// any order, ignoring case and accents ("cafe" finds "Café").
class TaskQuery
{
public:
    TaskQuery() = default;
    // Words are separated by white space.
    explicit TaskQuery(std::string_view typed);

    // No words: every task matches.
    bool empty() const { return words_.empty(); }
    bool matches(const TaskRecord& task) const;

private:
    std::vector<std::string> words_; // folded for search
};
