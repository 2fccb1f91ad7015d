#include "platform/core/convert.h"
#include "platform/core/datetime.h"
#include "platform/core/exceptions.h"

#include <QtTest>

class CoreTest : public QObject {
    Q_OBJECT
private slots:
    void datesCountDaysFromTheOrigin()
    {
        QCOMPARE(EncodeDate(1899, 12, 30), 0.0);
        QCOMPARE(EncodeDate(1900, 1, 1), 2.0);
        QCOMPARE(EncodeDate(2004, 3, 5), 38051.0);
        QCOMPARE(EncodeDate(1, 1, 1), -693593.0);
        int y, m, d;
        for (TDateTime v : {-693593.0, 0.0, 59.0, 60.0, 38051.0, 2958465.0}) {
            DecodeDate(v, y, m, d);
            QCOMPARE(EncodeDate(y, m, d), v);
        }
        DecodeDate(38051.75, y, m, d);
        QCOMPARE(QList<int>({y, m, d}), QList<int>({2004, 3, 5}));
        QCOMPARE(DayOfWeek(EncodeDate(2026, 12, 9)), 4); // a Wednesday
    }

    void impossibleDatesAreRefused()
    {
        for (auto [y, m, d] : {std::tuple{2004, 4, 31}, {2003, 2, 29}, {0, 1, 1}, {10000, 1, 1}, {2004, 13, 1}, {2004, 1, 0}}) {
            try {
                EncodeDate(y, m, d);
                QFAIL("encoded an impossible date");
            } catch (const EConvertError& e) {
                QCOMPARE(e.Message, std::string("Invalid argument to date encode"));
            }
        }
        QCOMPARE(EncodeDate(2004, 2, 29), EncodeDate(2004, 3, 1) - 1);
        QVERIFY_THROWS_EXCEPTION(EConvertError, EncodeTime(24, 0, 0, 0));
        QCOMPARE(EncodeTime(18, 0, 0, 0), 0.75);
        int h, n, s, ms;
        DecodeTime(EncodeDate(2000, 1, 1) + EncodeTime(13, 45, 30, 250), h, n, s, ms);
        QCOMPARE(QList<int>({h, n, s, ms}), QList<int>({13, 45, 30, 250}));
    }

    void leapYearsFollowTheFourHundredYearRule()
    {
        // 2000 is divisible by 400 and so a leap year although it ends a century.
        QVERIFY(IsLeapYear(2000));
        QCOMPARE(DaysInMonth(2000, 2), 29);
        QCOMPARE(EncodeDate(2000, 2, 29), 36585.0);
        QCOMPARE(EncodeDate(2000, 2, 29), EncodeDate(2000, 3, 1) - 1);
        TDateTime v = 0;
        QVERIFY(TryEncodeDate(2000, 2, 29, v));
        int y, m, d;
        DecodeDate(36585.0, y, m, d);
        QCOMPARE(QList<int>({y, m, d}), QList<int>({2000, 2, 29}));
        DecodeDate(36586.0, y, m, d);
        QCOMPARE(QList<int>({y, m, d}), QList<int>({2000, 3, 1}));

        // 1900 and 2100 are divisible by 100 but not by 400: no 29th of February.
        for (int year : {1900, 2100}) {
            QVERIFY(!IsLeapYear(year));
            QCOMPARE(DaysInMonth(year, 2), 28);
            QVERIFY(!TryEncodeDate(year, 2, 29, v));
            try {
                EncodeDate(year, 2, 29);
                QFAIL("encoded the 29th of February of a century year");
            } catch (const EConvertError& e) {
                QCOMPARE(e.Message, std::string("Invalid argument to date encode"));
            }
        }
        // The day after 28 February 1900 is 1 March, day 61 of the count.
        QCOMPARE(EncodeDate(1900, 2, 28), 60.0);
        QCOMPARE(EncodeDate(1900, 3, 1), 61.0);
        DecodeDate(61.0, y, m, d);
        QCOMPARE(QList<int>({y, m, d}), QList<int>({1900, 3, 1}));
        QVERIFY(IsLeapYear(1904) && IsLeapYear(2004) && !IsLeapYear(2003) && IsLeapYear(1600));
    }

    void integersConvertOrNameTheText()
    {
        QCOMPARE(StrToInt("42"), 42);
        QCOMPARE(StrToInt("  -17"), -17);
        QCOMPARE(StrToInt("$FF"), 255);
        QCOMPARE(StrToInt("-2147483648"), INT32_MIN);
        for (const char* bad : {"", "5.", "12a", "2147483648", " ", "7 ", "-"}) {
            try {
                StrToInt(bad);
                QFAIL(bad);
            } catch (const EConvertError& e) {
                QCOMPARE(e.Message, "'" + std::string(bad) + "' is not a valid integer value");
            }
        }
        QCOMPARE(StrToIntDef("x", 9), 9);
    }

    void floatsConvertOrNameTheText()
    {
        QCOMPARE(StrToFloat(" 8.25 "), 8.25);
        QCOMPARE(StrToFloat("-1e3"), -1000.0);
        QCOMPARE(StrToFloat("5"), 5.0);
        for (const char* bad : {"", "1,5", "e5", "1e", "1.2.3", "nan", "inf"}) {
            try {
                StrToFloat(bad);
                QFAIL(bad);
            } catch (const EConvertError& e) {
                QCOMPARE(e.Message, "'" + std::string(bad) + "' is not a valid floating point value");
            }
        }
        QCOMPARE(FloatToStr(68.25), std::string("68.25"));
        QCOMPARE(StrToFloat(FloatToStr(0.1)), 0.1);
    }

    void floatsBecomeTextWithFifteenSignificantDigits()
    {
        // Not the six digits of a plain "%g" (1.23457e+06).
        QCOMPARE(FloatToStr(1234567.89), std::string("1234567.89"));
        QCOMPARE(FloatToStr(-1234567.89), std::string("-1234567.89"));
        QCOMPARE(FloatToStr(123456789012345.0), std::string("123456789012345"));
        QCOMPARE(FloatToStr(12345678.9012345), std::string("12345678.9012345"));
        // The sixteenth digit is rounded away, and so is binary noise.
        QCOMPARE(FloatToStr(1234567.890123456), std::string("1234567.89012346"));
        QCOMPARE(FloatToStr(0.1 + 0.2), std::string("0.3"));
        QCOMPARE(FloatToStr(25000.0), std::string("25000"));
        QCOMPARE(FloatToStr(0.0), std::string("0"));
    }

    void listIndexErrorsNameTheIndex()
    {
        QCOMPARE(EListError::IndexError(-1).Message, std::string("List index out of bounds (-1)"));
        QVERIFY_THROWS_EXCEPTION(EAbort, Abort());
        QCOMPARE(FormatStr("Field '%s' must have a value", {"CustNo"}), std::string("Field 'CustNo' must have a value"));
    }
};

QTEST_GUILESS_MAIN(CoreTest)
#include "core_test.moc"
