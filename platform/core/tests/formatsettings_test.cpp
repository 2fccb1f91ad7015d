// The format settings a locale stands for: day-first and month-first dates with their
// separators, decimal and thousands separators, the currency with its place, decimals and
// negative form; the C/POSIX locale keeps the declared defaults.
#include "platform/core/formatsettings_locale.h"

#include <QLocale>
#include <QtTest>

namespace {

// Short date format | date separator | decimal | thousands | currency | place |
// decimals | negative form.
QString Describe(const TFormatSettings& S)
{
    return QStringList({QString::fromStdString(S.ShortDateFormat), QString(QLatin1Char(S.DateSeparator)),
                        QString(QLatin1Char(S.DecimalSeparator)), QString(QLatin1Char(S.ThousandSeparator)),
                        QString::fromStdString(S.CurrencyString), QString::number(S.CurrencyFormat),
                        QString::number(S.CurrencyDecimals), QString::number(S.NegCurrFormat)})
        .join(QLatin1Char('|'));
}

} // namespace

class FormatSettingsTest : public QObject {
    Q_OBJECT
private slots:
    void defaultsAreMonthFirstWithDollars()
    {
        QCOMPARE(Describe(TFormatSettings()), QString("M/d/yyyy|/|.|,|$|0|2|0"));
    }

    void localesGiveTheirFormats_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("settings");
        QTest::newRow("en_US month first") << "en_US" << "M/d/yy|/|.|,|$|0|2|0";
        QTest::newRow("en_GB day first") << "en_GB" << QString::fromUtf8("dd/MM/yyyy|/|.|,|£|0|2|0");
        // The locale's separator is written "/" in the format, and shown as DateSeparator.
        QTest::newRow("de_DE dots") << "de_DE" << QString::fromUtf8("dd/MM/yy|.|,|.|€|3|2|1");
        // The narrow no-break space between thousands is a blank.
        QTest::newRow("fr_FR") << "fr_FR" << QString::fromUtf8("dd/MM/yyyy|/|,| |€|3|2|0");
        QTest::newRow("sv_SE year first") << "sv_SE" << "yyyy/MM/dd|-|,| |kr|3|2|1";
        QTest::newRow("nl_NL symbol and blank") << "nl_NL" << QString::fromUtf8("dd/MM/yyyy|-|,|.|€|2|2|0");
        QTest::newRow("ja_JP no decimals") << "ja_JP" << QString::fromUtf8("yyyy/MM/dd|/|.|,|￥|0|0|0");
        // The Swiss apostrophe between thousands.
        QTest::newRow("de_CH") << "de_CH" << "dd/MM/yy|.|.|'|CHF|3|2|1";
        // Bidirectional marks dropped; Arabic separators have no ASCII stand-in.
        QTest::newRow("ar_EG") << "ar_EG" << QString::fromUtf8("d/M/yyyy|/|.|,|ج.م.|3|2|1");
        // The C locale's short date names the month: the defaults stay.
        QTest::newRow("C") << "C" << "M/d/yyyy|/|.|,|$|0|2|0";
        QTest::newRow("POSIX") << "POSIX" << "M/d/yyyy|/|.|,|$|0|2|0";
    }

    void localesGiveTheirFormats()
    {
        QFETCH(QString, locale);
        QFETCH(QString, settings);
        QCOMPARE(Describe(FormatSettingsOf(QLocale(locale))), settings);
    }

    void timeFormatsStayTheDefaults()
    {
        const TFormatSettings defaults;
        const TFormatSettings british = FormatSettingsOf(QLocale("en_GB"));
        QCOMPARE(british.LongDateFormat, defaults.LongDateFormat);
        QCOMPARE(british.ShortTimeFormat, defaults.ShortTimeFormat);
        QCOMPARE(british.LongTimeFormat, defaults.LongTimeFormat);
        QCOMPARE(british.TimeSeparator, defaults.TimeSeparator);
    }

    void getFormatSettingsTakesTheSystemLocale()
    {
        const TFormatSettings saved = FormatSettings;
        FormatSettings.ShortDateFormat = "nonsense";
        GetFormatSettings();
        const QString taken = Describe(FormatSettings);
        FormatSettings = saved;
        QCOMPARE(taken, Describe(FormatSettingsOf(QLocale::system())));
    }
};

QTEST_GUILESS_MAIN(FormatSettingsTest)
#include "formatsettings_test.moc"
