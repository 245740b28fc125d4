#include "commands/messages.h"

#include <QCoreApplication>
#include <QMessageBox>

void showFileError(QWidget* parent, const QString& message)
{
    QMessageBox::warning(parent, QCoreApplication::applicationName(), message);
}

void showFileNotice(QWidget* parent, const QString& message)
{
    QMessageBox::information(parent, QCoreApplication::applicationName(), message);
}
