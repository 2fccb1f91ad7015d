// Published properties: what the language file and its wizard read and write on a
// control, found through Qt's meta-object system. A property is published when its
// name starts with a capital letter (Caption, Hint, Items, Columns, Visible); Qt's
// own properties (windowTitle, toolTip, text) start with a small one and are never
// offered. Kinds, by the property's type and what it holds:
//   QString                      a string (Caption, Hint, Text)
//   QStringList                  a string list (Items, Lines), lines in order
//   QObject* owned by the holder a nested object (Font, a column's Title), or a
//                                collection (Columns) when it derives from TCollection
//   QObject* owned by another    a component reference (DataSource, PopupMenu): never
//   (or holding nothing)         walked into, so the wizard skips it
// Anything else (numbers, colours, enums) is published but not a string kind.
#pragma once

#include <QList>
#include <QMetaProperty>
#include <QObject>

enum TPropertyKind { pkString, pkStringList, pkObject, pkCollection, pkReference, pkOther };

// A collection property's object: items reachable by their index ("Columns.0").
class TCollection : public QObject {
    Q_OBJECT
    Q_PROPERTY(int Count READ Count)
public:
    using QObject::QObject;
    virtual int Count() const = 0;
    // Raises EListError ("List index out of bounds (%d)") outside 0..Count-1.
    virtual QObject* Item(int index) const = 0;
};

// The published properties of the object, in declaration order (base classes first).
QList<QMetaProperty> PublishedProperties(const QObject* object);

// The published property of that name, matched ignoring case; invalid when none.
QMetaProperty FindPublished(const QObject* object, const QString& name);

TPropertyKind PropertyKind(const QObject* holder, const QMetaProperty& property);

// The object an object property holds (nested, collection or reference); null when it
// holds nothing or the property is not of an object type.
QObject* PublishedObject(const QObject* holder, const QMetaProperty& property);
