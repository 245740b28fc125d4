#pragma once

#include "app/commandline.h"

// The export and import of the command line: through the store as the window goes, the conflict
// check included, so that a window open on the same file follows. Each returns the exit status and
// tells a failure on standard error.
int exportTasks(const ExportTasks& request);
int importTasks(const ImportTasks& request);
