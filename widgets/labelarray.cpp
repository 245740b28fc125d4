#include "widgets/labelarray.h"

#include "widgets/twips.h"

#include <QFontMetrics>
#include <QWidget>

QRect LabelElement::pixelRect() const
{
    return twipsRect(left, top, width, height);
}

QString LabelElement::shownCaption() const
{
    QFont drawn = font;
    drawn.setBold(bold);
    // One line in its cell never shows more than this; measuring a far longer caption on every
    // paint would make the whole list slow.
    constexpr qsizetype maxPaintedChars = 4096;
    return QFontMetrics(drawn).elidedText(caption.left(maxPaintedChars), Qt::ElideRight, pixelRect().width());
}

LabelArray::LabelArray(QWidget& surface, LabelElement element0) : surface_(surface)
{
    elements_.push_back(std::move(element0));
}

template <typename Change> bool LabelArray::change(int index, Change&& apply)
{
    if (!exists(index))
        return false;
    LabelElement& element = elements_[static_cast<std::size_t>(index)];
    const bool wasVisible = element.visible;
    apply(element);
    // One update of the whole surface: it merges with a pending one at almost no cost, where
    // thousands of small rectangles during a redraw would make the dirty region itself slow.
    if (wasVisible || element.visible)
        surface_.update();
    return true;
}

bool LabelArray::load(int index)
{
    if (index != count() || index == 0)
        return false;
    LabelElement element = elements_.front();
    element.visible = false;
    elements_.push_back(std::move(element));
    return true;
}

bool LabelArray::unload(int index)
{
    if (index != count() - 1 || index == 0)
        return false;
    if (elements_.back().visible)
        surface_.update();
    elements_.pop_back();
    return true;
}

bool LabelArray::setCaption(int index, const QString& caption)
{
    return change(index, [&](LabelElement& e) { e.caption = caption; });
}

bool LabelArray::setForeColor(int index, const QColor& color)
{
    return change(index, [&](LabelElement& e) { e.foreColor = color; });
}

bool LabelArray::setBackColor(int index, const QColor& color)
{
    return change(index, [&](LabelElement& e) { e.backColor = color; });
}

bool LabelArray::setOpaque(int index, bool opaque)
{
    return change(index, [&](LabelElement& e) { e.opaque = opaque; });
}

bool LabelArray::setBold(int index, bool bold)
{
    return change(index, [&](LabelElement& e) { e.bold = bold; });
}

bool LabelArray::setLeft(int index, int twips)
{
    return change(index, [&](LabelElement& e) { e.left = twips; });
}

bool LabelArray::setTop(int index, int twips)
{
    return change(index, [&](LabelElement& e) { e.top = twips; });
}

bool LabelArray::setWidth(int index, int twips)
{
    return twips >= 0 && change(index, [&](LabelElement& e) { e.width = twips; });
}

bool LabelArray::setHeight(int index, int twips)
{
    return twips >= 0 && change(index, [&](LabelElement& e) { e.height = twips; });
}

bool LabelArray::setVisible(int index, bool visible)
{
    return change(index, [&](LabelElement& e) { e.visible = visible; });
}
