#pragma once

#include "app/commandline.h"

#include <QIcon>

#include <memory>

class QCoreApplication;

// The program's icon, built in, so that the window has it when the program is not installed.
QIcon applicationIcon();

// Whether a window system is there to be opened: without one, Qt would abort the program.
bool windowSystemAvailable();
// Whether answering `request` opens the window system: the main window does, and a refusal shows a
// box as well where it can; everything else is answered on the terminal alone.
bool needsWindowSystem(const StartRequest& request);
// The application object that answers `request`: with the window system where it needs one.
std::unique_ptr<QCoreApplication> createApplication(int& argc, char* argv[], const StartRequest& request);

// The program's name, version and translations, for every kind of start.
void setUpApplication(QCoreApplication& app);
// Says why the task file named on the command line cannot be used, on standard error and, when there
// is a window system, in a box; returns the exit status.
int refuseTaskFile(const FileFailure& failure);
