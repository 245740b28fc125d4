#pragma once

#include "store/module1.h"

#include <filesystem>

class QWidget;

// Asks what to do about a task file that was changed elsewhere since it was read: take the other
// version or overwrite it. Enter and Esc take the other version, which leaves the file alone.
ConflictChoice askConflict(QWidget* parent, const std::filesystem::path& file);

// How a save that may have met another version ended.
enum class SaveOutcome {
    Saved,             // the tables were written
    OtherVersionTaken, // the user took the other version: the tables hold it, theirs is in a conflict file
    NotSaved,          // nothing was written, and the user was told why; the change stays on screen
};

// Writes the tables. When the file was changed elsewhere, the user chooses which version goes on;
// the other is kept in a conflict file, and after taking the other version the tables hold it.
[[nodiscard]] SaveOutcome saveTasksAsking(QWidget* parent, Module1& store);

// Writes the tables (asking as saveTasksAsking does) and reads the file back. After a failed save
// nothing is read back, so the change stays in memory.
[[nodiscard]] SaveOutcome saveAndReadBack(QWidget* parent, Module1& store);
// Reads the file back, dropping every change not saved; only a failure is told.
void readBack(QWidget* parent, Module1& store);

// Shows why a save failed, or what the user should know about one that worked; true when it worked.
[[nodiscard]] bool reportSave(QWidget* parent, const SaveReport& report);
// Shows why a load failed, and what the user should know about a file that did load.
void reportLoad(QWidget* parent, const LoadReport& report);
// Shows why a load failed; notices about a file that did load were given when the program started.
void reportLoadFailure(QWidget* parent, const LoadReport& report);
