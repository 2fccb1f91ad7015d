// The field lists of every dataset of a freshly created data module on local data:
// names in order, types and sizes, kinds, the published member of each field, display
// widths and alignment, required and hidden flags, formats, labels, ranges, lookups,
// origins and which fields carry a change or validation rule.
//
// Each field is written as one row of words: kind, type, and its display rules
// ("width 8, left; required"), independent of how the module builds its fields; a rule
// the reader does not know fails the test rather than being skipped.
#include "orderentry/tests/datamod_fixture.h"

#include "tools/orderdata/schema.h"

#include <QRegularExpression>

#include <functional>
#include <memory>
#include <typeindex>
#include <typeinfo>

namespace {

struct FieldRow {
    QString Name;
    QString Kind;
    QString Type;
    QString Rules;
    std::function<TField*(const TVornData&)> Member;
    std::type_index MemberClass;
};

// The member is the dataset's name followed by the field's name.
#define FIELD(ds, name, kind, type, rules)                                                                         \
    FieldRow                                                                                                       \
    {                                                                                                              \
        #name, kind, type, rules, [](const TVornData& v) -> TField* { return v.ds##name; },                        \
            std::type_index(typeid(std::remove_pointer_t<decltype(TVornData::ds##name)>))                          \
    }

struct DataSetRow {
    QString Name;
    QList<FieldRow> Fields;
    // Queries tag each data field with its column in this table file.
    QString OriginTable = {};
};

QList<DataSetRow> DescribedDataSets()
{
    return {
        {"NextCust", {FIELD(NextCust, NewCust, "data", "float", "")}},
        {"NextOrd", {FIELD(NextOrd, NewKey, "data", "float", "")}},
        {"Parts",
         {FIELD(Parts, PartNo, "data", "float", "width 8, left; required"),
          FIELD(Parts, Description, "data", "string(30)", "width 21; required"),
          FIELD(Parts, VendorNo, "data", "float", "width 9"),
          FIELD(Parts, OnHand, "data", "float", "width 9"),
          FIELD(Parts, OnOrder, "data", "float", "width 10"),
          FIELD(Parts, BackOrd, "calculated", "Boolean", "width 9; shown as \"Yes\" or \"No\""),
          FIELD(Parts, Cost, "data", "currency", "width 12"),
          FIELD(Parts, ListPrice, "data", "currency", "width 12")}},
        {"PartsQuery",
         {FIELD(PartsQuery, PartNo, "data", "float", "width 8, left"),
          FIELD(PartsQuery, Description, "data", "string(30)", "width 21"),
          FIELD(PartsQuery, VendorNo, "data", "float", ""),
          FIELD(PartsQuery, OnHand, "data", "float", "width 9"),
          FIELD(PartsQuery, OnOrder, "data", "float", "width 10"),
          FIELD(PartsQuery, BackOrd, "calculated", "Boolean", "width 9; shown as \"Yes\" or \"No\""),
          FIELD(PartsQuery, Cost, "data", "currency", ""),
          FIELD(PartsQuery, ListPrice, "data", "currency", "")}},
        {"Orders",
         {FIELD(Orders, OrderNo, "data", "float", "left"),
          FIELD(Orders, CustNo, "data", "float", "left; required; on change"),
          FIELD(Orders, SaleDate, "data", "date-time", "validated"),
          FIELD(Orders, ShipDate, "data", "date-time", ""),
          FIELD(Orders, ShipToContact, "data", "string(20)", ""),
          FIELD(Orders, ShipToAddr1, "data", "string(30)", ""),
          FIELD(Orders, ShipToAddr2, "data", "string(30)", ""),
          FIELD(Orders, ShipToCity, "data", "string(15)", ""),
          FIELD(Orders, ShipToState, "data", "string(20)", ""),
          FIELD(Orders, ShipToZip, "data", "string(10)", ""),
          FIELD(Orders, ShipToCountry, "data", "string(20)", ""),
          FIELD(Orders, ShipToPhone, "data", "string(15)", ""),
          FIELD(Orders, ShipVIA, "data", "string(7)", ""),
          FIELD(Orders, PO, "data", "string(15)", ""),
          FIELD(Orders, EmpNo, "data", "integer", "required"),
          FIELD(Orders, Terms, "data", "string(6)", ""),
          FIELD(Orders, PaymentMethod, "data", "string(7)", ""),
          FIELD(Orders, ItemsTotal, "data", "currency", ""),
          FIELD(Orders, TaxRate, "data", "float", "display format \"0.00%;(0.00%);0%\"; allowed range 0 to 100"),
          FIELD(Orders, TaxTotal, "calculated", "currency", ""),
          FIELD(Orders, Freight, "data", "currency", "validated"),
          FIELD(Orders, AmountPaid, "data", "currency", ""),
          FIELD(Orders, AmountDue, "calculated", "currency", ""),
          FIELD(Orders, SalesPerson, "lookup", "string(40)", "key EmpNo matched against EmpNo of Emps; result FullName")}},
        {"CustByOrd",
         {FIELD(CustByOrd, CustNo, "data", "float", ""), FIELD(CustByOrd, Company, "data", "string(30)", ""),
          FIELD(CustByOrd, Addr1, "data", "string(30)", ""), FIELD(CustByOrd, Addr2, "data", "string(30)", ""),
          FIELD(CustByOrd, City, "data", "string(15)", ""), FIELD(CustByOrd, State, "data", "string(20)", ""),
          FIELD(CustByOrd, Zip, "data", "string(10)", ""), FIELD(CustByOrd, Country, "data", "string(20)", ""),
          FIELD(CustByOrd, Phone, "data", "string(15)", ""), FIELD(CustByOrd, FAX, "data", "string(15)", ""),
          FIELD(CustByOrd, TaxRate, "data", "float", ""), FIELD(CustByOrd, Contact, "data", "string(20)", ""),
          FIELD(CustByOrd, LastInvoiceDate, "data", "date-time", "")}},
        {"Items",
         {FIELD(Items, ItemNo, "data", "float", "hidden"),
          FIELD(Items, OrderNo, "data", "float", "hidden"),
          FIELD(Items, PartNo, "data", "float", "validated"),
          FIELD(Items, Description, "lookup", "string(30)",
                "width 28; read-only; key PartNo matched against PartNo of Parts; result Description"),
          FIELD(Items, SellPrice, "lookup", "currency", "width 9; key PartNo matched against PartNo of Parts; result ListPrice"),
          FIELD(Items, Qty, "data", "integer", "width 5; validated"),
          FIELD(Items, Discount, "data", "float", "width 7; display format \"0.00%\"; allowed range 0 to 100"),
          FIELD(Items, ExtPrice, "calculated", "currency", "width 10")}},
        {"Emps",
         {FIELD(Emps, EmpNo, "data", "integer", ""), FIELD(Emps, FullName, "calculated", "string(20)", ""),
          FIELD(Emps, LastName, "data", "string(20)", ""), FIELD(Emps, FirstName, "data", "string(15)", ""),
          FIELD(Emps, PhoneExt, "data", "string(4)", ""), FIELD(Emps, HireDate, "data", "date-time", ""),
          FIELD(Emps, Salary, "data", "float", "")}},
        {"Cust",
         {FIELD(Cust, CustNo, "data", "float", "width 6, left"),
          FIELD(Cust, Company, "data", "string(30)", "width 26; required"),
          FIELD(Cust, Phone, "data", "string(15)", "width 15"),
          FIELD(Cust, LastInvoiceDate, "data", "date-time", "label \"LastInvoice\"; width 10; display format \"DDDDD\""),
          FIELD(Cust, Addr1, "data", "string(30)", ""), FIELD(Cust, Addr2, "data", "string(30)", ""),
          FIELD(Cust, City, "data", "string(15)", ""), FIELD(Cust, State, "data", "string(20)", ""),
          FIELD(Cust, Zip, "data", "string(10)", ""), FIELD(Cust, Country, "data", "string(20)", ""),
          FIELD(Cust, FAX, "data", "string(15)", ""), FIELD(Cust, TaxRate, "data", "float", ""),
          FIELD(Cust, Contact, "data", "string(20)", "")}},
        {"CustQuery",
         {FIELD(CustQuery, CustNo, "data", "float", "width 6, left"),
          FIELD(CustQuery, Company, "data", "string(30)", "width 26"),
          FIELD(CustQuery, Phone, "data", "string(15)", "width 15"),
          FIELD(CustQuery, LastInvoiceDate, "data", "date-time", "label \"LastInvoice\", width 10, display format \"DDDDD\"")}},
        {"OrdByCust",
         {FIELD(OrdByCust, OrderNo, "data", "float", "width 10, left"),
          FIELD(OrdByCust, CustNo, "data", "float", "hidden"),
          FIELD(OrdByCust, SaleDate, "data", "date-time", "width 9; display format \"DDDDD\""),
          FIELD(OrdByCust, ShipDate, "data", "date-time", "width 9; display format \"DDDDD\""),
          FIELD(OrdByCust, ItemsTotal, "data", "currency", "hidden"),
          FIELD(OrdByCust, TaxRate, "data", "float", "hidden"),
          FIELD(OrdByCust, Freight, "data", "currency", "hidden"),
          FIELD(OrdByCust, AmountPaid, "data", "currency", "width 14"),
          FIELD(OrdByCust, AmountDue, "calculated", "currency", "width 14")}},
        {"CustByLastInvQuery",
         {FIELD(CustByLastInvQuery, CustNo, "data", "float", ""),
          FIELD(CustByLastInvQuery, Company, "data", "string(30)", ""),
          FIELD(CustByLastInvQuery, Addr1, "data", "string(30)", ""),
          FIELD(CustByLastInvQuery, Addr2, "data", "string(30)", ""),
          FIELD(CustByLastInvQuery, City, "data", "string(15)", ""),
          FIELD(CustByLastInvQuery, State, "data", "string(20)", ""),
          FIELD(CustByLastInvQuery, Zip, "data", "string(10)", ""),
          FIELD(CustByLastInvQuery, Country, "data", "string(20)", ""),
          FIELD(CustByLastInvQuery, Phone, "data", "string(15)", ""),
          FIELD(CustByLastInvQuery, FAX, "data", "string(15)", ""),
          FIELD(CustByLastInvQuery, TaxRate, "data", "float", ""),
          FIELD(CustByLastInvQuery, Contact, "data", "string(20)", ""),
          FIELD(CustByLastInvQuery, LastInvoiceDate, "data", "date-time", "")},
         "CUSTOMER.DB"},
        {"OrdersByDateQuery",
         {FIELD(OrdersByDateQuery, OrderNo, "data", "float", ""),
          FIELD(OrdersByDateQuery, CustNo, "data", "float", ""),
          FIELD(OrdersByDateQuery, SaleDate, "data", "date-time", ""),
          FIELD(OrdersByDateQuery, ShipDate, "data", "date-time", ""),
          FIELD(OrdersByDateQuery, EmpNo, "data", "integer", ""),
          FIELD(OrdersByDateQuery, ShipToContact, "data", "string(20)", ""),
          FIELD(OrdersByDateQuery, ShipToAddr1, "data", "string(30)", ""),
          FIELD(OrdersByDateQuery, ShipToAddr2, "data", "string(30)", ""),
          FIELD(OrdersByDateQuery, ShipToCity, "data", "string(15)", ""),
          FIELD(OrdersByDateQuery, ShipToState, "data", "string(20)", ""),
          FIELD(OrdersByDateQuery, ShipToZip, "data", "string(10)", ""),
          FIELD(OrdersByDateQuery, ShipToCountry, "data", "string(20)", ""),
          FIELD(OrdersByDateQuery, ShipToPhone, "data", "string(15)", ""),
          FIELD(OrdersByDateQuery, ShipVIA, "data", "string(7)", ""),
          FIELD(OrdersByDateQuery, PO, "data", "string(15)", ""),
          FIELD(OrdersByDateQuery, Terms, "data", "string(6)", ""),
          FIELD(OrdersByDateQuery, PaymentMethod, "data", "string(7)", ""),
          FIELD(OrdersByDateQuery, ItemsTotal, "data", "currency", ""),
          FIELD(OrdersByDateQuery, TaxRate, "data", "float", ""),
          FIELD(OrdersByDateQuery, Freight, "data", "currency", ""),
          FIELD(OrdersByDateQuery, AmountPaid, "data", "currency", ""),
          FIELD(OrdersByDateQuery, Company, "lookup", "string(40)", "key CustNo matched against CustNo of Cust; result Company")},
         "ORDERS.DB"},
    };
}

// Datasets with no field definitions of their own: every column of the table (the
// two tables) or, for the item query, nothing until it opens.
const QStringList kUndescribed{"Vendors", "CustByComp", "LastItemQuery"};

// What a row says, with the defaults of a field that has no display rules.
struct Expected {
    TFieldKind Kind = fkData;
    TFieldType Type = ftUnknown;
    std::type_index Class = std::type_index(typeid(TField));
    int Size = 0;
    int Width = 0; // 0: the type's default width
    bool Left = false;
    bool Required = false;
    bool Hidden = false;
    bool ReadOnly = false;
    QString Format;
    QString Values;
    QString Label;
    double MinValue = 0, MaxValue = 0;
    QString KeyFields, LookupKeyFields, LookupDataSet, LookupResultField;
    bool OnChange = false;
    bool Validated = false;
};

// Splits on ';' and ',' outside quotes.
QStringList RuleWords(const QString& rules)
{
    QStringList words;
    QString word;
    bool quoted = false;
    for (QChar c : rules) {
        if (c == '"')
            quoted = !quoted;
        if (!quoted && (c == ';' || c == ',')) {
            words << word.trimmed();
            word.clear();
        } else {
            word += c;
        }
    }
    words << word.trimmed();
    words.removeAll(QString());
    return words;
}

QString Quoted(const QString& word, const QString& prefix)
{
    QString rest = word.mid(prefix.size()).trimmed();
    if (rest.size() < 2 || !rest.startsWith('"') || !rest.endsWith('"'))
        return QString();
    return rest.mid(1, rest.size() - 2);
}

// Fails the test on a row it cannot read, so a misspelt rule is never ignored.
bool Read(const FieldRow& row, Expected& e, QString& error)
{
    static const QMap<QString, TFieldKind> kinds{{"data", fkData}, {"calculated", fkCalculated}, {"lookup", fkLookup}};
    if (!kinds.contains(row.Kind)) {
        error = "kind " + row.Kind;
        return false;
    }
    e.Kind = kinds.value(row.Kind);
    static const QRegularExpression stringType(R"(^string(?:\((\d+)\))?$)");
    if (auto m = stringType.match(row.Type); m.hasMatch()) {
        e.Type = ftString;
        e.Class = typeid(TStringField);
        e.Size = m.captured(1).isEmpty() ? 20 : m.captured(1).toInt();
    } else if (row.Type == "float") {
        e.Type = ftFloat;
        e.Class = typeid(TFloatField);
    } else if (row.Type == "currency") {
        e.Type = ftCurrency;
        e.Class = typeid(TCurrencyField);
    } else if (row.Type == "integer") {
        e.Type = ftInteger;
        e.Class = typeid(TIntegerField);
    } else if (row.Type == "date-time") {
        e.Type = ftDateTime;
        e.Class = typeid(TDateTimeField);
    } else if (row.Type == "Boolean") {
        e.Type = ftBoolean;
        e.Class = typeid(TBooleanField);
    } else {
        error = "type " + row.Type;
        return false;
    }
    static const QRegularExpression width(R"(^width (\d+)$)");
    static const QRegularExpression range(R"(^allowed range (-?[\d.]+) to (-?[\d.]+)$)");
    static const QRegularExpression key(R"(^key (\S+) matched against (\S+) of (\S+)$)");
    static const QRegularExpression shownAs(R"x(^shown as "([^"]*)" or "([^"]*)"$)x");
    for (const QString& word : RuleWords(row.Rules)) {
        QRegularExpressionMatch m;
        if ((m = width.match(word)).hasMatch())
            e.Width = m.captured(1).toInt();
        else if (word == "left")
            e.Left = true;
        else if (word == "required")
            e.Required = true;
        else if (word == "hidden")
            e.Hidden = true;
        else if (word == "read-only")
            e.ReadOnly = true;
        else if (word == "on change")
            e.OnChange = true;
        else if (word == "validated")
            e.Validated = true;
        else if (word.startsWith("display format ") && !Quoted(word, "display format").isEmpty())
            e.Format = Quoted(word, "display format");
        else if (word.startsWith("label ") && !Quoted(word, "label").isEmpty())
            e.Label = Quoted(word, "label");
        else if ((m = shownAs.match(word)).hasMatch())
            e.Values = m.captured(1) + ";" + m.captured(2);
        else if ((m = range.match(word)).hasMatch()) {
            e.MinValue = m.captured(1).toDouble();
            e.MaxValue = m.captured(2).toDouble();
        } else if ((m = key.match(word)).hasMatch()) {
            e.KeyFields = m.captured(1);
            e.LookupKeyFields = m.captured(2);
            e.LookupDataSet = m.captured(3);
        } else if (word.startsWith("result "))
            e.LookupResultField = word.mid(7).trimmed();
        else {
            error = "rule '" + word + "'";
            return false;
        }
    }
    return true;
}

// The width a field of this type and size shows when none is set.
int DefaultWidth(TFieldType type, int size)
{
    TTable scratch;
    return (new TField(&scratch, "Scratch", type, size))->DisplayWidth();
}

QString Text(const QVariant& v)
{
    return v.toString();
}

// Every way the field differs from its row, as "what: found, expected" lines.
QStringList Differences(const TVornData& vd, TDataSet* ds, const DataSetRow& set, const FieldRow& row, TField* f)
{
    QStringList out;
    auto expect = [&](const char* what, const QVariant& found, const QVariant& wanted) {
        if (found != wanted)
            out << QString("%1.%2 %3: %4, expected %5").arg(set.Name, row.Name, what, Text(found), Text(wanted));
    };
    Expected e;
    QString error;
    if (!Read(row, e, error))
        return {QString("%1.%2: cannot read the row's %3").arg(set.Name, row.Name, error)};

    TField* member = row.Member(vd);
    expect("is its member", member == f, true);
    expect("member class", QString(row.MemberClass.name()), QString(e.Class.name()));
    expect("class", QString(typeid(*f).name()), QString(e.Class.name()));
    expect("dataset", f->DataSet() == ds, true);
    expect("kind", int(f->FieldKind()), int(e.Kind));
    expect("type", int(f->DataType()), int(e.Type));
    expect("size", f->Size(), e.Size);
    expect("currency", f->Currency, e.Type == ftCurrency);
    expect("width", f->DisplayWidth(), e.Width > 0 ? e.Width : DefaultWidth(e.Type, e.Size));
    const bool number = e.Type == ftFloat || e.Type == ftCurrency || e.Type == ftInteger;
    expect("alignment", int(f->Alignment), int(number && !e.Left ? taRightJustify : taLeftJustify));
    expect("required", f->Required, e.Required);
    expect("visible", f->Visible, !e.Hidden);
    expect("read-only", f->ReadOnly, e.ReadOnly);
    expect("display format", f->DisplayFormat, e.Format);
    expect("edit format", f->EditFormat, QString());
    expect("display values", f->DisplayValues, e.Values);
    expect("label", f->DisplayLabel, e.Label);
    expect("display name", f->DisplayName(), e.Label.isEmpty() ? row.Name : e.Label);
    expect("minimum", f->MinValue, e.MinValue);
    expect("maximum", f->MaxValue, e.MaxValue);
    expect("key fields", f->KeyFields, e.KeyFields);
    expect("lookup key fields", f->LookupKeyFields, e.LookupKeyFields);
    expect("lookup result", f->LookupResultField, e.LookupResultField);
    expect("lookup dataset", f->LookupDataSet ? f->LookupDataSet->objectName() : QString(), e.LookupDataSet);
    if (f->LookupDataSet)
        expect("lookup dataset belongs to the module", f->LookupDataSet->parent() == &vd, true);
    const QString origin = !set.OriginTable.isEmpty() && e.Kind == fkData
        ? "\"" + set.OriginTable + "\"." + row.Name
        : QString();
    expect("origin", f->Origin, origin);
    expect("on change", bool(f->OnChange), e.OnChange);
    expect("validated", bool(f->OnValidate), e.Validated);
    return out;
}

QStringList Names(const TDataSet* ds)
{
    QStringList names;
    for (int i = 0; i < ds->FieldCount(); ++i)
        names << ds->Fields(i)->FieldName;
    return names;
}

} // namespace

class DataModFieldsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TScratchStore> store;
    std::unique_ptr<TVornData> vd;

    TDataSet* DataSet(const QString& name) const
    {
        for (QObject* child : vd->children())
            if (auto* ds = dynamic_cast<TDataSet*>(child); ds && ds->objectName() == name)
                return ds;
        return nullptr;
    }

private slots:
    void initTestCase()
    {
        store = std::make_unique<TScratchStore>(false);
        LayOrderData(*store);
    }
    void cleanupTestCase() { store.reset(); }
    void init() { vd = std::make_unique<TVornData>(); }
    void cleanup() { vd.reset(); }

    void everyDataSetOfTheModuleIsDescribed()
    {
        QStringList described = kUndescribed;
        for (const DataSetRow& set : DescribedDataSets())
            described << set.Name;
        QStringList found;
        for (QObject* child : vd->children())
            if (dynamic_cast<TDataSet*>(child))
                found << child->objectName();
        described.sort();
        found.sort();
        QCOMPARE(found, described);
        QCOMPARE(found.size(), 16);
    }

    void fieldsAreTheDescribedOnes_data()
    {
        QTest::addColumn<QString>("name");
        for (const DataSetRow& set : DescribedDataSets())
            QTest::newRow(qPrintable(set.Name)) << set.Name;
    }
    void fieldsAreTheDescribedOnes()
    {
        QFETCH(QString, name);
        const QList<DataSetRow> sets = DescribedDataSets();
        const auto set = std::find_if(sets.begin(), sets.end(), [&](const DataSetRow& s) { return s.Name == name; });
        TDataSet* ds = DataSet(name);
        QVERIFY(ds);
        QStringList expectedNames;
        for (const FieldRow& row : set->Fields)
            expectedNames << row.Name;
        QCOMPARE(Names(ds), expectedNames);
        QStringList differences;
        for (int i = 0; i < ds->FieldCount(); ++i)
            differences << Differences(*vd, ds, *set, set->Fields[i], ds->Fields(i));
        QVERIFY2(differences.isEmpty(), qPrintable(differences.join('\n')));
    }

    void openingKeepsExactlyTheDescribedFields()
    {
        // The closed ones too: each field must find its column, and no column of the
        // source may slip in beside the described fields.
        vd->CustQuery->ParamByName("FromDate")->SetAsDateTime(EncodeDate(2000, 1, 1));
        vd->CustQuery->ParamByName("ToDate")->SetAsDateTime(Date());
        vd->OrdersByDateQuery->ParamByName("FromDate")->SetAsDateTime(EncodeDate(2000, 1, 1));
        vd->OrdersByDateQuery->ParamByName("ToDate")->SetAsDateTime(Date());
        for (const DataSetRow& set : DescribedDataSets()) {
            TDataSet* ds = DataSet(set.Name);
            QVERIFY(ds);
            const QStringList before = Names(ds);
            ds->Open();
            QVERIFY2(ds->Active(), qPrintable(set.Name));
            QCOMPARE(Names(ds), before);
            ds->First();
            for (int i = 0; i < ds->FieldCount(); ++i)
                if (ds->Fields(i)->FieldKind() == fkData)
                    (void)ds->Fields(i)->Value(); // reads its column
            if (ds == vd->NextOrd || ds == vd->NextCust)
                ds->Close(); // held exclusively
        }
        QVERIFY(vd->Parts->Locate("PartNo", kPartA));
        QCOMPARE(vd->PartsDescription->AsString(), QString("Test regulator"));
        QCOMPARE(vd->PartsListPrice->AsFloat(), 10.0);
    }

    void undescribedDataSetsShowEveryColumnOfTheirTable()
    {
        const QList<std::pair<TDataSet*, QString>> tables{{vd->Vendors, "VENDORS"}, {vd->CustByComp, "CUSTOMER"}};
        for (const auto& [ds, table] : tables) {
            QVERIFY(ds->Active());
            QStringList columns;
            for (const vorndata::ColumnDef& c : vorndata::OrderTable(table).columns)
                columns << c.name;
            QCOMPARE(Names(ds), columns);
            for (int i = 0; i < ds->FieldCount(); ++i)
                QCOMPARE(ds->Fields(i)->FieldKind(), fkData);
            // Nothing is defined beforehand: closed, they have no fields at all.
            ds->Close();
            QCOMPARE(ds->FieldCount(), 0);
        }
        QVERIFY(!vd->LastItemQuery->Active());
        QCOMPARE(vd->LastItemQuery->FieldCount(), 0);
    }
};

QTEST_MAIN(DataModFieldsTest)
#include "datamod_fields_test.moc"
