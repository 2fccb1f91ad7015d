// Report expressions: parsing and the positions errors name, arithmetic, comparison
// and precedence, fields of real tables with their empty values, the expressions of the
// three reports, Dataset.Field, SUM's running total and FormatNumeric's picture masks.
#include "platform/reports/expression.h"

#include "platform/core/datetime.h"
#include "platform/core/formatsettings.h"
#include "platform/data/table.h"
#include "testsupport/scratchstore.h"

#include <QDateTime>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QtTest>

#include <memory>

namespace {

TExprValue Eval(const QString& text, const TExprScope& scope = {})
{
    return TReportExpression(text).Evaluate(scope);
}

QString Text(const QString& text, const TExprScope& scope = {})
{
    return TReportExpression::AsText(Eval(text, scope));
}

// The message of the error that parsing and evaluating Text raise; empty when none.
QString ErrorOf(const QString& text, const TExprScope& scope = {})
{
    try {
        TReportExpression e(text);
        e.Evaluate(scope);
        e.Accumulate(scope);
    } catch (const EExpressionError& error) {
        return QString::fromStdString(error.Message);
    }
    return QString();
}

QString Expected(const QString& text, int pos, const QString& what)
{
    return QString("Error in expression \"%1\" at position %2: %3").arg(text).arg(pos).arg(what);
}

// Saves the format settings a test changes and puts them back.
struct TSettingsGuard {
    TFormatSettings Saved = FormatSettings;
    ~TSettingsGuard() { FormatSettings = Saved; }
};

} // namespace

class TExpressionTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TScratchStore> Store;
    std::unique_ptr<TDatabase> Db;
    std::unique_ptr<TTable> Cust, Orders, Items;

    std::unique_ptr<TTable> OpenTable(const QString& name, const QString& table, const QString& key)
    {
        auto t = std::make_unique<TTable>();
        t->setObjectName(name);
        t->SetDatabase(Db.get());
        t->TableName = table;
        t->IndexFieldNames = key;
        t->Open();
        return t;
    }

    TExprScope CustScope() const
    {
        TExprScope scope;
        scope.DataSet = Cust.get();
        return scope;
    }

    // The invoice's scope: the lines of order 1001, with Cust and Orders beside them.
    TExprScope InvoiceScope() const
    {
        TExprScope scope;
        scope.DataSet = Items.get();
        scope.DataSets = {Cust.get(), Orders.get()};
        return scope;
    }

private slots:
    void initTestCase()
    {
        Store = std::make_unique<TScratchStore>(false);
        Store->CreateTable("CUSTOMER", "CustNo DOUBLE PRECISION NOT NULL PRIMARY KEY, Company VARCHAR(30), "
                                       "Addr1 VARCHAR(30), Addr2 VARCHAR(30), City VARCHAR(15), State VARCHAR(20), "
                                       "Zip VARCHAR(10), Visits INTEGER, TaxRate DOUBLE PRECISION, "
                                       "LastInvoiceDate TIMESTAMP");
        Store->CreateTable("ORDERS", "OrderNo DOUBLE PRECISION NOT NULL PRIMARY KEY, CustNo DOUBLE PRECISION, "
                                     "SaleDate TIMESTAMP, Freight DOUBLE PRECISION");
        Store->CreateTable("ITEMS", "OrderNo DOUBLE PRECISION NOT NULL, ItemNo DOUBLE PRECISION NOT NULL, "
                                    "Qty INTEGER, ExtPrice DOUBLE PRECISION, PRIMARY KEY (OrderNo, ItemNo)");
        const QString cust = "INSERT INTO CUSTOMER (CustNo, Company, Addr1, Addr2, City, State, Zip, Visits, TaxRate, "
                             "LastInvoiceDate) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)";
        // 1 has everything, 2 neither Addr2 nor City, 3 no City, 4 no Addr2, 5 empty texts
        // rather than nulls and no numbers or date.
        Store->Exec(cust, {1.0, "Kauai Dive Shoppe", "4-976 Sugarloaf Hwy", "Suite 103", "Kapaa Kauai", "HI",
                           "94766-1234", 3, 8.5, Store->Date(EncodeDate(1995, 1, 2) + EncodeTime(14, 30, 0, 0))});
        Store->Exec(cust, {2.0, "Unisco", "PO Box Z-547", QVariant(), QVariant(), "FL", "34230", 1, 0.0,
                           Store->Date(EncodeDate(1994, 11, 17))});
        Store->Exec(cust, {3.0, "Sight Diver", "1 Neptune Lane", "Kato Paphos", QVariant(), QVariant(), QVariant(),
                           2, 4.0, Store->Date(EncodeDate(1995, 3, 1))});
        Store->Exec(cust, {4.0, "Cayman Divers", "PO Box 541", QVariant(), "Grand Cayman", QVariant(), QVariant(),
                           0, 0.0, Store->Date(EncodeDate(1993, 5, 20))});
        Store->Exec(cust, {5.0, "Tom Sawyer Diving", "632-1 Third Frydenhoj", "", "", QVariant(), QVariant(),
                           QVariant(), QVariant(), QVariant()});
        Store->Exec("INSERT INTO ORDERS (OrderNo, CustNo, SaleDate, Freight) VALUES (1001, 1, ?, 12.5)",
                    {Store->Date(EncodeDate(1995, 1, 2))});
        Store->Exec("INSERT INTO ORDERS (OrderNo, CustNo, SaleDate, Freight) VALUES (1002, 2, ?, 0)",
                    {Store->Date(EncodeDate(1995, 1, 3))});
        const QString item = "INSERT INTO ITEMS (OrderNo, ItemNo, Qty, ExtPrice) VALUES (?, ?, ?, ?)";
        Store->Exec(item, {1001.0, 1.0, 2, 1000.25});
        Store->Exec(item, {1001.0, 2.0, 1, 234.25});
        Store->Exec(item, {1001.0, 3.0, 5, 1234567.0});
        Db = std::make_unique<TDatabase>();
        Store->Open(*Db, "EXPR");
        Cust = OpenTable("Cust", "CUSTOMER", "CustNo");
        Orders = OpenTable("Orders", "ORDERS", "OrderNo");
        Items = OpenTable("Items", "ITEMS", "OrderNo;ItemNo");
    }

    void cleanupTestCase()
    {
        Items.reset();
        Orders.reset();
        Cust.reset();
        Db.reset();
        Store.reset();
    }

    void parseErrorsNamePositions_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("pos");
        QTest::addColumn<QString>("what");
        QTest::newRow("operand at the end") << "Addr1 + " << 9 << "operand expected";
        QTest::newRow("empty") << "" << 1 << "operand expected";
        QTest::newRow("blank") << "   " << 4 << "operand expected";
        QTest::newRow("open parenthesis") << "(1 + 2" << 7 << "')' expected";
        QTest::newRow("close parenthesis") << "1 + 2)" << 6 << "unexpected ')'";
        QTest::newRow("two names") << "Addr1 Addr2" << 7 << "unexpected 'Addr2'";
        QTest::newRow("unterminated string") << "City + ', " << 8 << "unterminated string";
        QTest::newRow("strange character") << "1 # 2" << 3 << "unexpected character '#'";
        QTest::newRow("double quotes") << "\"x\"" << 1 << "unexpected character '\"'";
        QTest::newRow("name after number") << "12abc" << 3 << "malformed number";
        QTest::newRow("dot without field") << "Cust." << 6 << "field name expected";
        QTest::newRow("dangling and") << "1 and" << 6 << "operand expected";
        QTest::newRow("not alone") << "not" << 4 << "operand expected";
        QTest::newRow("and as operand") << "1 = and" << 5 << "operand expected";
        QTest::newRow("comma outside call") << "1, 2" << 2 << "unexpected ','";
        QTest::newRow("missing argument") << "if(true, , 2)" << 10 << "operand expected";
        QTest::newRow("if with two") << "if(true, 1)" << 1 << "'if' takes 3 arguments, not 2";
        QTest::newRow("SUM with two") << "1 + SUM(1, 2)" << 5 << "'SUM' takes 1 argument, not 2";
        QTest::newRow("SUM with none") << "sum()" << 1 << "'sum' takes 1 argument, not 0";
        QTest::newRow("FormatNumeric with one") << "FormatNumeric('#')" << 1 << "'FormatNumeric' takes 2 arguments, not 1";
        QTest::newRow("SUM in SUM") << "SUM(1 + SUM(2))" << 9 << "SUM inside SUM";
        QTest::newRow("nested parentheses") << QString(300, '(') + "1" + QString(300, ')') << 201
                                            << "expression nested too deeply";
        QTest::newRow("nested minus") << QString(300, '-') + "1" << 201 << "expression nested too deeply";
    }

    void parseErrorsNamePositions()
    {
        QFETCH(QString, text);
        QFETCH(int, pos);
        QFETCH(QString, what);
        try {
            TReportExpression e(text);
            QFAIL("no error");
        } catch (const EExpressionError& error) {
            QCOMPARE(QString::fromStdString(error.Message), Expected(text, pos, what));
        }
    }

    void longChainsAreRefusedNotOverflowed()
    {
        // A left-deep tree from a flat text: refused before evaluation could recurse that deep.
        QString text = "1";
        for (int i = 0; i < 5000; ++i)
            text += "+1";
        QVERIFY(ErrorOf(text).contains("expression nested too deeply"));
        QString fine = "1";
        for (int i = 0; i < 150; ++i)
            fine += "+1";
        QCOMPARE(Eval(fine).toDouble(), 151.0);
    }

    void evaluationErrorsNameWhatAndWhere_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("pos");
        QTest::addColumn<QString>("what");
        QTest::newRow("text + number") << "Addr1 + 5" << 7 << "cannot apply '+' to text and number";
        QTest::newRow("number + text") << "Visits + Addr1" << 8 << "cannot apply '+' to number and text";
        QTest::newRow("text * number") << "'2' * 3" << 5 << "cannot apply '*' to text and number";
        QTest::newRow("text + boolean") << "'a' + true" << 5 << "cannot apply '+' to text and boolean";
        QTest::newRow("text + date") << "City + LastInvoiceDate" << 6 << "cannot apply '+' to text and date";
        QTest::newRow("compare number and text") << "Visits < 'a'" << 8 << "cannot compare number and text";
        QTest::newRow("compare date and number") << "LastInvoiceDate = 0" << 17 << "cannot compare date and number";
        QTest::newRow("negate text") << "-City" << 1 << "cannot apply '-' to text";
        QTest::newRow("not number") << "not Visits" << 1 << "cannot apply 'not' to number";
        QTest::newRow("and number") << "Visits and true" << 8 << "cannot apply 'and' to number";
        QTest::newRow("or text") << "false or City" << 7 << "cannot apply 'or' to boolean and text";
        QTest::newRow("if on number") << "if(Visits, 1, 2)" << 1 << "the condition of 'if' is number, not true or false";
        QTest::newRow("division by zero") << "TaxRate / (Visits - 3)" << 9 << "division by zero";
        QTest::newRow("letter after number") << "1e" << 2 << "malformed number";
        QTest::newRow("unknown field") << "Addr1 + Adr2" << 9 << "unknown field or function 'Adr2'";
        QTest::newRow("unknown dataset") << "Custs.Addr1" << 1 << "unknown dataset 'Custs'";
        QTest::newRow("unknown field of dataset") << "'x' + Cust.Adr1" << 7 << "unknown field 'Cust.Adr1'";
        QTest::newRow("unknown function") << "Trim(City)" << 1 << "unknown function 'Trim'";
        QTest::newRow("mask not text") << "FormatNumeric(2, 3)" << 1 << "the mask of FormatNumeric is number, not text";
        QTest::newRow("FormatNumeric of text") << "FormatNumeric('#', City)" << 1 << "FormatNumeric needs a number, not text";
        QTest::newRow("SUM of text") << "SUM(City)" << 1 << "SUM needs numbers, not text";
    }

    void evaluationErrorsNameWhatAndWhere()
    {
        QFETCH(QString, text);
        QFETCH(int, pos);
        QFETCH(QString, what);
        QVERIFY(Cust->Locate("CustNo", 1.0));
        QCOMPARE(ErrorOf(text, CustScope()), Expected(text, pos, what));
    }

    void overflowIsAnErrorNotInfinity()
    {
        QString big = "9" + QString(300, '9');
        QVERIFY(ErrorOf(big + " * " + big).contains("number out of range"));
    }

    void arithmeticAndPrecedence_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("result");
        QTest::newRow("times before plus") << "1 + 2 * 3" << "7";
        QTest::newRow("divide before minus") << "10 - 6 / 2" << "7";
        QTest::newRow("parentheses") << "(1 + 2) * 3" << "9";
        QTest::newRow("minus from the left") << "10 - 4 - 3" << "3";
        QTest::newRow("divide from the left") << "12 / 4 / 3" << "1";
        QTest::newRow("unary minus") << "-2 * 3 + 10" << "4";
        QTest::newRow("minus minus") << "2 - -3" << "5";
        QTest::newRow("decimals") << "12.5 + .25" << "12.75";
        QTest::newRow("no trailing zeros") << "2.50 * 2" << "5";
        QTest::newRow("negative zero") << "-0" << "0";
        QTest::newRow("third") << "1 / 3" << "0.333333333333333";
        QTest::newRow("comparison after sum") << "1 + 2 = 3" << "True";
        QTest::newRow("and before or") << "true or false and false" << "True";
        QTest::newRow("and before or, left") << "false and false or true" << "True";
        QTest::newRow("not binds tightest") << "not false and false" << "False";
        QTest::newRow("comparison before and") << "1 < 2 and 3 > 2" << "True";
        QTest::newRow("less or equal") << "2 <= 2" << "True";
        QTest::newRow("greater or equal") << "1 >= 2" << "False";
        QTest::newRow("not equal") << "1 <> 1" << "False";
        QTest::newRow("strings") << "'abc' < 'abd'" << "True";
        QTest::newRow("case-sensitive equal") << "'a' = 'A'" << "False";
        QTest::newRow("case-sensitive order") << "'B' < 'a'" << "True";
        QTest::newRow("concatenation") << "'Kapaa' + ', ' + 'HI'" << "Kapaa, HI";
        QTest::newRow("doubled quote") << "'it''s'" << "it's";
        QTest::newRow("empty string") << "'' + ''" << "";
        QTest::newRow("keywords any case") << "TRUE And Not FALSE" << "True";
        QTest::newRow("if picks") << "IF(2 > 1, 'yes', 'no')" << "yes";
        QTest::newRow("if picks else") << "if(2 < 1, 'yes', 'no')" << "no";
        QTest::newRow("upper") << "Upper('Kauai') + Lower('DIVE')" << "KAUAIdive";
        QTest::newRow("str") << "Str(1.5) + '%'" << "1.5%";
        QTest::newRow("booleans equal") << "(1 = 1) = true" << "True";
    }

    void arithmeticAndPrecedence()
    {
        QFETCH(QString, text);
        QFETCH(QString, result);
        QCOMPARE(Text(text), result);
    }

    void onlyTheChosenSideIsEvaluated()
    {
        // The other side names nothing that exists: evaluating it would fail.
        QCOMPARE(Text("if(true, 1, Nothing)"), QString("1"));
        QCOMPARE(Text("if(false, 1 / 0, 2)"), QString("2"));
        QCOMPARE(Text("false and Nothing"), QString("False"));
        QCOMPARE(Text("true or 1 / 0"), QString("True"));
        QVERIFY(ErrorOf("if(false, 1, Nothing)").contains("unknown field or function 'Nothing'"));
    }

    void fieldsAndTheirEmptyValues()
    {
        TSettingsGuard guard;
        FormatSettings.ShortDateFormat = "MM/dd/yy";
        TExprScope scope = CustScope();

        QVERIFY(Cust->Locate("CustNo", 2.0));
        // A null text is '': Addr2 <> '' is false, and it joins like an empty text.
        QCOMPARE(Eval("Addr2", scope).typeId(), int(QMetaType::QString));
        QCOMPARE(Eval("Addr2 <> ''", scope).toBool(), false);
        QCOMPARE(Eval("Addr2 = ''", scope).toBool(), true);
        QCOMPARE(Text("'[' + Addr2 + ']'", scope), QString("[]"));
        QCOMPARE(Text("addr1", scope), QString("PO Box Z-547"));
        QCOMPARE(Text("CUSTNO * 10", scope), QString("20"));

        QVERIFY(Cust->Locate("CustNo", 5.0));
        // Null numbers are 0, a null date stays null and prints as nothing.
        QCOMPARE(Text("Visits + TaxRate + 1", scope), QString("1"));
        QVERIFY(Eval("LastInvoiceDate", scope).isNull());
        QCOMPARE(Text("LastInvoiceDate", scope), QString());
        QCOMPARE(Text("LastInvoiceDate + 1", scope), QString());
        QCOMPARE(Text("'on ' + LastInvoiceDate", scope), QString("on "));
        QCOMPARE(Eval("LastInvoiceDate = LastInvoiceDate", scope).toBool(), true);
        QCOMPARE(Eval("Addr2 <> ''", scope).toBool(), false);

        // Dates are date-times, printed in the short date format with a time when they have one.
        QVERIFY(Cust->Locate("CustNo", 3.0));
        QCOMPARE(Eval("LastInvoiceDate", scope).typeId(), int(QMetaType::QDateTime));
        QCOMPARE(Eval("LastInvoiceDate", scope).toDateTime().date(), QDate(1995, 3, 1));
        QCOMPARE(Text("LastInvoiceDate", scope), QString("03/01/95"));
        QCOMPARE(Text("LastInvoiceDate + 30", scope), QString("03/31/95"));
        QCOMPARE(Text("LastInvoiceDate - 1", scope), QString("02/28/95"));
        QVERIFY(Cust->Locate("CustNo", 1.0));
        QCOMPARE(Eval("LastInvoiceDate", scope).toDateTime().time(), QTime(14, 30));
        QCOMPARE(Text("LastInvoiceDate", scope).left(9), QString("01/02/95 "));
        // Date minus date is the days between, the time of day included.
        QVERIFY(Orders->Locate("OrderNo", 1001.0));
        const double days = Eval("Orders.SaleDate - LastInvoiceDate", TExprScope{Cust.get(), {Orders.get()}, {}}).toDouble();
        QVERIFY(qAbs(days + 14.5 / 24) < 1e-9);
        QVERIFY(Orders->Locate("OrderNo", 1002.0));
        QCOMPARE(Eval("Orders.SaleDate > LastInvoiceDate", TExprScope{Cust.get(), {Orders.get()}, {}}).toBool(), true);
        QCOMPARE(Eval("Orders.SaleDate < LastInvoiceDate", TExprScope{Cust.get(), {Orders.get()}, {}}).toBool(), false);
        QVERIFY(Orders->Locate("OrderNo", 1001.0));
    }

    void functionsOfTheScope()
    {
        QStringList asked;
        TExprScope scope = CustScope();
        scope.Function = [&](const QString& name, TExprValue& value) {
            asked << name;
            if (name == "PAGENUMBER")
                value = 3; // an int, as an engine may well give it
            else if (name == "REPORTTITLE")
                value = QString("Customer List");
            else if (name == "CITY")
                value = QString("from the function");
            else
                return false;
            return true;
        };
        QVERIFY(Cust->Locate("CustNo", 1.0));
        QCOMPARE(Text("'Page ' + Str(PageNumber + 1)", scope), QString("Page 4"));
        QCOMPARE(Text("ReportTitle", scope), QString("Customer List"));
        // A field comes before a function of the same name.
        QCOMPARE(Text("City", scope), QString("Kapaa Kauai"));
        QCOMPARE(asked, QStringList({"PAGENUMBER", "REPORTTITLE"}));
        QCOMPARE(ErrorOf("COLUMNNUMBER", scope), Expected("COLUMNNUMBER", 1, "unknown field or function 'COLUMNNUMBER'"));
        // Without a dataset a bare name is only a function.
        scope.DataSet = nullptr;
        QCOMPARE(Text("City", scope), QString("from the function"));
    }

    void customerListAddress()
    {
        const QString text = "Addr1 + if(Addr2 <> '',' ' + Addr2, '') + if(City <> '',', ' + City, '')";
        const QMap<int, QString> expected = {
            {1, "4-976 Sugarloaf Hwy Suite 103, Kapaa Kauai"},
            {2, "PO Box Z-547"},                // Addr2 and City empty: Addr1 alone
            {3, "1 Neptune Lane Kato Paphos"},  // City empty: Addr1, a blank, Addr2
            {4, "PO Box 541, Grand Cayman"},
            {5, "632-1 Third Frydenhoj"},       // empty texts rather than nulls
        };
        TReportExpression e(text);
        QVERIFY(!e.HasAggregate());
        QMap<int, QString> seen;
        for (Cust->First(); !Cust->Eof(); Cust->Next())
            seen[Cust->FieldByName("CustNo")->AsInteger()] = TReportExpression::AsText(e.Evaluate(CustScope()));
        QCOMPARE(seen, expected);
    }

    void invoiceHeaderOverTwoDatasets()
    {
        QVERIFY(Cust->Locate("CustNo", 1.0));
        QVERIFY(Orders->Locate("OrderNo", 1001.0));
        const TExprScope scope = InvoiceScope();
        QCOMPARE(Text("Cust.Addr1 + ' ' + Cust.Addr2", scope), QString("4-976 Sugarloaf Hwy Suite 103"));
        QCOMPARE(Text("Cust.City + ', ' + Cust.State + ' ' + Cust.Zip", scope), QString("Kapaa Kauai, HI 94766-1234"));
        // Dataset names in any case; the report's own dataset by its name too.
        QCOMPARE(Text("CUST.Company + ' #' + Str(orders.orderno)", scope), QString("Kauai Dive Shoppe #1001"));
        Items->First();
        QCOMPARE(Text("Items.Qty + Qty", scope), QString("4"));
        // Following the other datasets as they move.
        QVERIFY(Cust->Locate("CustNo", 3.0));
        QCOMPARE(Text("Cust.City + ', ' + Cust.State + ' ' + Cust.Zip", scope), QString(",  "));
        QVERIFY(Orders->Locate("OrderNo", 1002.0));
        QCOMPARE(Text("Orders.Freight", scope), QString("0"));
        // A dataset that is not in the scope is unknown, even when it exists.
        TExprScope bare;
        bare.DataSet = Items.get();
        QCOMPARE(ErrorOf("Cust.Addr1", bare), Expected("Cust.Addr1", 1, "unknown dataset 'Cust'"));
        QVERIFY(Cust->Locate("CustNo", 1.0));
        QVERIFY(Orders->Locate("OrderNo", 1001.0));
    }

    void invoiceTotals()
    {
        QVERIFY(Orders->Locate("OrderNo", 1001.0));
        const TExprScope scope = InvoiceScope();
        TReportExpression subTotal("FormatNumeric('$##,###,###.00', SUM(Items.ExtPrice))");
        TReportExpression total("FormatNumeric('$##,###,###.00', SUM(Items.ExtPrice) + Orders.Freight)");
        QVERIFY(subTotal.HasAggregate());
        QVERIFY(total.HasAggregate());
        const QStringList running = {"$1,000.25", "$1,234.50", "$1,235,801.50"};
        int line = 0;
        for (Items->First(); !Items->Eof(); Items->Next()) {
            subTotal.Accumulate(scope);
            total.Accumulate(scope);
            QCOMPARE(TReportExpression::AsText(subTotal.Evaluate(scope)), running[line++]);
        }
        QCOMPARE(line, 3);
        QCOMPARE(TReportExpression::AsText(total.Evaluate(scope)), QString("$1,235,814.00"));
        // A second run starts from nothing.
        subTotal.Reset();
        QCOMPARE(TReportExpression::AsText(subTotal.Evaluate(scope)), QString("$.00"));
        Items->First();
        subTotal.Accumulate(scope);
        QCOMPARE(TReportExpression::AsText(subTotal.Evaluate(scope)), QString("$1,000.25"));
    }

    void sumIsARunningTotal()
    {
        const TExprScope scope = InvoiceScope();
        TReportExpression e("SUM(Qty * 2) - SUM(1)");
        QVERIFY(e.HasAggregate());
        QCOMPARE(e.Evaluate(scope).toDouble(), 0.0);
        Items->First();
        e.Accumulate(scope);
        QCOMPARE(e.Evaluate(scope).toDouble(), 3.0);  // 4 - 1
        // Evaluating does not add.
        QCOMPARE(e.Evaluate(scope).toDouble(), 3.0);
        Items->Next();
        e.Accumulate(scope);
        QCOMPARE(e.Evaluate(scope).toDouble(), 4.0);  // 6 - 2
        e.Reset();
        QCOMPARE(e.Evaluate(scope).toDouble(), 0.0);
        Items->Last();
        e.Accumulate(scope);
        QCOMPARE(e.Evaluate(scope).toDouble(), 9.0);  // 10 - 1

        // No SUM: nothing to accumulate, and accumulating harms nothing.
        TReportExpression plain("Qty * 2");
        QVERIFY(!plain.HasAggregate());
        plain.Accumulate(scope);
        QCOMPARE(plain.Evaluate(scope).toDouble(), 10.0);

        // A SUM inside an if that is not chosen still totals.
        TReportExpression chosen("if(false, SUM(Qty), 0) + SUM(1)");
        chosen.Accumulate(scope);
        QCOMPARE(chosen.Evaluate(scope).toDouble(), 1.0);
        QCOMPARE(TReportExpression("if(true, SUM(Qty), 0)").Evaluate(scope).toDouble(), 0.0);
    }

    void failedAccumulateAddsNothing()
    {
        QVERIFY(Cust->Locate("CustNo", 1.0));
        TReportExpression e("SUM(Visits) + SUM(Addr1 + 1)");
        const TExprScope scope = CustScope();
        QVERIFY_THROWS_EXCEPTION(EExpressionError, e.Accumulate(scope));
        // The first SUM was not added alone.
        QCOMPARE(e.Evaluate(scope).toDouble(), 0.0);
        TReportExpression first("SUM(Visits) + SUM(Visits * 0)");
        first.Accumulate(scope);
        QCOMPARE(first.Evaluate(scope).toDouble(), 3.0);
        TReportExpression broken("SUM(Visits) + SUM(Visits / 0)");
        QVERIFY_THROWS_EXCEPTION(EExpressionError, broken.Accumulate(scope));
        QVERIFY_THROWS_EXCEPTION(EExpressionError, broken.Accumulate(scope));
        QCOMPARE(broken.Evaluate(scope).toDouble(), 0.0);
    }

    void formatNumeric_data()
    {
        QTest::addColumn<QString>("mask");
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        const QString money = "$##,###,###.00";
        QTest::newRow("thousands") << money << 1234.5 << "$1,234.50";
        QTest::newRow("below one") << money << 0.5 << "$.50";
        QTest::newRow("zero") << money << 0.0 << "$.00";
        QTest::newRow("hundreds") << money << 100.0 << "$100.00";
        QTest::newRow("millions") << money << 1234567.891 << "$1,234,567.89";
        QTest::newRow("tens of millions") << money << 12345678.0 << "$12,345,678.00";
        QTest::newRow("beyond the slots") << money << 1234567890.0 << "$1,234,567,890.00";
        QTest::newRow("half a cent up") << money << 0.005 << "$.01";
        QTest::newRow("1.005 up") << money << 1.005 << "$1.01";
        QTest::newRow("2.675 up") << money << 2.675 << "$2.68";
        QTest::newRow("below half down") << money << 0.994 << "$.99";
        QTest::newRow("carry into whole") << money << 0.995 << "$1.00";
        QTest::newRow("carry into thousands") << money << 999.995 << "$1,000.00";
        QTest::newRow("negative") << money << -1234.5 << "-$1,234.50";
        QTest::newRow("negative half away") << money << -0.005 << "-$.01";
        QTest::newRow("negative rounding to zero") << money << -0.004 << "$.00";
        QTest::newRow("required whole digit") << "#,##0.00" << 0.0 << "0.00";
        QTest::newRow("required, thousands") << "#,##0.00" << 1234.0 << "1,234.00";
        QTest::newRow("optional decimals") << "0.###" << 1.5 << "1.5";
        QTest::newRow("optional decimals none") << "0.###" << 2.0 << "2";
        QTest::newRow("optional decimals rounded") << "0.###" << 1.23456 << "1.235";
        QTest::newRow("some required decimals") << "0.0#" << 3.0 << "3.0";
        QTest::newRow("leading zeros") << "000" << 7.0 << "007";
        QTest::newRow("no decimals rounds") << "#,##0" << 2.5 << "3";
        QTest::newRow("suffix") << "##0.0 kg" << 12.34 << "12.3 kg";
        QTest::newRow("literal inside") << "###-####" << 5551234.0 << "555-1234";
        QTest::newRow("literal inside, short") << "###-####" << 1234.0 << "1234";
        QTest::newRow("no placeholders") << "n/a" << 5.0 << "n/a";
        QTest::newRow("large") << "#,##0" << 1e20 << "100,000,000,000,000,000,000";
        QTest::newRow("small") << "0.00" << 1e-20 << "0.00";
    }

    void formatNumeric()
    {
        QFETCH(QString, mask);
        QFETCH(double, value);
        QFETCH(QString, text);
        TExprScope scope;
        scope.Function = [value](const QString& name, TExprValue& v) {
            if (name != "VALUE")
                return false;
            v = value;
            return true;
        };
        QString quoted = mask;
        quoted.replace("'", "''");
        QCOMPARE(Text("FormatNumeric('" + quoted + "', Value)", scope), text);
    }

    void formatNumericUsesTheProgramSeparators()
    {
        TSettingsGuard guard;
        FormatSettings.DecimalSeparator = ',';
        FormatSettings.ThousandSeparator = '.';
        QCOMPARE(Text("FormatNumeric('$##,###,###.00', 1234567.5)"), QString("$1.234.567,50"));
        // Literals in the expression still use the point.
        QCOMPARE(Text("FormatNumeric('0.0', 2.25 * 2)"), QString("4,5"));
        QCOMPARE(Text("1.5 + 1"), QString("2,5"));
    }

    void randomTextNeverCrashes()
    {
        // Pieces that parse now and then, and single characters that mostly do not.
        const QStringList pieces = {"Addr1", "Cust.City", "Orders.Freight", "Items.", "LastInvoiceDate", "Visits",
                                    "SUM(", "if(", "FormatNumeric(", "'$#,##0.00'", "Str(", "(", ")", ",", "+", "-",
                                    "*", "/", "=", "<>", "<", ">=", "not", "and", "or", "true", "'a''b'", "'", "0",
                                    "1", "2.5", ".", " ", "PAGENUMBER", "Nope", "9e9", "''"};
        const QString chars = QString("abz01.9'\"()+-*/<>=,#$ _\t") + QChar(0xE9);
        QRandomGenerator random(20250101);
        QVERIFY(Cust->Locate("CustNo", 5.0));
        TExprScope scope;
        scope.DataSet = Cust.get();
        scope.DataSets = {Orders.get(), nullptr};
        scope.Function = [](const QString& name, TExprValue& v) {
            if (name != "PAGENUMBER")
                return false;
            v = 1;
            return true;
        };
        static const QRegularExpression place("^Error in expression \".*\" at position (\\d+): .+$",
                                              QRegularExpression::DotMatchesEverythingOption);
        int parsed = 0, evaluated = 0;
        for (int i = 0; i < 4000; ++i) {
            QString text;
            const int n = int(random.bounded(1, 12));
            for (int k = 0; k < n; ++k)
                text += random.bounded(3) == 0 ? QString(chars[int(random.bounded(chars.size()))])
                                               : pieces[int(random.bounded(pieces.size()))];
            try {
                TReportExpression e(text);
                ++parsed;
                e.Accumulate(scope);
                TReportExpression::AsText(e.Evaluate(scope));
                ++evaluated;
            } catch (const EExpressionError& error) {
                const auto m = place.match(QString::fromStdString(error.Message));
                QVERIFY2(m.hasMatch(), error.what());
                const int pos = m.captured(1).toInt();
                QVERIFY2(pos >= 1 && pos <= text.size() + 1, error.what());
            }
        }
        // The loop reached evaluation, not just the parser's refusals.
        QVERIFY(parsed > 100);
        QVERIFY(evaluated > 50);
    }
};

QTEST_GUILESS_MAIN(TExpressionTest)
#include "expression_test.moc"
