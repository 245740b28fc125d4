#pragma once

#include "store/module1.h"

#include <QDialog>

#include <array>
#include <cstdint>
#include <string>

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// "New / Edit task": edits a copy of one task, field by field, as the user types; Ok hands it back.
// One instance lives for the whole run; prepare fills it again before each modal show.
class frmTask : public QDialog
{
    Q_OBJECT

public:
    // Ok accepts: the caller makes the change from task(). Cancel reads the file back.
    frmTask(Module1& store, QWidget* parent);

    void prepare(const TaskRecord& task);
    // The task as the boxes hold it now.
    const TaskRecord& task() const { return task_; }

    // Esc and the close box: both act as Cancel.
    void reject() override;

private:
    void createControls();
    void connectFields();
    void bindText(QLineEdit* box, std::string TaskRecord::*field);
    void bindNumber(QLineEdit* box, std::int16_t TaskRecord::*field);
    void descriptionChanged();

    Module1& store_;
    TaskRecord task_;

    QLineEdit* txtTitle = nullptr;
    QLineEdit* txtFor = nullptr;
    QLineEdit* txtDay = nullptr;
    QComboBox* lstMonth = nullptr;
    QLineEdit* txtYear = nullptr;
    QLineEdit* txtHour = nullptr;
    QLineEdit* txtMinute = nullptr;
    QLineEdit* txtSecond = nullptr;
    QPlainTextEdit* txtDescript = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    std::array<QLabel*, 2> Label7{};
};
