#include "messages.h"

#include <QMessageBox>

void showFileError(QWidget* parent, const std::string& message)
{
    QMessageBox::warning(parent, QStringLiteral("Taskwyn"), QString::fromStdString(message));
}

void showFileNotice(QWidget* parent, const std::string& message)
{
    QMessageBox::information(parent, QStringLiteral("Taskwyn"), QString::fromStdString(message));
}
