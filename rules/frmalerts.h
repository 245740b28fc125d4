#pragma once

#include "store/module1.h"

#include <QDialog>

#include <cstdint>
#include <span>
#include <vector>

class QCheckBox;
class QFrame;
class QGroupBox;
class QLineEdit;
class QPushButton;

// "Colors & Alerts": shows one rule of a copy of the rule table at a time and edits it; Ok hands the
// copy back. The shown rule's number lives in lblID's text. One instance lives for the whole run.
class frmAlerts : public QDialog
{
    Q_OBJECT

public:
    // Ok accepts: the caller makes the change from rules(). Cancel reads the file back.
    frmAlerts(Module1& store, QWidget* parent);

    // Starts on a copy of `rules` and shows the first. The editor always shows a rule: with none,
    // it starts on a new one.
    void prepare(std::span<const AlertRule> rules);
    // The rule table as the user has made it so far.
    const std::vector<AlertRule>& rules() const { return rules_; }

    // Esc and the close box: both act as Cancel.
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void drawAlert(std::int16_t Index);
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

    Module1& store_;
    std::vector<AlertRule> rules_;

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
