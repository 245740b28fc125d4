#pragma once

class QDialog;
class QString;
class QWidget;

// A dialog with a fixed border and only a close box, whose client area is the given size in twips.
void makeFixedDialog(QDialog& dialog, const QString& caption, int widthTwips, int heightTwips);

// Places a control at a position and size given in twips, relative to its parent.
void placeTwips(QWidget& control, int left, int top, int width, int height);

// The dialogs were laid out for a narrower font than most desktops use. Shrinks the dialog's font
// until every label and button caption fits the width it was given, so that none is cut off.
void fitFontToCaptions(QWidget& dialog);
