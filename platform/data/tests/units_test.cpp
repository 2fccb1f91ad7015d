// Engine pieces that need no storage: the SQL dialect step, name checks, the alias
// file, server names and parameter blocks, date texts and display formats.
#include "platform/data/alias.h"
#include "platform/data/database.h"
#include "platform/core/exceptions.h"
#include "platform/data/fbclient.h"
#include "platform/data/field.h"
#include "platform/core/formatsettings.h"
#include "platform/data/localstore.h"

#include <QHostAddress>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QtTest>

// Points bare database paths at another server for one test.
struct LocalServerScope {
    QString FHost;
    int FPort;
    LocalServerScope(const QString& host, int port)
    {
        LocalServer(FHost, FPort);
        SetLocalServer(host, port);
    }
    ~LocalServerScope() { SetLocalServer(FHost, FPort); }
};

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

    // A file saved by an editor of another system: byte order mark, CR LF, 8-bit
    // UTF-8, a commented entry, and a last line without its end.
    void aliasFileFromAnotherEditor()
    {
        QTemporaryDir dir;
        QString file = dir.filePath("engine.ini");
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("\xEF\xBB\xBF[DBDEMOS]\r\nDRIVER=PARADOX\r\nPATH=/data/Voil\xC3\xA0\r\n  ; PATH=/old\r\n\r\n"
                "[DEZAZAV]\r\nDRIVER=INTRBASE\r\nPASSWORD = a=b;c ");
        f.close();
        qputenv("VORN_ENGINE_CONFIG", file.toUtf8());
        Session.Reset();
        QCOMPARE(Session.GetAliasNames(), (QStringList{"DBDEMOS", "DEZAZAV"}));
        QCOMPARE(Session.GetAliasDriverName("DBDEMOS"), QString("PARADOX"));
        QCOMPARE(Session.GetAliasParams("DBDEMOS"), QStringList{QString::fromUtf8("PATH=/data/Voil\xC3\xA0")});
        QCOMPARE(ParamValue(Session.GetAliasParams("DEZAZAV"), "PASSWORD"), QString("a=b;c"));
        qunsetenv("VORN_ENGINE_CONFIG");
        Session.Reset();
    }

    // A mistyped driver is named with its alias, and never read as a server to call.
    void anUnknownDriverIsNamedWithItsAlias()
    {
        QTemporaryDir dir;
        QString file = dir.filePath("engine.ini");
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(("[DBDEMOS]\nDRIVER=PARDOX\nPATH=" + dir.path() + "\n[BARE]\nPATH=" + dir.path() + "\n").toUtf8());
        f.close();
        qputenv("VORN_ENGINE_CONFIG", file.toUtf8());
        Session.Reset();
        auto openError = [](const QString& alias) {
            TDatabase d;
            d.AliasName = alias;
            try {
                d.Open();
            } catch (const EDatabaseError& e) {
                return d.Connected() ? QString("connected") : QString::fromStdString(e.Message);
            }
            return QString("opened");
        };
        QCOMPARE(openError("DBDEMOS"), QString("Cannot open alias DBDEMOS: unknown driver PARDOX "
                                               "(the drivers are PARADOX and INTRBASE)"));
        QCOMPARE(openError("BARE"), QString("Cannot open alias BARE: it names no driver (PARADOX or INTRBASE)"));
        try {
            Session.AddAlias("MINE", "Pardox", {"PATH=" + dir.path()});
            QFAIL("added an alias with an unknown driver");
        } catch (const EDatabaseError& e) {
            QCOMPARE(QString::fromStdString(e.Message),
                     QString("Cannot add alias MINE: unknown driver Pardox (the drivers are PARADOX and INTRBASE)"));
        }
        qunsetenv("VORN_ENGINE_CONFIG");
        Session.Reset();
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
        SplitServerName("[::1]/3057:/d/X.GDB", host, port, path);
        QCOMPARE(host, QString("::1"));
        QCOMPARE(port, 3057);
        QCOMPARE(path, QString("/d/X.GDB"));
        SplitServerName("[fe80::1]:/d/X.GDB", host, port, path);
        QCOMPARE(host, QString("fe80::1"));
        QCOMPARE(port, 3050);
        QCOMPARE(path, QString("/d/X.GDB"));
    }

    // A name no server could open is refused before anything is dialled, with a message
    // that says what a name looks like, rather than as a server missing on port 0.
    void malformedServerNamesAreRefused()
    {
        QString host, path;
        int port;
        for (const char* bad : {"", "localhost:", "db/3051:", ":/d/X.GDB", "/3051:/d/X.GDB", "db/:/d/X.GDB",
                                "db/x51:/d/X.GDB", "db/0:/d/X.GDB", "db/65536:/d/X.GDB", "db/-1:/d/X.GDB",
                                "[::1/3050:/d/X.GDB", "[]:/d/X.GDB", "[::1]x:/d/X.GDB"})
            QVERIFY2(!SplitServerName(bad, host, port, path), bad);
        for (const char* good : {"db/1:/d/X.GDB", "db/65535:/d/X.GDB", "/d/X.GDB", "C:\\D\\X.GDB", "[::1]:/d/X.GDB"})
            QVERIFY2(SplitServerName(good, host, port, path), good);
        try {
            ReachableServerName("localhost/0:/d/X.GDB");
            QFAIL("no error for port 0");
        } catch (const EDatabaseError& e) {
            QCOMPARE(QString::fromStdString(e.Message),
                     QString("'localhost/0:/d/X.GDB' is not a server database name: host:path, host/port:path or a path"));
        }
    }

    // Only a Windows path ("C:\...") keeps its drive letter; a one-letter host is a host.
    void aNameSaysWhetherItNamesItsHost()
    {
        QString host, path;
        int port;
        LocalServerScope elsewhere("127.0.0.1", 3057);
        QVERIFY(SplitServerName("h:/x.fdb", host, port, path));
        QCOMPARE(host, QString("h"));
        QCOMPARE(port, 3050);
        QCOMPARE(path, QString("/x.fdb"));
        QVERIFY(NamesServerHost("h:/x.fdb"));
        QVERIFY(NamesServerHost("[::1]/3057:/x.fdb"));
        QVERIFY(!NamesServerHost("/d/X.GDB"));
        QVERIFY(!NamesServerHost("C:\\D\\X.GDB"));
        QVERIFY(SplitServerName("C:\\D\\X.GDB", host, port, path));
        QCOMPARE(host, QString("127.0.0.1"));
        QCOMPARE(port, 3057);
    }

    // Parameter blocks: a version byte, then tag, length and bytes; numbers little-endian.
    void parameterBlocksAreLaidOutAsTheClientReadsThem()
    {
        TFbParameterBlock block(1);
        block.Flag(9).String(28, "SYSDBA").Number(63, 8192);
        QCOMPARE(QByteArray::fromStdString(block.Bytes()),
                 QByteArray("\x01\x09\x1c\x06SYSDBA\x3f\x04\x00\x20\x00\x00", 16));
        // A value longer than a length byte can say is cut there, not spilled into the next item.
        TFbParameterBlock tooLong(1);
        tooLong.String(29, QByteArray(300, 'p')).Flag(9);
        QCOMPARE(tooLong.Bytes().size(), size_t(1 + 2 + 255 + 1));
        QCOMPARE(quint8(tooLong.Bytes()[2]), quint8(255));
        QCOMPARE(tooLong.Bytes().back(), char(9));
    }

    void aBarePathNamesTheLocalServer()
    {
        QString host, path;
        int port;
        LocalServerScope elsewhere("127.0.0.1", 3057);
        SplitServerName("/home/u/DATA/DEZAZAV.GDB", host, port, path);
        QCOMPARE(host, QString("127.0.0.1"));
        QCOMPARE(port, 3057);
        QCOMPARE(path, QString("/home/u/DATA/DEZAZAV.GDB"));
        // A named host without a port is on the standard one, wherever the local server is.
        SplitServerName("localhost:/home/u/DATA/DEZAZAV.GDB", host, port, path);
        QCOMPARE(host, QString("localhost"));
        QCOMPARE(port, 3050);
    }

    // A hosts file may list ::1 before 127.0.0.1 for localhost, and a server may listen
    // on only one of them: each address is tried before the server counts as absent.
    void theServerCheckTriesEveryAddressOfTheName()
    {
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress("127.0.0.1")));
        const int port = server.serverPort();
        QCOMPARE(FirstAnsweringAddress({"::1", "127.0.0.1"}, port), QString("127.0.0.1"));
        QCOMPARE(FirstAnsweringAddress({"127.0.0.1", "::1"}, port), QString("127.0.0.1"));
        QCOMPARE(FirstAnsweringAddress({"::1", "127.0.0.2"}, port), QString());
        QCOMPARE(FirstAnsweringAddress({}, port), QString());
        QVERIFY(ResolveHost("localhost").contains("127.0.0.1"));
        QCOMPARE(AnsweringAddress("localhost", port), QString("127.0.0.1"));
        QVERIFY(ServerAnswers("localhost", port));
        // The connection goes to the address that answered, with the port written out.
        QCOMPARE(ReachableServerName(QString("localhost/%1:/srv/DEZAZAV.GDB").arg(port)),
                 QString("127.0.0.1/%1:/srv/DEZAZAV.GDB").arg(port));
        {
            LocalServerScope here("localhost", port);
            QCOMPARE(ReachableServerName("/srv/DEZAZAV.GDB"), QString("127.0.0.1/%1:/srv/DEZAZAV.GDB").arg(port));
        }
        server.close();
        QVERIFY(!ServerAnswers("localhost", port));
        try {
            ReachableServerName(QString("localhost/%1:/srv/DEZAZAV.GDB").arg(port));
            QFAIL("no error without a server");
        } catch (const EDatabaseError& e) {
            QCOMPARE(QString::fromStdString(e.Message),
                     QString("The database server is not running on localhost:%1").arg(port));
        }
    }

    void anIPv6AddressIsWrittenInBrackets()
    {
        QTcpServer server;
        if (!server.listen(QHostAddress("::1")))
            QSKIP("this machine has no IPv6 loopback");
        const int port = server.serverPort();
        QCOMPARE(FirstAnsweringAddress({"127.0.0.1", "::1"}, port), QString("[::1]"));
        QCOMPARE(ReachableServerName(QString("[::1]/%1:/srv/X.GDB").arg(port)), QString("[::1]/%1:/srv/X.GDB").arg(port));
    }

    void localDatesHaveOneStoredText()
    {
        auto text = [](TDateTime d) { return ToStorage(d, ftDateTime, dlSqlite).toString(); };
        auto read = [](const QString& t) { return FromStorage(t, ftDateTime); };
        const TDateTime day = EncodeDate(2004, 3, 5);
        const TDateTime v = day + EncodeTime(13, 45, 30, 250);
        // The form the order-database builder has always written: the engine writes it too.
        QCOMPARE(text(day), QString("2004-03-05 00:00:00"));
        QCOMPARE(text(day + EncodeTime(13, 45, 30, 0)), QString("2004-03-05 13:45:30"));
        QCOMPARE(text(v), QString("2004-03-05 13:45:30.250"));
        QCOMPARE(text(day + EncodeTime(0, 0, 0, 5)), QString("2004-03-05 00:00:00.005"));
        QCOMPARE(text(0), QString("1899-12-30 00:00:00"));
        QCOMPARE(text(EncodeDate(2000, 2, 29)), QString("2000-02-29 00:00:00"));
        // A hair below midnight is midnight of the next day, never "24:00:00".
        QCOMPARE(text(day - 1e-10), QString("2004-03-05 00:00:00"));
        QCOMPARE(QString::fromStdString(DateTimeToStoredText(v)), text(v));
        QVERIFY(ToStorage(v, ftDateTime, dlFirebird).typeId() == QMetaType::QDateTime);

        QCOMPARE(read("2004-03-05 13:45:30.250").toDouble(), v);
        QCOMPARE(read("2004-03-05T13:45:30.250").toDouble(), v); // as the engine wrote it before
        QCOMPARE(read("2004-03-05 13:45:30.25").toDouble(), v);
        QCOMPARE(read(" 2004-03-05 13:45:30 ").toDouble(), day + EncodeTime(13, 45, 30, 0));
        QCOMPARE(read("2004-03-05 13:45").toDouble(), day + EncodeTime(13, 45, 0, 0));
        QCOMPARE(read("2004-03-05").toDouble(), day);
        QCOMPARE(read("2000-02-29 00:00:00").toDouble(), EncodeDate(2000, 2, 29));
        for (const char* bad : {"", "   ", "yesterday", "2004-02-30 00:00:00", "2100-02-29", "2004-03-05 24:00:00",
                                "2004-03-05 13:60", "2004-03-05X13:45", "2004-03-05 13:45:3", "2004-3-5",
                                "2004-03-05 13:45:30.", "2004-03-05 13:45:30.2x"})
            QVERIFY2(read(bad).isNull(), bad);
        for (TDateTime d : {0.0, day, v, day + EncodeTime(23, 59, 59, 999), EncodeDate(9999, 12, 31)})
            QCOMPARE(read(text(d)).toDouble(), d);

        // Text order is time order, across every length the form takes.
        const QList<TDateTime> rising = {EncodeDate(1999, 12, 31) + EncodeTime(23, 59, 59, 999), EncodeDate(2000, 1, 1),
                                         EncodeDate(2000, 1, 1) + EncodeTime(0, 0, 0, 1),
                                         EncodeDate(2000, 1, 1) + EncodeTime(0, 0, 1, 0),
                                         EncodeDate(2000, 1, 1) + EncodeTime(0, 1, 0, 0), EncodeDate(2000, 1, 2)};
        for (int i = 1; i < rising.size(); ++i)
            QVERIFY2(text(rising[i - 1]) < text(rising[i]), qPrintable(text(rising[i])));
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

    void thousandsSeparatorsGoBetweenGroupsOfThree()
    {
        // No separator before a first group of three digits or fewer.
        QCOMPARE(FormatFloat("#,##0", 0), QString("0"));
        QCOMPARE(FormatFloat("#,##0", 7), QString("7"));
        QCOMPARE(FormatFloat("#,##0", 100), QString("100"));
        QCOMPARE(FormatFloat("#,##0", 999), QString("999"));
        QCOMPARE(FormatFloat("#,##0", 1000), QString("1,000"));
        QCOMPARE(FormatFloat("#,##0", 12345), QString("12,345"));
        QCOMPARE(FormatFloat("#,##0", 100000), QString("100,000"));
        QCOMPARE(FormatFloat("#,##0", 1234567), QString("1,234,567"));
        QCOMPARE(FormatFloat("#,##0.00", 1234.5), QString("1,234.50"));
        // Negative numbers: the sign before the first digit, or the negative section.
        QCOMPARE(FormatFloat("#,##0", -100), QString("-100"));
        QCOMPARE(FormatFloat("#,##0", -1234567), QString("-1,234,567"));
        QCOMPARE(FormatFloat("#,##0;(#,##0)", -1234), QString("(1,234)"));
        QCOMPARE(FormatFloat("0", 1234567), QString("1234567"));
        QCOMPARE(FormatCurrency(100), QString("$100.00"));
        QCOMPARE(FormatCurrency(-999.99), QString("($999.99)"));
        // The separators are the user's.
        const TFormatSettings saved = FormatSettings;
        FormatSettings.ThousandSeparator = '.';
        FormatSettings.DecimalSeparator = ',';
        QCOMPARE(FormatFloat("#,##0.00", 1234567.5), QString("1.234.567,50"));
        QCOMPARE(FormatFloat("#,##0.00", 100.5), QString("100,50"));
        FormatSettings = saved;
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
