#pragma once

#include "widgets/labelarray.h"

#include <QPoint>
#include <QWidget>

#include <memory>
#include <vector>

// A mouse press on a visible element of a LabelArray.
struct LabelPress
{
    const LabelArray* array = nullptr;
    int index = 0;
    Qt::MouseButton button = Qt::NoButton;
    Qt::KeyboardModifiers modifiers;
    QPoint position;          // twips, inside the element
    QPoint globalPosition;    // pixels, on the screen: where a pop-up menu opens
    bool doubleClick = false; // the second press of a double-click
};

// A widget that paints the visible elements of the label arrays placed on it, in the order the
// arrays were added and, within an array, by index. Labels are not widgets: a list of a thousand
// rows would need four thousand of them, rebuilt on every redraw. Child widgets (buttons) lie over
// the labels as usual.
class LabelContainer : public QWidget
{
    Q_OBJECT

public:
    explicit LabelContainer(QWidget* parent = nullptr);
    ~LabelContainer() override;

    // The array lives as long as the container; the name lets tests find it, as objectName does a widget.
    LabelArray* addArray(LabelElement element0, const QString& name = {});
    // The array added under `name`, or nullptr.
    const LabelArray* array(const QString& name) const;

    // The topmost visible element at a pixel position, or {nullptr, -1}.
    std::pair<const LabelArray*, int> elementAt(QPoint pixelPosition) const;

signals:
    void labelPressed(const LabelPress& press);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void pressed(QMouseEvent* event, bool doubleClick);

    std::vector<std::unique_ptr<LabelArray>> arrays_;
    std::vector<QString> names_;
};
