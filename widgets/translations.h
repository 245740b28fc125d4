#pragma once

class QCoreApplication;

// Installs the program's catalogue and Qt's own for the user's locale (QLocale()), when there is one.
// English needs none: it is the source language.
void installTranslations(QCoreApplication& app);
