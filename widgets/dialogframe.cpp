#include "widgets/dialogframe.h"

#include "widgets/twips.h"

#include <QApplication>
#include <QDialog>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>

namespace {

constexpr qreal smallestPointSize = 6.0;
constexpr qreal pointSizeStep = 0.25;
// What a button's frame and padding take from its width, both sides together.
constexpr int buttonPadding = 6;

bool captionsFit(const QWidget& dialog, const QFont& font)
{
    const QFontMetrics metrics(font);
    const auto labels = dialog.findChildren<QLabel*>();
    const bool labelsFit = std::all_of(labels.begin(), labels.end(), [&](const QLabel* label) {
        return metrics.horizontalAdvance(label->text()) <= label->width();
    });
    const auto buttons = dialog.findChildren<QPushButton*>();
    const bool buttonsFit = std::all_of(buttons.begin(), buttons.end(), [&](const QPushButton* button) {
        const QString caption = QString(button->text()).remove(u'&');
        return metrics.horizontalAdvance(caption) + buttonPadding <= button->width();
    });
    return labelsFit && buttonsFit;
}

} // namespace

void makeFixedDialog(QDialog& dialog, const QString& caption, int widthTwips, int heightTwips)
{
    dialog.setWindowTitle(caption);
    dialog.setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    dialog.setFixedSize(px(widthTwips), px(heightTwips));
    dialog.setModal(true);
}

void placeTwips(QWidget& control, int left, int top, int width, int height)
{
    control.setGeometry(twipsRect(left, top, width, height));
}

QLabel* makeLabel(QWidget* parent, const char* name, const QString& caption, int left, int top, int width,
                  Qt::Alignment alignment)
{
    auto* label = new QLabel(caption, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setAlignment(alignment);
    placeTwips(*label, left, top, width, 255);
    return label;
}

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption, int left, int top, int width)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    placeTwips(*button, left, top, width, 255);
    return button;
}

void nameInputs(QWidget& dialog, std::initializer_list<InputName> inputs)
{
    for (const InputName& each : inputs) {
        // Names are marked in the dialog's own context, so they are looked up there.
        each.input->setAccessibleName(QCoreApplication::translate(dialog.metaObject()->className(), each.name));
        if (each.caption) {
            if (auto* label = dialog.findChild<QLabel*>(QString::fromLatin1(each.caption)))
                label->setBuddy(each.input);
        }
    }
}

void chainTabOrder(std::initializer_list<QWidget*> controls)
{
    for (auto it = controls.begin(); it != controls.end() && std::next(it) != controls.end(); ++it)
        QWidget::setTabOrder(*it, *std::next(it));
}

void fitFontToCaptions(QWidget& dialog)
{
    QFont font = dialog.font();
    if (font.pointSizeF() <= 0)
        return; // a font sized in pixels was chosen on purpose
    while (!captionsFit(dialog, font) && font.pointSizeF() - pointSizeStep >= smallestPointSize)
        font.setPointSizeF(font.pointSizeF() - pointSizeStep);
    dialog.setFont(font);
}

bool answerAwaited()
{
    const QWidget* modal = QApplication::activeModalWidget();
    return modal && modal->windowModality() == Qt::ApplicationModal;
}
