// Construction of the data module: the connection, the datasets with their fields,
// links and handlers, the opening cascades, and the switch between local data and the
// server. The rules themselves live in DataMod_Rules.cpp.
#include "orderentry/DataMod.h"

#include "platform/data/alias.h"
#include "platform/core/exceptions.h"
#include "xmllib/strs.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QCursor>
#include <QGuiApplication>

#include <initializer_list>
#include <type_traits>
#include <utility>
#include <variant>

TVornData* VornData = nullptr;

TVornData* CreateVornData(QObject* Owner)
{
    if (!VornData)
        new TVornData(Owner);
    return VornData;
}

namespace {

TTable* NewTable(QObject* owner, TDatabase* db, const char* name, const char* table)
{
    auto* t = new TTable(owner);
    t->setObjectName(name);
    t->DatabaseName = "VORN";
    t->SetDatabase(db);
    t->TableName = table;
    return t;
}

TQuery* NewQuery(QObject* owner, TDatabase* db, const char* name, const QStringList& sql)
{
    auto* q = new TQuery(owner);
    q->setObjectName(name);
    q->DatabaseName = "VORN";
    q->SetDatabase(db);
    q->SQL = sql;
    return q;
}

TDataSource* NewSource(QObject* owner, const char* name, TDataSet* dataSet)
{
    auto* s = new TDataSource(owner);
    s->setObjectName(name);
    s->SetDataSet(dataSet);
    return s;
}

// The hourglass while the connection changes; the normal cursor comes back however
// the switch ends.
class TBusyCursor {
public:
    TBusyCursor() : FOn(qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr)
    {
        if (FOn)
            QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    }
    ~TBusyCursor()
    {
        if (FOn)
            QGuiApplication::restoreOverrideCursor();
    }
    TBusyCursor(const TBusyCursor&) = delete;
    TBusyCursor& operator=(const TBusyCursor&) = delete;

private:
    bool FOn;
};

// One row of a dataset's field table. The member's declared class fixes the field's
// data type, so the two cannot disagree; Size is a string's length (20 when not given).
using TFieldMember = std::variant<TStringField* TVornData::*, TIntegerField* TVornData::*, TFloatField* TVornData::*,
                                  TCurrencyField* TVornData::*, TDateTimeField* TVornData::*,
                                  TBooleanField* TVornData::*>;

// Lookup fields: KeyFields of this dataset matched against KeyFieldsThere of DataSet;
// the value shown is ResultField of the record found.
struct TLookupRule {
    QString KeyFields;
    TDataSet* DataSet = nullptr;
    QString KeyFieldsThere;
    QString ResultField;
};

// What a field shows and accepts; what is left out keeps the field's own default.
struct TFieldRules {
    TFieldKind Kind = fkData;
    int DisplayWidth = 0;
    bool Left = false; // a number shown left-aligned
    bool Required = false;
    bool Hidden = false; // not shown in grids
    bool ReadOnly = false;
    QString DisplayLabel;
    QString DisplayFormat;
    QString DisplayValues;
    // Both 0: any value.
    double MinValue = 0;
    double MaxValue = 0;
    TLookupRule Lookup;
};

struct TFieldRow {
    TFieldRow(TFieldMember member, const char* name, TFieldRules rules = TFieldRules())
        : Member(member), Name(name), Rules(std::move(rules)) {}
    TFieldRow(TFieldMember member, const char* name, int size, TFieldRules rules = TFieldRules())
        : Member(member), Name(name), Size(size), Rules(std::move(rules)) {}
    TFieldMember Member;
    QString Name;
    int Size = 0;
    TFieldRules Rules;
};

// Creates the fields of one dataset in the order of its rows and publishes each in
// its member. A query's data fields name their column in OriginTable.
void AddFields(TVornData& module, TDataSet* dataSet, std::initializer_list<TFieldRow> rows,
               const QString& originTable = QString())
{
    for (const TFieldRow& row : rows) {
        const TFieldRules& rules = row.Rules;
        TField* f = std::visit(
            [&](auto member) -> TField* {
                using TFieldClass = std::remove_pointer_t<std::remove_reference_t<decltype(module.*member)>>;
                TFieldClass* field;
                if constexpr (std::is_same_v<TFieldClass, TStringField>)
                    field = new TStringField(dataSet, row.Name, row.Size, rules.Kind);
                else
                    field = new TFieldClass(dataSet, row.Name, rules.Kind);
                module.*member = field;
                return field;
            },
            row.Member);
        if (rules.DisplayWidth > 0)
            f->SetDisplayWidth(rules.DisplayWidth);
        if (rules.Left)
            f->Alignment = taLeftJustify;
        f->Required = rules.Required;
        f->Visible = !rules.Hidden;
        f->ReadOnly = rules.ReadOnly;
        f->DisplayLabel = rules.DisplayLabel;
        f->DisplayFormat = rules.DisplayFormat;
        f->DisplayValues = rules.DisplayValues;
        f->MinValue = rules.MinValue;
        f->MaxValue = rules.MaxValue;
        f->KeyFields = rules.Lookup.KeyFields;
        f->LookupDataSet = rules.Lookup.DataSet;
        f->LookupKeyFields = rules.Lookup.KeyFieldsThere;
        f->LookupResultField = rules.Lookup.ResultField;
        if (!originTable.isEmpty() && rules.Kind == fkData)
            f->Origin = "\"" + originTable + "\"." + row.Name;
    }
}

} // namespace

TVornData::TVornData(QObject* Owner)
    : QObject(Owner)
{
    setObjectName("VornData");
    Database = new TDatabase(this);
    Database->setObjectName("Database");
    Database->DatabaseName = "VORN";
    Database->AliasName = "DBDEMOS";
    Database->LoginPrompt = false;
    Database->Params = QStringList{"USER NAME=sysdba", "PASSWORD=keelboard"};
    Database->TransIsolation = tiDirtyRead;
    CreateDataSets();
    CreateFields();
    AttachHandlers();
    try {
        Database->Open();
        OpenAtStart();
    } catch (...) {
        Shutdown();
        throw;
    }
    if (!VornData)
        VornData = this;
}

TVornData::~TVornData()
{
    Shutdown();
    if (VornData == this)
        VornData = nullptr;
}

void TVornData::Shutdown() noexcept
{
    // Closing runs the cascades, which reach sibling datasets; afterwards no handler
    // may run while the children are freed in any order.
    try {
        Database->Close();
    } catch (...) {
    }
    for (QObject* child : children())
        if (auto* ds = dynamic_cast<TDataSet*>(child)) {
            ds->BeforeOpen = ds->BeforeClose = nullptr;
            ds->BeforeInsert = ds->BeforeEdit = ds->BeforePost = ds->AfterPost = nullptr;
            ds->BeforeCancel = ds->AfterCancel = ds->BeforeDelete = ds->AfterDelete = nullptr;
            ds->OnNewRecord = ds->OnCalcFields = nullptr;
            ds->OnUpdateError = nullptr;
            for (int i = 0; i < ds->FieldCount(); ++i)
                ds->Fields(i)->LookupDataSet = nullptr;
        }
}

void TVornData::CreateDataSets()
{
    NextCust = NewTable(this, Database, "NextCust", "NEXTCUST");
    NextCust->Exclusive = true;

    Parts = NewTable(this, Database, "Parts", "PARTS");
    Parts->SetCachedUpdates(true);

    PartsQuery = NewQuery(this, Database, "PartsQuery",
                          {"select * from parts", " where (parts.OnOrder > parts.OnHand)", ""});

    Vendors = NewTable(this, Database, "Vendors", "VENDORS");
    Vendors->ReadOnly = true;

    Orders = NewTable(this, Database, "Orders", "ORDERS");
    Orders->IndexFieldNames = "OrderNo";
    Orders->SetCachedUpdates(true);
    OrdersSource = NewSource(this, "OrdersSource", Orders);

    CustByOrd = NewTable(this, Database, "CustByOrd", "CUSTOMER");
    CustByOrd->ReadOnly = true;
    CustByOrd->IndexFieldNames = "CustNo";
    CustByOrd->MasterFields = "CustNo";
    CustByOrd->SetMasterSource(OrdersSource);

    Items = NewTable(this, Database, "Items", "ITEMS");
    Items->IndexFieldNames = "OrderNo";
    Items->MasterFields = "OrderNo";
    Items->SetMasterSource(OrdersSource);
    Items->SetCachedUpdates(true);

    NextOrd = NewTable(this, Database, "NextOrd", "NEXTORD");
    NextOrd->Exclusive = true;

    Emps = NewTable(this, Database, "Emps", "EMPLOYEE");
    Emps->ReadOnly = true;
    Emps->IndexFieldNames = "EmpNo";

    LastItemQuery = NewQuery(this, Database, "LastItemQuery",
                             {"select max(ItemNo)  from Items", "  where OrderNo = :OrderNo"});
    LastItemQuery->SetDataSource(OrdersSource);
    LastItemQuery->ParamByName("OrderNo")->DataType = ftFloat;

    Cust = NewTable(this, Database, "Cust", "CUSTOMER");
    Cust->SetCachedUpdates(true);

    CustQuery = NewQuery(this, Database, "CustQuery",
                         {"select Customer.CustNo, Customer.Company, ",
                          "         Customer.LastInvoiceDate, Customer.Phone ",
                          "  from customer",
                          "  where ",
                          "    (customer.LastInvoiceDate >= :FromDate) and",
                          "    (customer.LastInvoiceDate <= :ToDate)"});
    CustQuery->ParamByName("FromDate")->DataType = ftDateTime;
    CustQuery->ParamByName("ToDate")->DataType = ftDateTime;

    CustMasterSrc = NewSource(this, "CustMasterSrc", Cust);

    OrdByCust = NewTable(this, Database, "OrdByCust", "ORDERS");
    OrdByCust->ReadOnly = true;
    OrdByCust->IndexFieldNames = "CUSTNO";
    OrdByCust->MasterFields = "CUSTNO";
    OrdByCust->SetMasterSource(CustMasterSrc);

    CustByComp = NewTable(this, Database, "CustByComp", "CUSTOMER");
    CustByComp->IndexFieldNames = "Company";

    CustByLastInvQuery = NewQuery(this, Database, "CustByLastInvQuery",
                                  {"select * from customer", "order by", "LastInvoiceDate descending"});

    OrdersByDateQuery = NewQuery(this, Database, "OrdersByDateQuery",
                                 {"select * from orders", "where ", "    (SaleDate >= :FromDate) and",
                                  "    (SaleDate <= :ToDate)", "order by ", "  SaleDate"});
    OrdersByDateQuery->ParamByName("FromDate")->DataType = ftDateTime;
    OrdersByDateQuery->ParamByName("ToDate")->DataType = ftDateTime;

    PartsSource = NewSource(this, "PartsSource", Parts);
    VendorSource = NewSource(this, "VendorSource", Vendors);
    CustByOrdSrc = NewSource(this, "CustByOrdSrc", CustByOrd);
    ItemsSource = NewSource(this, "ItemsSource", Items);
    EmpsSource = NewSource(this, "EmpsSource", Emps);
    CustSource = NewSource(this, "CustSource", Cust);
    OrdByCustSrc = NewSource(this, "OrdByCustSrc", OrdByCust);
    CustByCompSrc = NewSource(this, "CustByCompSrc", CustByComp);
}

void TVornData::CreateFields()
{
    AddFields(*this, NextCust, {{&TVornData::NextCustNewCust, "NewCust"}});

    AddFields(*this, Parts,
              {{&TVornData::PartsPartNo, "PartNo", {.DisplayWidth = 8, .Left = true, .Required = true}},
               {&TVornData::PartsDescription, "Description", 30, {.DisplayWidth = 21, .Required = true}},
               {&TVornData::PartsVendorNo, "VendorNo", {.DisplayWidth = 9}},
               {&TVornData::PartsOnHand, "OnHand", {.DisplayWidth = 9}},
               {&TVornData::PartsOnOrder, "OnOrder", {.DisplayWidth = 10}},
               {&TVornData::PartsBackOrd, "BackOrd", {.Kind = fkCalculated, .DisplayWidth = 9, .DisplayValues = "Yes;No"}},
               {&TVornData::PartsCost, "Cost", {.DisplayWidth = 12}},
               {&TVornData::PartsListPrice, "ListPrice", {.DisplayWidth = 12}}});

    AddFields(*this, PartsQuery,
              {{&TVornData::PartsQueryPartNo, "PartNo", {.DisplayWidth = 8, .Left = true}},
               {&TVornData::PartsQueryDescription, "Description", 30, {.DisplayWidth = 21}},
               {&TVornData::PartsQueryVendorNo, "VendorNo"},
               {&TVornData::PartsQueryOnHand, "OnHand", {.DisplayWidth = 9}},
               {&TVornData::PartsQueryOnOrder, "OnOrder", {.DisplayWidth = 10}},
               {&TVornData::PartsQueryBackOrd, "BackOrd",
                {.Kind = fkCalculated, .DisplayWidth = 9, .DisplayValues = "Yes;No"}},
               {&TVornData::PartsQueryCost, "Cost"},
               {&TVornData::PartsQueryListPrice, "ListPrice"}});

    AddFields(*this, Orders,
              {{&TVornData::OrdersOrderNo, "OrderNo", {.Left = true}},
               {&TVornData::OrdersCustNo, "CustNo", {.Left = true, .Required = true}},
               {&TVornData::OrdersSaleDate, "SaleDate"},
               {&TVornData::OrdersShipDate, "ShipDate"},
               {&TVornData::OrdersShipToContact, "ShipToContact", 20},
               {&TVornData::OrdersShipToAddr1, "ShipToAddr1", 30},
               {&TVornData::OrdersShipToAddr2, "ShipToAddr2", 30},
               {&TVornData::OrdersShipToCity, "ShipToCity", 15},
               {&TVornData::OrdersShipToState, "ShipToState", 20},
               {&TVornData::OrdersShipToZip, "ShipToZip", 10},
               {&TVornData::OrdersShipToCountry, "ShipToCountry", 20},
               {&TVornData::OrdersShipToPhone, "ShipToPhone", 15},
               {&TVornData::OrdersShipVIA, "ShipVIA", 7},
               {&TVornData::OrdersPO, "PO", 15},
               {&TVornData::OrdersEmpNo, "EmpNo", {.Required = true}},
               {&TVornData::OrdersTerms, "Terms", 6},
               {&TVornData::OrdersPaymentMethod, "PaymentMethod", 7},
               {&TVornData::OrdersItemsTotal, "ItemsTotal"},
               {&TVornData::OrdersTaxRate, "TaxRate",
                {.DisplayFormat = "0.00%;(0.00%);0%", .MinValue = 0, .MaxValue = 100}},
               {&TVornData::OrdersTaxTotal, "TaxTotal", {.Kind = fkCalculated}},
               {&TVornData::OrdersFreight, "Freight"},
               {&TVornData::OrdersAmountPaid, "AmountPaid"},
               {&TVornData::OrdersAmountDue, "AmountDue", {.Kind = fkCalculated}},
               {&TVornData::OrdersSalesPerson, "SalesPerson", 40,
                {.Kind = fkLookup, .Lookup = {"EmpNo", Emps, "EmpNo", "FullName"}}}});

    AddFields(*this, CustByOrd,
              {{&TVornData::CustByOrdCustNo, "CustNo"},
               {&TVornData::CustByOrdCompany, "Company", 30},
               {&TVornData::CustByOrdAddr1, "Addr1", 30},
               {&TVornData::CustByOrdAddr2, "Addr2", 30},
               {&TVornData::CustByOrdCity, "City", 15},
               {&TVornData::CustByOrdState, "State", 20},
               {&TVornData::CustByOrdZip, "Zip", 10},
               {&TVornData::CustByOrdCountry, "Country", 20},
               {&TVornData::CustByOrdPhone, "Phone", 15},
               {&TVornData::CustByOrdFAX, "FAX", 15},
               {&TVornData::CustByOrdTaxRate, "TaxRate"},
               {&TVornData::CustByOrdContact, "Contact", 20},
               {&TVornData::CustByOrdLastInvoiceDate, "LastInvoiceDate"}});

    AddFields(*this, Items,
              {{&TVornData::ItemsItemNo, "ItemNo", {.Hidden = true}},
               {&TVornData::ItemsOrderNo, "OrderNo", {.Hidden = true}},
               {&TVornData::ItemsPartNo, "PartNo"},
               {&TVornData::ItemsDescription, "Description", 30,
                {.Kind = fkLookup, .DisplayWidth = 28, .ReadOnly = true,
                 .Lookup = {"PartNo", Parts, "PartNo", "Description"}}},
               {&TVornData::ItemsSellPrice, "SellPrice",
                {.Kind = fkLookup, .DisplayWidth = 9, .Lookup = {"PartNo", Parts, "PartNo", "ListPrice"}}},
               {&TVornData::ItemsQty, "Qty", {.DisplayWidth = 5}},
               {&TVornData::ItemsDiscount, "Discount",
                {.DisplayWidth = 7, .DisplayFormat = "0.00%", .MinValue = 0, .MaxValue = 100}},
               {&TVornData::ItemsExtPrice, "ExtPrice", {.Kind = fkCalculated, .DisplayWidth = 10}}});

    AddFields(*this, NextOrd, {{&TVornData::NextOrdNewKey, "NewKey"}});

    AddFields(*this, Emps,
              {{&TVornData::EmpsEmpNo, "EmpNo"},
               {&TVornData::EmpsFullName, "FullName", 20, {.Kind = fkCalculated}},
               {&TVornData::EmpsLastName, "LastName", 20},
               {&TVornData::EmpsFirstName, "FirstName", 15},
               {&TVornData::EmpsPhoneExt, "PhoneExt", 4},
               {&TVornData::EmpsHireDate, "HireDate"},
               {&TVornData::EmpsSalary, "Salary"}});

    AddFields(*this, Cust,
              {{&TVornData::CustCustNo, "CustNo", {.DisplayWidth = 6, .Left = true}},
               {&TVornData::CustCompany, "Company", 30, {.DisplayWidth = 26, .Required = true}},
               {&TVornData::CustPhone, "Phone", 15, {.DisplayWidth = 15}},
               {&TVornData::CustLastInvoiceDate, "LastInvoiceDate",
                {.DisplayWidth = 10, .DisplayLabel = "LastInvoice", .DisplayFormat = "DDDDD"}},
               {&TVornData::CustAddr1, "Addr1", 30},
               {&TVornData::CustAddr2, "Addr2", 30},
               {&TVornData::CustCity, "City", 15},
               {&TVornData::CustState, "State", 20},
               {&TVornData::CustZip, "Zip", 10},
               {&TVornData::CustCountry, "Country", 20},
               {&TVornData::CustFAX, "FAX", 15},
               {&TVornData::CustTaxRate, "TaxRate"},
               {&TVornData::CustContact, "Contact", 20}});

    AddFields(*this, CustQuery,
              {{&TVornData::CustQueryCustNo, "CustNo", {.DisplayWidth = 6, .Left = true}},
               {&TVornData::CustQueryCompany, "Company", 30, {.DisplayWidth = 26}},
               {&TVornData::CustQueryPhone, "Phone", 15, {.DisplayWidth = 15}},
               {&TVornData::CustQueryLastInvoiceDate, "LastInvoiceDate",
                {.DisplayWidth = 10, .DisplayLabel = "LastInvoice", .DisplayFormat = "DDDDD"}}});

    AddFields(*this, OrdByCust,
              {{&TVornData::OrdByCustOrderNo, "OrderNo", {.DisplayWidth = 10, .Left = true}},
               {&TVornData::OrdByCustCustNo, "CustNo", {.Hidden = true}},
               {&TVornData::OrdByCustSaleDate, "SaleDate", {.DisplayWidth = 9, .DisplayFormat = "DDDDD"}},
               {&TVornData::OrdByCustShipDate, "ShipDate", {.DisplayWidth = 9, .DisplayFormat = "DDDDD"}},
               {&TVornData::OrdByCustItemsTotal, "ItemsTotal", {.Hidden = true}},
               {&TVornData::OrdByCustTaxRate, "TaxRate", {.Hidden = true}},
               {&TVornData::OrdByCustFreight, "Freight", {.Hidden = true}},
               {&TVornData::OrdByCustAmountPaid, "AmountPaid", {.DisplayWidth = 14}},
               {&TVornData::OrdByCustAmountDue, "AmountDue", {.Kind = fkCalculated, .DisplayWidth = 14}}});

    AddFields(*this, CustByLastInvQuery,
              {{&TVornData::CustByLastInvQueryCustNo, "CustNo"},
               {&TVornData::CustByLastInvQueryCompany, "Company", 30},
               {&TVornData::CustByLastInvQueryAddr1, "Addr1", 30},
               {&TVornData::CustByLastInvQueryAddr2, "Addr2", 30},
               {&TVornData::CustByLastInvQueryCity, "City", 15},
               {&TVornData::CustByLastInvQueryState, "State", 20},
               {&TVornData::CustByLastInvQueryZip, "Zip", 10},
               {&TVornData::CustByLastInvQueryCountry, "Country", 20},
               {&TVornData::CustByLastInvQueryPhone, "Phone", 15},
               {&TVornData::CustByLastInvQueryFAX, "FAX", 15},
               {&TVornData::CustByLastInvQueryTaxRate, "TaxRate"},
               {&TVornData::CustByLastInvQueryContact, "Contact", 20},
               {&TVornData::CustByLastInvQueryLastInvoiceDate, "LastInvoiceDate"}},
              "CUSTOMER.DB");

    AddFields(*this, OrdersByDateQuery,
              {{&TVornData::OrdersByDateQueryOrderNo, "OrderNo"},
               {&TVornData::OrdersByDateQueryCustNo, "CustNo"},
               {&TVornData::OrdersByDateQuerySaleDate, "SaleDate"},
               {&TVornData::OrdersByDateQueryShipDate, "ShipDate"},
               {&TVornData::OrdersByDateQueryEmpNo, "EmpNo"},
               {&TVornData::OrdersByDateQueryShipToContact, "ShipToContact", 20},
               {&TVornData::OrdersByDateQueryShipToAddr1, "ShipToAddr1", 30},
               {&TVornData::OrdersByDateQueryShipToAddr2, "ShipToAddr2", 30},
               {&TVornData::OrdersByDateQueryShipToCity, "ShipToCity", 15},
               {&TVornData::OrdersByDateQueryShipToState, "ShipToState", 20},
               {&TVornData::OrdersByDateQueryShipToZip, "ShipToZip", 10},
               {&TVornData::OrdersByDateQueryShipToCountry, "ShipToCountry", 20},
               {&TVornData::OrdersByDateQueryShipToPhone, "ShipToPhone", 15},
               {&TVornData::OrdersByDateQueryShipVIA, "ShipVIA", 7},
               {&TVornData::OrdersByDateQueryPO, "PO", 15},
               {&TVornData::OrdersByDateQueryTerms, "Terms", 6},
               {&TVornData::OrdersByDateQueryPaymentMethod, "PaymentMethod", 7},
               {&TVornData::OrdersByDateQueryItemsTotal, "ItemsTotal"},
               {&TVornData::OrdersByDateQueryTaxRate, "TaxRate"},
               {&TVornData::OrdersByDateQueryFreight, "Freight"},
               {&TVornData::OrdersByDateQueryAmountPaid, "AmountPaid"},
               {&TVornData::OrdersByDateQueryCompany, "Company", 40,
                {.Kind = fkLookup, .Lookup = {"CustNo", Cust, "CustNo", "Company"}}}},
              "ORDERS.DB");
}

void TVornData::AttachHandlers()
{
    using namespace std::placeholders;
    auto on = [this](void (TVornData::*handler)(TDataSet*)) {
        return [this, handler](TDataSet* ds) { (this->*handler)(ds); };
    };
    auto onField = [this](void (TVornData::*handler)(TField*)) {
        return [this, handler](TField* f) { (this->*handler)(f); };
    };
    Orders->OnNewRecord = on(&TVornData::OrdersNewRecord);
    Orders->BeforeInsert = on(&TVornData::OrdersBeforeInsert);
    Orders->BeforeEdit = on(&TVornData::OrdersBeforeEdit);
    Orders->BeforePost = on(&TVornData::OrdersBeforePost);
    Orders->AfterPost = on(&TVornData::OrdersAfterPost);
    Orders->BeforeCancel = on(&TVornData::OrdersBeforeCancel);
    Orders->AfterCancel = on(&TVornData::OrdersAfterCancel);
    Orders->BeforeDelete = on(&TVornData::OrdersBeforeDelete);
    Orders->AfterDelete = on(&TVornData::OrdersAfterDelete);
    Orders->BeforeOpen = on(&TVornData::OrdersBeforeOpen);
    Orders->BeforeClose = on(&TVornData::OrdersBeforeClose);
    Orders->OnCalcFields = on(&TVornData::OrdersCalcFields);
    OrdersCustNo->OnChange = onField(&TVornData::OrdersCustNoChange);
    OrdersSaleDate->OnValidate = onField(&TVornData::OrdersSaleDateValidate);
    OrdersFreight->OnValidate = onField(&TVornData::OrdersFreightValidate);

    Items->OnNewRecord = on(&TVornData::ItemsNewRecord);
    Items->BeforeInsert = on(&TVornData::EnsureOrdersEdit);
    Items->BeforeDelete = on(&TVornData::EnsureOrdersEdit);
    Items->BeforeEdit = on(&TVornData::ItemsBeforeEdit);
    Items->BeforePost = on(&TVornData::ItemsBeforePost);
    Items->AfterPost = on(&TVornData::ItemsAfterPost);
    Items->AfterDelete = on(&TVornData::ItemsAfterDelete);
    Items->BeforeOpen = on(&TVornData::ItemsBeforeOpen);
    Items->OnCalcFields = on(&TVornData::ItemsCalcFields);
    ItemsQty->OnValidate = onField(&TVornData::ItemsQtyValidate);
    ItemsPartNo->OnValidate = onField(&TVornData::ItemsPartNoValidate);

    Parts->BeforeOpen = on(&TVornData::PartsBeforeOpen);
    Parts->OnCalcFields = on(&TVornData::PartsCalcFields);
    PartsQuery->OnCalcFields = on(&TVornData::PartsQueryCalcFields);
    auto updateError = [this](TDataSet* ds, EDatabaseError& e, TUpdateKind kind, TUpdateAction& action) {
        EditUpdateError(ds, e, kind, action);
    };
    Parts->OnUpdateError = updateError;
    Cust->OnUpdateError = updateError;
    Emps->OnCalcFields = on(&TVornData::EmpsCalcFields);
    Cust->BeforeOpen = on(&TVornData::CustBeforeOpen);
    Cust->BeforePost = on(&TVornData::CustBeforePost);
    OrdByCust->OnCalcFields = on(&TVornData::OrdByCustCalcFields);
}

void TVornData::OpenAtStart()
{
    for (TDataSet* ds : std::initializer_list<TDataSet*>{Parts, Vendors, Orders, CustByOrd, Items, Emps, Cust,
                                                         OrdByCust, CustByComp, CustByLastInvQuery})
        ds->Open();
}

// ---- opening and closing cascades ----

void TVornData::PartsBeforeOpen(TDataSet*)
{
    Vendors->Open();
}

void TVornData::OrdersBeforeOpen(TDataSet*)
{
    CustByComp->Open();
    CustByOrd->Open();
    Cust->Open();
    Emps->Open();
    Items->Open();
}

void TVornData::ItemsBeforeOpen(TDataSet*)
{
    Parts->Open();
}

void TVornData::CustBeforeOpen(TDataSet*)
{
    OrdByCust->Open();
}

void TVornData::OrdersBeforeClose(TDataSet*)
{
    Items->Close();
    Emps->Close();
    CustByOrd->Close();
}

// ---- storage ----

QString TVornData::DataFolder() const
{
    const QString exeFolder = QString::fromLocal8Bit(AppFolder.c_str());
    const QString folder = QDir::cleanPath(QDir(exeFolder).absoluteFilePath("../../DATA"));
    return QDir::toNativeSeparators(folder) + QDir::separator();
}

void TVornData::SwitchAlias(const QString& AliasName)
{
    TBusyCursor busy;
    Database->Close();
    Database->AliasName = AliasName;
    Database->Open();
}

void TVornData::OpenLocalData()
{
    if (!Session.IsAlias("DBDEMOS")) {
        const QString folder = DataFolder();
        if (!QFileInfo::exists(folder + "ORDERS.DB"))
            throw Exception("Cannot locate Paradox data files");
        Session.AddStandardAlias("DBDEMOS", folder, "PARADOX");
    }
    SwitchAlias("DBDEMOS");
}

void TVornData::OpenRemoteData()
{
    if (!Session.IsAlias("DEZAZAV")) {
        const QString file = DataFolder() + "DEZAZAV.GDB";
        if (!QFileInfo::exists(file))
            throw Exception("Cannot locate Interbase data file: DEZAZAV.GDB");
        const QStringList params{"SERVER NAME=" + file, "USER NAME=SYSDBA"};
        Session.AddAlias("DEZAZAV", "INTRBASE", params);
    }
    SwitchAlias("DEZAZAV");
}
