// Reading a locale into the platform's format settings. Qt's date formats use the same
// letters as the platform's (d, M, y, quoted literals), so a short date format carries
// over as it is once its separator is written "/"; numbers and currency are read from
// the locale's own texts, since Qt names no currency place or negative form.
#include "platform/core/formatsettings_locale.h"

#include <QLocale>
#include <QString>

namespace {

// Bidirectional marks (U+200E, U+200F, U+061C) shape how a text is laid out, not what it
// says; Arabic and Hebrew formats carry them around their separators.
QString WithoutMarks(const QString& Text)
{
    QString result;
    for (QChar c : Text)
        if (c.category() != QChar::Other_Format)
            result += c;
    return result;
}

// The ASCII character that stands for a one-character separator, or 0: any space
// (the no-break and narrow no-break spaces of many locales) is a blank, a typographic
// apostrophe (Swiss thousands) is "'".
char AsciiOf(const QString& Separator)
{
    const QString text = WithoutMarks(Separator);
    if (text.size() != 1)
        return 0;
    const QChar c = text[0];
    if (c.isSpace())
        return ' ';
    if (c == QChar(0x2019) || c == QChar(0x02BC))
        return '\'';
    if (c.unicode() > 0x20 && c.unicode() < 0x7F && !c.isLetterOrNumber())
        return char(c.unicode());
    return 0;
}

// Takes Locale's short date format and date separator into Settings when the format
// has day, month and year as numbers (the forms dates are typed in).
void TakeShortDate(const QString& QtFormat, TFormatSettings& Settings)
{
    const QString format = WithoutMarks(QtFormat);
    bool day = false, month = false, year = false, names = false;
    QChar separator;
    bool blankBetween = false;
    for (qsizetype i = 0; i < format.size();) {
        const QChar c = format[i];
        if (c == QLatin1Char('\'')) {
            const qsizetype close = format.indexOf(QLatin1Char('\''), i + 1);
            i = close < 0 ? format.size() : close + 1;
            continue;
        }
        qsizetype n = 1;
        while (i + n < format.size() && format[i + n] == c)
            ++n;
        if (c.isLetter()) {
            day = day || c == QLatin1Char('d');
            month = month || c == QLatin1Char('M');
            year = year || c == QLatin1Char('y');
            names = names || ((c == QLatin1Char('d') || c == QLatin1Char('M')) && n >= 3);
        } else if ((day || month || year) && separator.isNull()) {
            if (c.isSpace())
                blankBetween = true;
            else
                separator = c;
        }
        i += n;
    }
    if (!day || !month || !year || names)
        return;
    if (separator.isNull() && blankBetween)
        separator = QLatin1Char(' ');
    const char ascii = separator.isNull() ? 0 : AsciiOf(QString(separator));
    if (!ascii) {
        // No one character stands for the separator: the format keeps it as a literal.
        Settings.ShortDateFormat = format.toStdString();
        return;
    }
    // The separator becomes "/", which shows DateSeparator; a "/" of the format that is
    // not its separator stays a literal.
    QString result;
    bool quoted = false;
    for (QChar c : format) {
        if (c == QLatin1Char('\''))
            quoted = !quoted;
        if (!quoted && c == separator)
            result += QLatin1Char('/');
        else if (!quoted && c == QLatin1Char('/'))
            result += QLatin1String("'/'");
        else
            result += c;
    }
    Settings.ShortDateFormat = result.toStdString();
    Settings.DateSeparator = ascii;
}

// The currency's place, decimals and negative form, read from how the locale writes
// one unit and minus one unit ("$1.00", "1,00 €", "($1.00)", "￥1").
void TakeCurrency(const QLocale& Locale, TFormatSettings& Settings)
{
    const QString symbol = WithoutMarks(Locale.currencySymbol()).trimmed();
    if (symbol.isEmpty())
        return;
    Settings.CurrencyString = symbol.toStdString();

    const QString one = WithoutMarks(Locale.toCurrencyString(1.0)).trimmed();
    const qsizetype at = one.indexOf(symbol);
    if (at == 0)
        Settings.CurrencyFormat = one.size() > symbol.size() && one[symbol.size()].isSpace() ? 2 : 0;
    else if (at > 0 && at + symbol.size() == one.size())
        Settings.CurrencyFormat = one[at - 1].isSpace() ? 3 : 1;

    // The digits after the first one, past the one character that separates them.
    qsizetype digit = 0;
    while (digit < one.size() && !one[digit].isDigit())
        ++digit;
    if (digit < one.size()) {
        qsizetype decimals = 0;
        qsizetype i = digit + 1;
        if (i + 1 < one.size() && !one[i].isDigit() && !one[i].isSpace() && one[i + 1].isDigit()) {
            for (i += 1; i < one.size() && one[i].isDigit(); ++i)
                ++decimals;
        }
        Settings.CurrencyDecimals = int(decimals);
    }

    Settings.NegCurrFormat = WithoutMarks(Locale.toCurrencyString(-1.0)).contains(QLatin1Char('(')) ? 0 : 1;
}

} // namespace

TFormatSettings FormatSettingsOf(const QLocale& Locale)
{
    TFormatSettings settings;
    TakeShortDate(Locale.dateFormat(QLocale::ShortFormat), settings);

    const char decimal = AsciiOf(Locale.decimalPoint());
    if (decimal && decimal != ' ')
        settings.DecimalSeparator = decimal;
    const char thousands = AsciiOf(Locale.groupSeparator());
    if (thousands && thousands != settings.DecimalSeparator)
        settings.ThousandSeparator = thousands;
    else if (settings.ThousandSeparator == settings.DecimalSeparator)
        settings.ThousandSeparator = settings.DecimalSeparator == ',' ? '.' : ',';

    TakeCurrency(Locale, settings);
    return settings;
}

void GetFormatSettings()
{
    FormatSettings = FormatSettingsOf(QLocale::system());
}
