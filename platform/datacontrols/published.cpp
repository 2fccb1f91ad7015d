// Published properties through QMetaObject. What must stay true: only names that
// start with a capital letter are offered, and an object property counts as nested
// only when the holder owns the object, so a reference to another component is
// never walked into and never rewritten through the property that refers to it.
#include "platform/datacontrols/published.h"

#include <QStringList>

namespace {

bool IsPublishedName(const char* name)
{
    return name && name[0] >= 'A' && name[0] <= 'Z';
}

bool HoldsObject(const QMetaProperty& property)
{
    return property.metaType().flags().testFlag(QMetaType::PointerToQObject);
}

} // namespace

QList<QMetaProperty> PublishedProperties(const QObject* object)
{
    QList<QMetaProperty> result;
    if (!object)
        return result;
    const QMetaObject* meta = object->metaObject();
    for (int i = 0; i < meta->propertyCount(); ++i) {
        QMetaProperty property = meta->property(i);
        if (property.isReadable() && IsPublishedName(property.name()))
            result.append(property);
    }
    return result;
}

QMetaProperty FindPublished(const QObject* object, const QString& name)
{
    for (const QMetaProperty& property : PublishedProperties(object))
        if (name.compare(QLatin1String(property.name()), Qt::CaseInsensitive) == 0)
            return property;
    return {};
}

QObject* PublishedObject(const QObject* holder, const QMetaProperty& property)
{
    if (!holder || !property.isValid() || !HoldsObject(property))
        return nullptr;
    const QVariant value = property.read(holder);
    // The variant holds the property's own pointer type (TFont*, ...); every such
    // type is a pointer to a QObject, which is what the meta type promised.
    return *static_cast<QObject* const*>(value.constData());
}

TPropertyKind PropertyKind(const QObject* holder, const QMetaProperty& property)
{
    const int type = property.metaType().id();
    if (type == QMetaType::QString)
        return pkString;
    if (type == QMetaType::QStringList)
        return pkStringList;
    if (!HoldsObject(property))
        return pkOther;
    QObject* object = PublishedObject(holder, property);
    if (!object || object->parent() != holder)
        return pkReference;
    return qobject_cast<TCollection*>(object) ? pkCollection : pkObject;
}
