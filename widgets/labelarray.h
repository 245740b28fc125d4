#pragma once

#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>

#include <vector>

class QWidget;

// One label of a LabelArray. Geometry is in twips, in the container's coordinates.
struct LabelElement
{
    QString caption;
    QFont font;
    QColor foreColor = Qt::black;
    QColor backColor = Qt::white;
    bool opaque = false; // false: the container shows through
    bool bold = false;
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool visible = false;

    QRect pixelRect() const;
    // The caption as painted: cut with "…" where it would overflow the element.
    QString shownCaption() const;
};

// A run-time array of labels painted by one LabelContainer. Element 0 is the template that every
// further element is made from; elements come and go at the end of the array. Setters do nothing
// and answer false for an element that does not exist, or for a negative size.
class LabelArray
{
public:
    LabelArray(QWidget& surface, LabelElement element0);
    LabelArray(const LabelArray&) = delete;
    LabelArray& operator=(const LabelArray&) = delete;

    int count() const { return static_cast<int>(elements_.size()); }
    bool exists(int index) const { return index >= 0 && index < count(); }
    // Precondition: exists(index).
    const LabelElement& operator[](int index) const { return elements_[static_cast<std::size_t>(index)]; }

    // Creates element `index` (which must be count()) as a copy of element 0 that starts invisible.
    bool load(int index);
    // Destroys the last element; element 0 stays for the life of the array.
    bool unload(int index);

    bool setCaption(int index, const QString& caption);
    bool setForeColor(int index, const QColor& color);
    bool setBackColor(int index, const QColor& color);
    bool setOpaque(int index, bool opaque);
    bool setBold(int index, bool bold);
    bool setLeft(int index, int twips);
    bool setTop(int index, int twips);
    bool setWidth(int index, int twips);
    bool setHeight(int index, int twips);
    bool setVisible(int index, bool visible);

private:
    template <typename Change> bool change(int index, Change&& apply);

    QWidget& surface_;
    std::vector<LabelElement> elements_;
};
