#include "widgets/messages.h"

#include <QCoreApplication>
#include <QMessageBox>

void showFileError(QWidget* parent, const std::string& message)
{
    QMessageBox::warning(parent, QCoreApplication::applicationName(), QString::fromStdString(message));
}

void showFileNotice(QWidget* parent, const std::string& message)
{
    QMessageBox::information(parent, QCoreApplication::applicationName(), QString::fromStdString(message));
}
