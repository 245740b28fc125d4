#pragma once

// Helpers shared by the store's tests: fixtures and records, on top of the file helpers.

#include "os/fileerror.h"
#include "os/tests/filetesting.h"
#include "store/records.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <ostream>
#include <string>
#include <string_view>

namespace testsupport {

namespace fs = std::filesystem;

inline std::string fixture(std::string_view name)
{
    return readBytes(fs::path(TASKWYN_STORE_TEST_DATA) / name);
}

// Each line followed by CR LF, as the writer ends every line.
inline std::string crlfLines(std::initializer_list<std::string_view> lines)
{
    std::string text;
    for (std::string_view line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

// Names the rows of a data-driven test by their `name` field.
template <typename Case> std::string caseName(const testing::TestParamInfo<Case>& row)
{
    return row.param.name;
}

inline TaskRecord task(std::string title, std::string forWhom = {}, std::int16_t year = 2003, std::int16_t month = 1,
                       std::int16_t day = 1, std::int16_t hour = 0, std::int16_t minute = 0)
{
    TaskRecord t;
    t.title = std::move(title);
    t.forWhom = std::move(forWhom);
    t.year = year;
    t.month = month;
    t.day = day;
    t.hour = hour;
    t.minute = minute;
    return t;
}

} // namespace testsupport

// A failure as a failed check shows it: what was being done, where, and why.
inline void PrintTo(const FailureReason& reason, std::ostream* os)
{
    *os << "{kind " << static_cast<int>(reason.kind) << ", errno " << reason.error << ", file kind "
        << static_cast<int>(reason.fileKind) << ", " << reason.limitMiB << " MiB}";
}

inline void PrintTo(const FileFailure& failure, std::ostream* os)
{
    *os << "{action " << static_cast<int>(failure.action) << ", " << failure.path << ", ";
    PrintTo(failure.reason, os);
    *os << "}";
}
