#pragma once

#include <Qt>

#include <initializer_list>

class QDialog;
class QLabel;
class QPushButton;
class QString;
class QWidget;

// A dialog with a fixed border and only a close box, whose client area is the given size in twips.
void makeFixedDialog(QDialog& dialog, const QString& caption, int widthTwips, int heightTwips);

// Places a control at a position and size given in twips, relative to its parent.
void placeTwips(QWidget& control, int left, int top, int width, int height);

// A label or a button 255 twips high, placed in twips and named for tests.
QLabel* makeLabel(QWidget* parent, const char* name, const QString& caption, int left, int top, int width,
                  Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignTop);
QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption, int left, int top, int width);

// What a screen reader calls an input; `caption` is the objectName of the label beside it, if any,
// which becomes the input's buddy.
struct InputName
{
    QWidget* input;
    const char* name;
    const char* caption = nullptr;
};
void nameInputs(QWidget& dialog, std::initializer_list<InputName> inputs);

// A dialog or box that the code which opened it waits on (exec) is showing. What it decides is done
// when it closes and meets then what came meanwhile; one that was only opened waits for nobody.
bool answerAwaited();

// Tab moves through `controls` in this order.
void chainTabOrder(std::initializer_list<QWidget*> controls);

// The dialogs were laid out for a narrower font than most desktops use. Shrinks the dialog's font
// until every label and button caption fits the width it was given, so that none is cut off.
void fitFontToCaptions(QWidget& dialog);
