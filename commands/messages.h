#pragma once

class QString;
class QWidget;

// Tells the user that reading or writing a file failed, or something worth knowing about a file.
void showFileError(QWidget* parent, const QString& message);
void showFileNotice(QWidget* parent, const QString& message);
