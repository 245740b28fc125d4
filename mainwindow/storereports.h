#pragma once

#include "module1.h"

class QWidget;

// Shows why a save failed, or what the user should know about one that worked; true when it worked.
bool reportSave(QWidget* parent, const SaveReport& report);
// Shows why a load failed, and what the user should know about a file that did load.
void reportLoad(QWidget* parent, const LoadReport& report);
// Shows why a load failed; notices about a file that did load were given when the program started.
void reportLoadFailure(QWidget* parent, const LoadReport& report);
