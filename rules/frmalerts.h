#pragma once

#include "store/module1.h"

#include <QDialog>

#include <cstdint>

class QCheckBox;
class QFrame;
class QGroupBox;
class QLineEdit;
class QPushButton;

// "Colors & Alerts": shows one rule of the rule table at a time and edits it in place.
// The shown rule's number lives in lblID's text. One instance lives for the whole run.
class frmAlerts : public QDialog
{
    Q_OBJECT

public:
    // Ok saves and accepts: the caller redraws its list then.
    frmAlerts(Module1& store, QWidget* parent);

    void drawAlert(std::int16_t Index);
    // Whether the last Ok wrote the user's change, rather than take another program's version.
    bool changeSaved() const { return changeSaved_; }

    // Esc and the close box: both act as Cancel, so no unsaved change lingers in the tables.
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::int16_t shownNumber() const;
    AlertRule* shownRule();
    void createControls();
    void createRuleControls();
    void connectControls();
    void paintSwatch(std::int32_t color);
    void backClicked();
    void nextClicked();
    void newClicked();
    void deleteClicked();
    void selectClicked();
    void okClicked();

    Module1& store_;
    bool changeSaved_ = false;

    QGroupBox* Frame1 = nullptr;
    QPushButton* cmdBack = nullptr;
    QLineEdit* lblID = nullptr;
    QPushButton* cmdNext = nullptr;
    QPushButton* cmdNew = nullptr;
    QLineEdit* txtInterval = nullptr;
    QFrame* pctColor = nullptr;
    QPushButton* cmdSelect = nullptr;
    QCheckBox* chkAlert = nullptr;
    QPushButton* cmdDelete = nullptr;
    QPushButton* cmdOk = nullptr;
    QPushButton* cmdCancel = nullptr;
};
