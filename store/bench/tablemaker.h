#pragma once

// Both tables full of realistic content, for the benchmarks of every layer.

#include "store/module1.h"
#include "store/popups.h"
#include "store/taskfile.h"

#include <array>
#include <filesystem>
#include <memory>
#include <random>
#include <string>

namespace benchsupport {

// Realistic, varied content: mixed case, accents, dates across decades, multi-line descriptions.
class TableMaker
{
public:
    std::unique_ptr<Module1> make(const std::filesystem::path& file)
    {
        auto store = std::make_unique<Module1>(file);
        for (int i = 0; i < Module1::taskSlots; ++i)
            store->taskList[static_cast<std::size_t>(i)] = task(i);
        for (int i = 0; i < Module1::ruleSlots; ++i)
            store->ruleList[static_cast<std::size_t>(i)] = rule();
        store->taskCount = Module1::taskSlots;
        store->ruleCount = Module1::ruleSlots;
        // Reading the text back gives every record the dueKey that only the reader builds.
        readTaskFileText(taskFileText(*store), *store);
        return store;
    }

private:
    template <std::size_t N> const char* pick(const std::array<const char*, N>& words)
    {
        return words[std::uniform_int_distribution<std::size_t>(0, N - 1)(random_)];
    }
    int between(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }

    TaskRecord task(int number)
    {
        static constexpr std::array verbs = {"Call",   "review", "Prepare", "send",  "Fix",   "book",
                                             "Écrire", "order",  "Plan",    "check", "Renew", "pay"};
        static constexpr std::array things = {"the quarterly report",
                                              "invoice",
                                              "dentist appointment",
                                              "flight to Zürich",
                                              "Café order",
                                              "car insurance",
                                              "budget draft",
                                              "birthday present",
                                              "server backup",
                                              "Tax return",
                                              "slides"};
        static constexpr std::array names = {"Anna",  "bob",          "José Müller", "Zoë",    "Team", "me",
                                             "Ørjan", "Mrs. O'Neill", "accounts",    "Émilie", ""};
        TaskRecord t;
        t.title = std::string(pick(verbs)) + " " + pick(things) + " #" + std::to_string(number);
        t.forWhom = pick(names);
        t.year = static_cast<std::int16_t>(between(1998, 2030));
        t.month = static_cast<std::int16_t>(between(0, 12));
        t.day = static_cast<std::int16_t>(between(1, 31));
        t.hour = static_cast<std::int16_t>(between(0, 23));
        t.minute = static_cast<std::int16_t>(between(0, 59));
        t.second = static_cast<std::int16_t>(between(0, 59) / 30 * 30);
        t.description = description();
        t.deleted = between(0, 9) == 0 ? "Y" : between(0, 1) == 0 ? "N" : "";
        return t;
    }

    std::string description()
    {
        static constexpr std::array sentences = {"Ask about the new figures before Friday.",
                                                 "Bring the signed copy.",
                                                 "Price went up to 120 €.",
                                                 "See the mail from last week | notes ~ attached.",
                                                 "Call back if nobody answers.",
                                                 "Remember the café on the corner.",
                                                 "Two copies, one for accounts."};
        std::string text;
        for (int line = between(0, 5); line > 0; --line) {
            text += pick(sentences);
            if (line > 1)
                text += "\r\n";
        }
        return text;
    }

    AlertRule rule()
    {
        return {static_cast<std::int16_t>(between(-5, 60)), "d", between(0, 0xFFFFFF),
                static_cast<std::int16_t>(between(0, 1) == 0 ? popupOn : 0)};
    }

    std::mt19937 random_{20030905};
};

} // namespace benchsupport
