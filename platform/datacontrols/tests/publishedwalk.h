// The two walks the language file and its wizard make over published properties,
// written down once for the tests: setting a value by a dotted path, and listing the
// rows of an object.
#pragma once

#include "platform/datacontrols/published.h"

#include <QStringList>

// Sets one value by a dotted path below Holder, as the language file does: every
// segment but the last names an object property or, after a collection, an item.
// False when a step finds nothing or the last property is no string kind.
inline bool SetByPath(QObject* holder, const QString& path, const QString& value)
{
    const QStringList segments = path.split(QLatin1Char('.'));
    QObject* current = holder;
    for (int i = 0; i < segments.size(); ++i) {
        if (auto* collection = qobject_cast<TCollection*>(current)) {
            current = collection->Item(segments[i].toInt());
            continue;
        }
        const QMetaProperty property = FindPublished(current, segments[i]);
        if (!property.isValid())
            return false;
        if (i + 1 < segments.size()) {
            current = PublishedObject(current, property);
            if (!current)
                return false;
            continue;
        }
        switch (PropertyKind(current, property)) {
        case pkString:
            return property.write(current, value);
        case pkStringList: {
            // Each bar ends a line, as a line break ends one in a list's text.
            QStringList lines = value.split(QLatin1Char('|'));
            if (lines.last().isEmpty())
                lines.removeLast();
            return property.write(current, lines);
        }
        default:
            return false;
        }
    }
    return false;
}

// The wizard's rows of one object: string and string-list properties by path, nested
// objects and collection items walked into, references skipped.
inline void CollectRows(const QObject* object, const QString& prefix, QStringList& rows)
{
    for (const QMetaProperty& property : PublishedProperties(object)) {
        const QString path = prefix + QLatin1String(property.name());
        switch (PropertyKind(object, property)) {
        case pkString:
        case pkStringList:
            rows.append(path);
            break;
        case pkObject:
            CollectRows(PublishedObject(object, property), path + QLatin1Char('.'), rows);
            break;
        case pkCollection: {
            auto* collection = static_cast<TCollection*>(PublishedObject(object, property));
            for (int i = 0; i < collection->Count(); ++i)
                CollectRows(collection->Item(i), path + QLatin1Char('.') + QString::number(i) + QLatin1Char('.'), rows);
            break;
        }
        case pkReference:
        case pkOther:
            break;
        }
    }
}
