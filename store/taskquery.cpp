#include "store/taskquery.h"

#include "store/textcodec.h"

#include <algorithm>
#include <initializer_list>

namespace {

constexpr std::string_view whiteSpace = " \t\r\n\f\v";

} // namespace

TaskQuery::TaskQuery(std::string_view typed)
{
    std::string folded;
    appendFoldedForSearch(folded, typed);
    for (std::size_t start = folded.find_first_not_of(whiteSpace); start != std::string::npos;) {
        const std::size_t end = std::min(folded.find_first_of(whiteSpace, start), folded.size());
        words_.push_back(folded.substr(start, end - start));
        start = folded.find_first_not_of(whiteSpace, end);
    }
}

bool TaskQuery::matches(const TaskRecord& task) const
{
    if (words_.empty())
        return true;
    // One text for the three fields: a word holds no line break, so none can match across two.
    std::string fields;
    fields.reserve(task.title.size() + task.forWhom.size() + task.description.size() + 2);
    for (const std::string* field : {&task.title, &task.forWhom, &task.description}) {
        appendFoldedForSearch(fields, *field);
        fields += '\n';
    }
    return std::all_of(words_.begin(), words_.end(),
                       [&fields](const std::string& word) { return fields.find(word) != std::string::npos; });
}
