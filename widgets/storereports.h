#pragma once

#include "store/module1.h"

class QWidget;

// Writes the tables and reads the file back. After a failed save nothing is read back, so the
// change stays in memory; false then, after the user was told why.
[[nodiscard]] bool saveAndReadBack(QWidget* parent, Module1& store);
// Reads the file back, dropping every change not saved; only a failure is told.
void readBack(QWidget* parent, Module1& store);

// Shows why a save failed, or what the user should know about one that worked; true when it worked.
[[nodiscard]] bool reportSave(QWidget* parent, const SaveReport& report);
// Shows why a load failed, and what the user should know about a file that did load.
void reportLoad(QWidget* parent, const LoadReport& report);
// Shows why a load failed; notices about a file that did load were given when the program started.
void reportLoadFailure(QWidget* parent, const LoadReport& report);
