// Engine pieces that need no storage: the SQL dialect step, name checks, the alias
// file, date texts and display formats.
#include "alias.h"
#include "database.h"
#include "exceptions.h"
#include "fbclient.h"
#include "field.h"
#include "formatsettings.h"
#include "localstore.h"

#include <QTemporaryDir>
#include <QtTest>

class UnitsTest : public QObject {
    Q_OBJECT
private slots:
    void parametersBecomePlaceholdersOutsideQuotedText()
    {
        QStringList names;
        QString sql = AdaptSql("select * from t where a = :From and b = ':Not' and c = :To -- :Nor\n", dlSqlite, &names);
        QCOMPARE(sql, QString("select * from t where a = ? and b = ':Not' and c = ? -- :Nor\n"));
        QCOMPARE(names, (QStringList{"From", "To"}));
        names.clear();
        // Doubled quotes stay inside the literal.
        QCOMPARE(AdaptSql("x = 'it''s :p' and y = :q", dlFirebird, &names), QString("x = 'it''s :p' and y = ?"));
        QCOMPARE(names, QStringList{"q"});
    }

    void sqliteReadsDescendingAsDesc()
    {
        const QString text = "select * from customer\norder by\nLastInvoiceDate descending";
        QCOMPARE(AdaptSql(text, dlSqlite, nullptr), QString("select * from customer\norder by\nLastInvoiceDate DESC"));
        QCOMPARE(AdaptSql(text, dlFirebird, nullptr), text);
        // Only the whole word.
        QCOMPARE(AdaptSql("select descendingX from t", dlSqlite, nullptr), QString("select descendingX from t"));
    }

    void onlyPlainNamesReachSqlText()
    {
        QCOMPARE(CheckName("ORDERS"), QString("ORDERS"));
        QCOMPARE(CheckName("Ship_To2"), QString("Ship_To2"));
        for (const char* bad : {"", "1abc", "a b", "a;drop table x", "t--", "x'"})
            QVERIFY_THROWS_EXCEPTION(EDatabaseError, CheckName(bad));
        QCOMPARE(LimitClause(dlSqlite, 30, 5), QString(" LIMIT 30 OFFSET 5"));
        QCOMPARE(LimitClause(dlFirebird, 30, 5), QString(" OFFSET 5 ROWS FETCH NEXT 30 ROWS ONLY"));
    }

    void aliasFileFormat()
    {
        QTemporaryDir dir;
        QString file = dir.filePath("engine.ini");
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("; comment\n# another\n[DBDEMOS]\nDRIVER=PARADOX\nPATH = /data/with = sign, comma\n\n"
                "[DEZAZAV]\nDRIVER=intrbase\nSERVER NAME=localhost:/var/lib/x/DEZAZAV.GDB\nuser name=SYSDBA\n");
        f.close();
        qputenv("VORN_ENGINE_CONFIG", file.toUtf8());
        QCOMPARE(Session.ConfigFileName(), file);
        QCOMPARE(Session.GetAliasNames(), (QStringList{"DBDEMOS", "DEZAZAV"}));
        QCOMPARE(Session.GetAliasDriverName("dezazav"), QString("INTRBASE"));
        QCOMPARE(ParamValue(Session.GetAliasParams("DBDEMOS"), "PATH"), QString("/data/with = sign, comma"));
        QCOMPARE(ParamValue(Session.GetAliasParams("DEZAZAV"), "USER NAME"), QString("SYSDBA"));
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, Session.AddAlias("X", "ORACLE", {}));
        // Another file is read when the variable changes.
        qputenv("VORN_ENGINE_CONFIG", dir.filePath("missing.ini").toUtf8());
        QVERIFY(!Session.IsAlias("DBDEMOS"));
        qunsetenv("VORN_ENGINE_CONFIG");
        QVERIFY(Session.ConfigFileName().endsWith("Quorvale/engine.ini"));
    }

    void serverNamesSplitIntoHostPortAndPath()
    {
        QString host, path;
        int port;
        SplitServerName("localhost:/var/lib/firebird/3.0/data/DEZAZAV.GDB", host, port, path);
        QCOMPARE(host, QString("localhost"));
        QCOMPARE(port, 3050);
        QCOMPARE(path, QString("/var/lib/firebird/3.0/data/DEZAZAV.GDB"));
        SplitServerName("db.example/3051:/d/X.GDB", host, port, path);
        QCOMPARE(host, QString("db.example"));
        QCOMPARE(port, 3051);
        SplitServerName("/home/u/DATA/DEZAZAV.GDB", host, port, path);
        QCOMPARE(host, QString("localhost"));
        QCOMPARE(path, QString("/home/u/DATA/DEZAZAV.GDB"));
        SplitServerName("C:\\DATA\\DEZAZAV.GDB", host, port, path);
        QCOMPARE(path, QString("C:\\DATA\\DEZAZAV.GDB"));
        QVERIFY(!ServerAnswers("127.0.0.1", 1));
        QVERIFY(!ServerAnswers("no-such-host.invalid", 3050));
    }

    void localDatesAreIsoText()
    {
        TDateTime v = EncodeDate(2004, 3, 5) + EncodeTime(13, 45, 30, 250);
        QCOMPARE(DateTimeToIsoText(v), QString("2004-03-05T13:45:30.250"));
        QCOMPARE(IsoTextToDateTime("2004-03-05T13:45:30.250").toDouble(), v);
        QCOMPARE(IsoTextToDateTime("2004-03-05").toDouble(), EncodeDate(2004, 3, 5));
        QCOMPARE(IsoTextToDateTime("2004-03-05 13:45").toDouble(), EncodeDate(2004, 3, 5) + EncodeTime(13, 45, 0, 0));
        QCOMPARE(DateTimeToIsoText(0), QString("1899-12-30T00:00:00.000"));
        QVERIFY(IsoTextToDateTime("").isNull());
        QVERIFY(IsoTextToDateTime("yesterday").isNull());
        QVERIFY(IsoTextToDateTime("2004-02-30T00:00:00.000").isNull());
        // Text order is date order.
        QVERIFY(DateTimeToIsoText(EncodeDate(1999, 12, 31)) < DateTimeToIsoText(EncodeDate(2000, 1, 1)));
        QCOMPARE(FromStorage(ToStorage(v, ftDateTime, dlFirebird), ftDateTime).toDouble(), v);
    }

    void numberFormats()
    {
        QCOMPARE(FormatFloat("0.00%;(0.00%);0%", 8.25), QString("8.25%"));
        QCOMPARE(FormatFloat("0.00%;(0.00%);0%", -8.25), QString("(8.25%)"));
        QCOMPARE(FormatFloat("0.00%;(0.00%);0%", 0), QString("0%"));
        QCOMPARE(FormatFloat("0.00%", 100), QString("100.00%"));
        QCOMPARE(FormatFloat("0.##", 2.5), QString("2.5"));
        QCOMPARE(FormatFloat("0", -0.4), QString("0"));
        QCOMPARE(FormatFloat("#,##0", 1234567), QString("1,234,567"));
        QCOMPARE(FormatFloat("\"No. \"0", 42), QString("No. 42"));
        QCOMPARE(FormatCurrency(0), QString("$0.00"));
        QCOMPARE(FormatCurrency(68.25), QString("$68.25"));
        QCOMPARE(FormatCurrency(-1234.5), QString("($1,234.50)"));
        FormatSettings.NegCurrFormat = 1;
        QCOMPARE(FormatCurrency(-2), QString("-$2.00"));
        FormatSettings.NegCurrFormat = 0;
    }

    void dateFormatsFollowTheSettings()
    {
        const TFormatSettings saved = FormatSettings;
        TDateTime v = EncodeDate(2004, 3, 5) + EncodeTime(14, 7, 9, 0);
        QCOMPARE(FormatDateTime("DDDDD", v), QString("3/5/2004"));
        QCOMPARE(FormatDateTime("mm/dd/yy", v), QString("03/05/04"));
        QCOMPARE(FormatDateTime("yyyy-mm-dd hh:nn:ss", v), QString("2004-03-05 14:07:09"));
        QCOMPARE(FormatDateTime("h:mm AMPM", v), QString("2:07 PM"));
        QCOMPARE(DateTimeToStr(EncodeDate(2004, 3, 5)), QString("3/5/2004"));
        QCOMPARE(StrToDateTime("3/5/2004"), EncodeDate(2004, 3, 5));
        QCOMPARE(StrToDateTime("3/5/2004 2:07 PM"), EncodeDate(2004, 3, 5) + EncodeTime(14, 7, 0, 0));
        FormatSettings.ShortDateFormat = "dd.MM.yyyy";
        FormatSettings.DateSeparator = '.';
        QCOMPARE(FormatDateTime("DDDDD", v), QString("05.03.2004"));
        QCOMPARE(StrToDateTime("05.03.2004"), EncodeDate(2004, 3, 5));
        FormatSettings = saved;
        QVERIFY_THROWS_EXCEPTION(EConvertError, StrToDateTime("31/31/2004"));
        QVERIFY_THROWS_EXCEPTION(EConvertError, StrToDateTime("soon"));
    }

    void declaredTypesMapToFieldTypes()
    {
        int size = 0;
        QCOMPARE(TypeFromDecl("VARCHAR(30)", &size), ftString);
        QCOMPARE(size, 30);
        QCOMPARE(TypeFromDecl("DOUBLE PRECISION", &size), ftFloat);
        QCOMPARE(TypeFromDecl("INTEGER", &size), ftInteger);
        QCOMPARE(TypeFromDecl("TIMESTAMP", &size), ftDateTime);
        QCOMPARE(TypeFromDecl("BOOLEAN", &size), ftBoolean);
    }
};

QTEST_GUILESS_MAIN(UnitsTest)
#include "units_test.moc"
