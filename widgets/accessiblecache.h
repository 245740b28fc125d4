#pragma once

#include <QAccessible>
#include <QObject>

// Qt keeps the first interface it made for an object, and makes one for every change it is told
// of, reader or not. One made before the object was described to a factory of ours would go on
// hiding the description, so it is dropped and made again on the next query.
inline void forgetAccessibleInterface(QObject* object)
{
    if (object)
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(QAccessible::queryAccessibleInterface(object)));
}
