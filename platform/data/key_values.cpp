// Key values compared and written (key_values.h).
#include "platform/data/key_values.h"

#include <QString>

int CompareValues(const QVariant& a, const QVariant& b)
{
    if (a.isNull() || b.isNull())
        return a.isNull() == b.isNull() ? 0 : (a.isNull() ? -1 : 1);
    auto numeric = [](const QVariant& v) {
        int t = v.typeId();
        return t == QMetaType::Double || t == QMetaType::Int || t == QMetaType::LongLong || t == QMetaType::Bool
            || t == QMetaType::Float || t == QMetaType::UInt || t == QMetaType::ULongLong;
    };
    if (numeric(a) && numeric(b)) {
        double x = a.toDouble(), y = b.toDouble();
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    return QString::compare(a.toString(), b.toString(), Qt::CaseSensitive) < 0 ? -1
        : (a.toString() == b.toString() ? 0 : 1);
}

void WriteKeyValue(QDataStream& s, const QVariant& v)
{
    if (v.isNull())
        s << QString("\x01null");
    else if (v.typeId() == QMetaType::QString)
        s << v.toString();
    else
        s << v.toDouble();
}
