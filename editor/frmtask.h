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

// "New / Edit task": edits one record of the task table in place, field by field, as the user types.
// One instance lives for the whole run; prepare fills it again before each modal show.
class frmTask : public QDialog
{
    Q_OBJECT

public:
    // Ok saves, reads the file back and accepts: the caller redraws its list then.
    frmTask(Module1& store, QWidget* parent);

    // The task number (slot + 1) being edited; -1 after Cancel.
    std::int16_t selected() const { return selected_; }

    void prepare(std::int16_t Index);
    // Whether the last Ok wrote the user's change, rather than take another program's version.
    bool changeSaved() const { return changeSaved_; }

    // Esc and the close box: both act as Cancel, so no unsaved change lingers in the tables.
    void reject() override;

private:
    TaskRecord* editedTask();
    void createControls();
    void connectFields();
    void bindText(QLineEdit* box, std::string TaskRecord::*field);
    void bindNumber(QLineEdit* box, std::int16_t TaskRecord::*field);
    void descriptionChanged();
    void okClicked();

    Module1& store_;
    bool changeSaved_ = false;
    std::int16_t selected_ = 0;

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
