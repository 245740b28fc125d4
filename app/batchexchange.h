#pragma once

#include "app/commandline.h"

#include <cstdio>
#include <functional>

class Module1;

// The export and import of the command line: through the store as the window goes, the conflict
// check included, so that a window open on the same file follows. Each returns the exit status and
// tells a failure on standard error.
int exportTasks(const ExportTasks& request);
int importTasks(const ImportTasks& request);

// Shared by the answers given without a window.
// Writes `message` and a line end, unless it is empty.
void tell(std::FILE* stream, const QString& message);
// Tells `message` on standard error; the exit status of a failure.
int failed(const QString& message);
// Reads the task file and hands the tables to `work`, whose exit status it returns; a file that
// cannot be read ends it. Notices about a file that was read are told on the way.
int withLoadedStore(const std::filesystem::path& taskFile, const std::function<int(Module1& store)>& work);
