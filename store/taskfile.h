#pragma once

#include "store/module1.h"

#include <string>
#include <string_view>

// The text that saveTasks writes, and the reader over such a text (exposed for tests and fuzzing).
std::string taskFileText(const Module1& store);
LoadReport readTaskFileText(std::string_view bytes, Module1& store);

// A description's line breaks as the one-line marker the file keeps them in, and back.
// Whether a uid reads back from the task file as it was written: one line of UTF-8 without control
// characters or trailing spaces.
bool taskFileHoldsUid(std::string_view uid);

std::string escapeLineBreaks(std::string_view text);
std::string unescapeLineBreaks(std::string_view text);
