#pragma once

#include <string>

class QWidget;

// Tells the user that reading or writing a file failed, or something worth knowing about a file.
void showFileError(QWidget* parent, const std::string& message);
void showFileNotice(QWidget* parent, const std::string& message);
