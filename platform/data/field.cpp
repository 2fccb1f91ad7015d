// Field values, conversions and display texts.
#include "platform/data/field.h"

#include "platform/core/convert.h"
#include "platform/data/dataset.h"
#include "platform/data/dataset_p.h"
#include "platform/core/exceptions.h"
#include "platform/core/formatsettings.h"

#include <QDate>
#include <QRegularExpression>

#include <cmath>

TField::TField(TDataSet* dataSet, const QString& fieldName, TFieldType dataType, int size, TFieldKind kind)
    : FieldName(fieldName), FDataSet(dataSet), FDataType(dataType), FFieldKind(kind),
      FSize(dataType == ftString ? (size > 0 ? size : 20) : size)
{
    Alignment = (dataType == ftInteger || dataType == ftFloat || dataType == ftCurrency) ? taRightJustify : taLeftJustify;
    if (!dataSet)
        throw EDatabaseError("A field needs a dataset");
    if (dataSet->Active() && dataSet->State() != dsOpening)
        throw EDatabaseError("Cannot add fields to an open dataset");
    dataSet->d->Fields.push_back(this);
    dataSet->d->OwnedFields.emplace_back(this);
}

TField::~TField() = default;

int TField::Index() const
{
    for (int i = 0; i < FDataSet->FieldCount(); ++i)
        if (FDataSet->Fields(i) == this)
            return i;
    return -1;
}

int TField::DisplayWidth() const
{
    if (FDisplayWidth > 0)
        return FDisplayWidth;
    switch (FDataType) {
    case ftString: return FSize;
    case ftBoolean: return 5;
    case ftDateTime: return 18;
    default: return 10;
    }
}

QVariant TField::Value() const
{
    return FDataSet->FieldValue(this);
}

void TField::SetValue(const QVariant& value)
{
    FDataSet->SetFieldValue(this, value);
}

QVariant TField::OldValue() const
{
    return FDataSet->FieldOldValue(this);
}

QVariant TField::Convert(const QVariant& value) const
{
    if (value.isNull() || !value.isValid())
        return QVariant();
    bool isText = value.typeId() == QMetaType::QString;
    switch (FDataType) {
    case ftString: {
        QString s = value.typeId() == QMetaType::Double ? QString::fromStdString(FloatToStr(value.toDouble())) : value.toString();
        // An empty text is no value, so a required field left blank is refused.
        if (s.isEmpty())
            return QVariant();
        // Longer text than the column holds is cut, as the column would.
        return FSize > 0 ? s.left(FSize) : s;
    }
    case ftInteger:
        if (isText) {
            QString s = value.toString().trimmed();
            if (s.isEmpty())
                return QVariant();
            return int(StrToInt(s.toStdString()));
        }
        if (value.typeId() == QMetaType::Double) {
            double d = value.toDouble();
            if (d != std::floor(d) || std::fabs(d) > 2147483647.0)
                throw EDatabaseError(QString("'%1' is not a valid integer value").arg(QString::fromStdString(FloatToStr(d))).toStdString());
        }
        return value.toInt();
    case ftFloat:
    case ftCurrency:
        if (isText) {
            QString s = value.toString().trimmed();
            if (s.isEmpty())
                return QVariant();
            if (FDataType == ftCurrency || Currency)
                s.remove(QString::fromStdString(FormatSettings.CurrencyString)).remove(FormatSettings.ThousandSeparator);
            return StrToFloat(s.trimmed().toStdString());
        }
        return value.toDouble();
    case ftDateTime:
        if (isText) {
            QString s = value.toString().trimmed();
            if (s.isEmpty())
                return QVariant();
            return StrToDateTime(s);
        }
        if (value.typeId() == QMetaType::QDateTime || value.typeId() == QMetaType::QDate) {
            QDateTime dt = value.toDateTime();
            return double(QDate(1899, 12, 30).daysTo(dt.date())) + dt.time().msecsSinceStartOfDay() / 86400000.0;
        }
        return value.toDouble();
    case ftBoolean:
        if (isText) {
            QString s = value.toString().trimmed();
            QStringList names = DisplayValues.isEmpty() ? QStringList{"True", "False"} : DisplayValues.split(';');
            if (s.compare(names.value(0), Qt::CaseInsensitive) == 0 || s.compare("true", Qt::CaseInsensitive) == 0)
                return true;
            if (s.compare(names.value(1), Qt::CaseInsensitive) == 0 || s.compare("false", Qt::CaseInsensitive) == 0)
                return false;
            if (s.isEmpty())
                return QVariant();
            throw EDatabaseError(QString("'%1' is not a valid boolean value for field '%2'").arg(s, DisplayName()).toStdString());
        }
        return value.toBool();
    default:
        return value;
    }
}

QString TField::AsString() const
{
    QVariant v = Value();
    if (v.isNull())
        return QString();
    switch (FDataType) {
    case ftFloat:
    case ftCurrency: return QString::fromStdString(FloatToStr(v.toDouble()));
    case ftDateTime: return DateTimeToStr(v.toDouble());
    case ftBoolean: return v.toBool() ? "True" : "False";
    default: return v.toString();
    }
}

void TField::SetAsString(const QString& text)
{
    SetValue(text);
}

int TField::AsInteger() const
{
    QVariant v = Value();
    if (v.isNull())
        return 0;
    if (v.typeId() == QMetaType::QString)
        return StrToInt(v.toString().toStdString());
    return int(std::llround(v.toDouble()));
}

double TField::AsFloat() const
{
    QVariant v = Value();
    if (v.isNull())
        return 0;
    if (v.typeId() == QMetaType::QString)
        return StrToFloat(v.toString().toStdString());
    return v.toDouble();
}

TDateTime TField::AsDateTime() const
{
    QVariant v = Value();
    if (v.isNull())
        return 0;
    if (v.typeId() == QMetaType::QString)
        return StrToDateTime(v.toString());
    return v.toDouble();
}

bool TField::AsBoolean() const
{
    QVariant v = Value();
    return !v.isNull() && v.toBool();
}

QString TField::DisplayText() const
{
    QVariant v = Value();
    if (FDataType == ftBoolean) {
        if (v.isNull())
            return QString();
        QStringList names = DisplayValues.isEmpty() ? QStringList{"True", "False"} : DisplayValues.split(';');
        return v.toBool() ? names.value(0) : names.value(1);
    }
    if (v.isNull())
        return QString();
    switch (FDataType) {
    case ftFloat:
    case ftCurrency:
    case ftInteger:
        if (!DisplayFormat.isEmpty())
            return FormatFloat(DisplayFormat, v.toDouble());
        if (Currency || FDataType == ftCurrency)
            return FormatCurrency(v.toDouble());
        return FDataType == ftInteger ? QString::number(v.toInt()) : QString::fromStdString(FloatToStr(v.toDouble()));
    case ftDateTime:
        return DisplayFormat.isEmpty() ? DateTimeToStr(v.toDouble()) : FormatDateTime(DisplayFormat, v.toDouble());
    default:
        return v.toString();
    }
}

QString TField::Text() const
{
    QVariant v = Value();
    if (v.isNull())
        return QString();
    if ((FDataType == ftFloat || FDataType == ftCurrency) && !EditFormat.isEmpty())
        return FormatFloat(EditFormat, v.toDouble());
    if (FDataType == ftDateTime)
        return DateTimeToStr(v.toDouble());
    if (FDataType == ftBoolean)
        return DisplayText();
    return AsString();
}

// ---- formatting ----

namespace {

// One section of a number format: literal text around one run of placeholders.
QString FormatSection(const QString& section, double value)
{
    int first = -1, last = -1;
    bool inQuote = false;
    QChar quote;
    for (int i = 0; i < section.size(); ++i) {
        QChar c = section[i];
        if (inQuote) {
            if (c == quote)
                inQuote = false;
            continue;
        }
        if (c == '"' || c == '\'') {
            inQuote = true;
            quote = c;
            continue;
        }
        if (c == '0' || c == '#' || c == '.' || c == ',') {
            if (first < 0)
                first = i;
            last = i;
        }
    }
    auto literal = [](const QString& s) {
        QString out;
        QChar q;
        for (QChar c : s) {
            if (!q.isNull()) {
                if (c == q)
                    q = QChar();
                else
                    out += c;
            } else if (c == '"' || c == '\'')
                q = c;
            else
                out += c;
        }
        return out;
    };
    if (first < 0)
        return literal(section);
    QString pattern = section.mid(first, last - first + 1);
    int dot = pattern.indexOf('.');
    QString intPart = dot >= 0 ? pattern.left(dot) : pattern;
    QString fracPart = dot >= 0 ? pattern.mid(dot + 1) : QString();
    int minFrac = int(fracPart.count('0'));
    int maxFrac = int(fracPart.count('0') + fracPart.count('#'));
    int minInt = int(intPart.count('0'));
    bool thousands = intPart.contains(',');
    QString digits = QString::number(std::fabs(value), 'f', maxFrac);
    QString ip = digits.section('.', 0, 0);
    QString fp = digits.section('.', 1);
    while (fp.size() > minFrac && fp.endsWith('0'))
        fp.chop(1);
    if (ip == "0" && minInt == 0)
        ip.clear();
    while (ip.size() < minInt)
        ip.prepend('0');
    if (thousands) {
        for (int i = int(ip.size()) - 3; i > 0; i -= 3)
            ip.insert(i, QChar(FormatSettings.ThousandSeparator));
    }
    QString number = ip;
    if (!fp.isEmpty())
        number += QChar(FormatSettings.DecimalSeparator) + fp;
    return literal(section.left(first)) + number + literal(section.mid(last + 1));
}

} // namespace

QString FormatFloat(const QString& format, double value)
{
    QStringList sections = format.split(';');
    if (sections.size() >= 3 && value == 0)
        return FormatSection(sections[2], 0);
    if (sections.size() >= 2 && value < 0 && !sections[1].isEmpty())
        return FormatSection(sections[1], value);
    QString text = FormatSection(sections[0], value);
    // One section: the sign comes first unless the value rounds to zero.
    if (value < 0) {
        bool allZero = !text.contains(QRegularExpression("[1-9]"));
        if (!allZero)
            text.prepend('-');
    }
    return text;
}

QString FormatCurrency(double value)
{
    QString number = FormatSection(QString("#,##0.") + QString(FormatSettings.CurrencyDecimals, '0'), std::fabs(value));
    QString cs = QString::fromStdString(FormatSettings.CurrencyString);
    QString pos;
    switch (FormatSettings.CurrencyFormat) {
    case 1: pos = number + cs; break;
    case 2: pos = cs + " " + number; break;
    case 3: pos = number + " " + cs; break;
    default: pos = cs + number; break;
    }
    if (value >= 0 || !number.contains(QRegularExpression("[1-9]")))
        return pos;
    return FormatSettings.NegCurrFormat == 0 ? "(" + pos + ")" : "-" + pos;
}

QString FormatDateTime(const QString& format, TDateTime value)
{
    double days = std::floor(value);
    qint64 ms = qRound64((value - days) * 86400000.0);
    QDate d = QDate(1899, 12, 30).addDays(qint64(days));
    int msec = int(ms % 1000), sec = int(ms / 1000 % 60), min = int(ms / 60000 % 60), hour = int(ms / 3600000);
    bool ampm = format.contains("AMPM", Qt::CaseInsensitive) || format.contains("am/pm", Qt::CaseInsensitive);
    QString out;
    bool lastWasHour = false;
    for (int i = 0; i < format.size();) {
        QChar c = format[i];
        QChar lc = c.toLower();
        int n = 1;
        while (i + n < format.size() && format[i + n].toLower() == lc)
            ++n;
        if (c == '"' || c == '\'') {
            int j = int(format.indexOf(c, i + 1));
            if (j < 0)
                j = int(format.size());
            out += format.mid(i + 1, j - i - 1);
            i = j + 1;
            continue;
        }
        if (format.mid(i, 4).compare("AMPM", Qt::CaseInsensitive) == 0) {
            out += hour < 12 ? "AM" : "PM";
            i += 4;
            continue;
        }
        if (format.mid(i, 5).compare("am/pm", Qt::CaseInsensitive) == 0) {
            out += hour < 12 ? "am" : "pm";
            i += 5;
            continue;
        }
        if (lc == 'd') {
            if (n >= 5)
                out += FormatDateTime(QString::fromStdString(FormatSettings.ShortDateFormat), days);
            else if (n == 4)
                out += QLocale::c().dayName(d.dayOfWeek());
            else if (n == 3)
                out += QLocale::c().dayName(d.dayOfWeek(), QLocale::ShortFormat);
            else
                out += QString::number(d.day()).rightJustified(n, '0');
            lastWasHour = false;
        } else if (c == 'M' || (lc == 'm' && !lastWasHour)) {
            if (n >= 4)
                out += QLocale::c().monthName(d.month());
            else if (n == 3)
                out += QLocale::c().monthName(d.month(), QLocale::ShortFormat);
            else
                out += QString::number(d.month()).rightJustified(n, '0');
        } else if (lc == 'm' || lc == 'n') {
            out += QString::number(min).rightJustified(std::min(n, 2), '0');
            lastWasHour = false;
        } else if (lc == 'y') {
            out += n <= 2 ? QString::number(d.year() % 100).rightJustified(2, '0') : QString::number(d.year());
        } else if (lc == 'h') {
            int h = ampm ? (hour % 12 == 0 ? 12 : hour % 12) : hour;
            out += QString::number(h).rightJustified(std::min(n, 2), '0');
            lastWasHour = true;
            i += n;
            continue;
        } else if (lc == 's') {
            out += QString::number(sec).rightJustified(std::min(n, 2), '0');
        } else if (lc == 'z') {
            out += n >= 3 ? QString::number(msec).rightJustified(3, '0') : QString::number(msec);
        } else if (c == '/') {
            out += QChar(FormatSettings.DateSeparator);
        } else if (c == ':') {
            out += QChar(FormatSettings.TimeSeparator);
            i += 1;
            continue; // minutes may follow an hour through the separator
        } else {
            out += format.mid(i, n);
            lastWasHour = false;
        }
        if (lc != 'h' && lc != ':' )
            lastWasHour = lastWasHour && (lc == ' ');
        i += n;
    }
    return out;
}

QString DateTimeToStr(TDateTime value)
{
    QString text = FormatDateTime(QString::fromStdString(FormatSettings.ShortDateFormat), value);
    if (value != std::floor(value))
        text += " " + FormatDateTime(QString::fromStdString(FormatSettings.LongTimeFormat), value);
    return text;
}

TDateTime StrToDateTime(const QString& text)
{
    // The order of day, month and year follows the short date format.
    QString fmt = QString::fromStdString(FormatSettings.ShortDateFormat).toLower();
    int posD = int(fmt.indexOf('d')), posM = int(fmt.indexOf('m')), posY = int(fmt.indexOf('y'));
    static const QRegularExpression re("^\\s*(\\d{1,4})\\D(\\d{1,2})\\D(\\d{1,4})(?:\\s+(\\d{1,2}):(\\d{2})(?::(\\d{2}))?\\s*([AaPp][Mm])?)?\\s*$");
    static const QRegularExpression iso("^\\s*(\\d{4})-(\\d{2})-(\\d{2})(?:[T ](\\d{2}):(\\d{2})(?::(\\d{2}))?)?\\s*$");
    int y, m, d, hh = 0, mm = 0, ss = 0;
    auto im = iso.match(text);
    auto mt = re.match(text);
    if (im.hasMatch()) {
        y = im.captured(1).toInt();
        m = im.captured(2).toInt();
        d = im.captured(3).toInt();
        hh = im.captured(4).toInt();
        mm = im.captured(5).toInt();
        ss = im.captured(6).toInt();
    } else if (mt.hasMatch()) {
        std::vector<std::pair<int, char>> order{{posD, 'd'}, {posM, 'm'}, {posY, 'y'}};
        std::sort(order.begin(), order.end());
        int parts[3] = {mt.captured(1).toInt(), mt.captured(2).toInt(), mt.captured(3).toInt()};
        y = m = d = 0;
        for (int i = 0; i < 3; ++i)
            (order[i].second == 'd' ? d : order[i].second == 'm' ? m : y) = parts[i];
        if (y < 100)
            y += y < 50 ? 2000 : 1900;
        hh = mt.captured(4).toInt();
        mm = mt.captured(5).toInt();
        ss = mt.captured(6).toInt();
        QString ap = mt.captured(7).toLower();
        if (ap == "pm" && hh < 12)
            hh += 12;
        if (ap == "am" && hh == 12)
            hh = 0;
    } else {
        throw EConvertError("'" + text.toStdString() + "' is not a valid date");
    }
    TDateTime date, time;
    if (!TryEncodeDate(y, m, d, date) || !TryEncodeTime(hh, mm, ss, 0, time))
        throw EConvertError("'" + text.toStdString() + "' is not a valid date");
    return date + time;
}
