// Construction of the data module: the connection, the datasets with their fields,
// links and handlers, the opening cascades, and the switch between local data and the
// server. The rules themselves live in DataMod_Rules.cpp.
#include "DataMod.h"

#include "alias.h"
#include "exceptions.h"
#include "strs.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QCursor>
#include <QGuiApplication>

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
    // NextCust
    NextCustNewCust = new TFloatField(NextCust, "NewCust");
    // Parts
    PartsPartNo = new TFloatField(Parts, "PartNo");
    PartsPartNo->SetDisplayWidth(8);
    PartsPartNo->Alignment = taLeftJustify;
    PartsPartNo->Required = true;
    PartsDescription = new TStringField(Parts, "Description", 30);
    PartsDescription->SetDisplayWidth(21);
    PartsDescription->Required = true;
    PartsVendorNo = new TFloatField(Parts, "VendorNo");
    PartsVendorNo->SetDisplayWidth(9);
    PartsOnHand = new TFloatField(Parts, "OnHand");
    PartsOnHand->SetDisplayWidth(9);
    PartsOnOrder = new TFloatField(Parts, "OnOrder");
    PartsOnOrder->SetDisplayWidth(10);
    PartsBackOrd = new TBooleanField(Parts, "BackOrd", fkCalculated);
    PartsBackOrd->SetDisplayWidth(9);
    PartsBackOrd->DisplayValues = "Yes;No";
    PartsCost = new TCurrencyField(Parts, "Cost");
    PartsCost->SetDisplayWidth(12);
    PartsListPrice = new TCurrencyField(Parts, "ListPrice");
    PartsListPrice->SetDisplayWidth(12);
    // PartsQuery
    PartsQueryPartNo = new TFloatField(PartsQuery, "PartNo");
    PartsQueryPartNo->SetDisplayWidth(8);
    PartsQueryPartNo->Alignment = taLeftJustify;
    PartsQueryDescription = new TStringField(PartsQuery, "Description", 30);
    PartsQueryDescription->SetDisplayWidth(21);
    PartsQueryVendorNo = new TFloatField(PartsQuery, "VendorNo");
    PartsQueryOnHand = new TFloatField(PartsQuery, "OnHand");
    PartsQueryOnHand->SetDisplayWidth(9);
    PartsQueryOnOrder = new TFloatField(PartsQuery, "OnOrder");
    PartsQueryOnOrder->SetDisplayWidth(10);
    PartsQueryBackOrd = new TBooleanField(PartsQuery, "BackOrd", fkCalculated);
    PartsQueryBackOrd->SetDisplayWidth(9);
    PartsQueryBackOrd->DisplayValues = "Yes;No";
    PartsQueryCost = new TCurrencyField(PartsQuery, "Cost");
    PartsQueryListPrice = new TCurrencyField(PartsQuery, "ListPrice");
    // Orders
    OrdersOrderNo = new TFloatField(Orders, "OrderNo");
    OrdersOrderNo->Alignment = taLeftJustify;
    OrdersCustNo = new TFloatField(Orders, "CustNo");
    OrdersCustNo->Alignment = taLeftJustify;
    OrdersCustNo->Required = true;
    OrdersSaleDate = new TDateTimeField(Orders, "SaleDate");
    OrdersShipDate = new TDateTimeField(Orders, "ShipDate");
    OrdersShipToContact = new TStringField(Orders, "ShipToContact", 20);
    OrdersShipToAddr1 = new TStringField(Orders, "ShipToAddr1", 30);
    OrdersShipToAddr2 = new TStringField(Orders, "ShipToAddr2", 30);
    OrdersShipToCity = new TStringField(Orders, "ShipToCity", 15);
    OrdersShipToState = new TStringField(Orders, "ShipToState", 20);
    OrdersShipToZip = new TStringField(Orders, "ShipToZip", 10);
    OrdersShipToCountry = new TStringField(Orders, "ShipToCountry", 20);
    OrdersShipToPhone = new TStringField(Orders, "ShipToPhone", 15);
    OrdersShipVIA = new TStringField(Orders, "ShipVIA", 7);
    OrdersPO = new TStringField(Orders, "PO", 15);
    OrdersEmpNo = new TIntegerField(Orders, "EmpNo");
    OrdersEmpNo->Required = true;
    OrdersTerms = new TStringField(Orders, "Terms", 6);
    OrdersPaymentMethod = new TStringField(Orders, "PaymentMethod", 7);
    OrdersItemsTotal = new TCurrencyField(Orders, "ItemsTotal");
    OrdersTaxRate = new TFloatField(Orders, "TaxRate");
    OrdersTaxRate->DisplayFormat = "0.00%;(0.00%);0%";
    OrdersTaxRate->MinValue = 0;
    OrdersTaxRate->MaxValue = 100;
    OrdersTaxTotal = new TCurrencyField(Orders, "TaxTotal", fkCalculated);
    OrdersFreight = new TCurrencyField(Orders, "Freight");
    OrdersAmountPaid = new TCurrencyField(Orders, "AmountPaid");
    OrdersAmountDue = new TCurrencyField(Orders, "AmountDue", fkCalculated);
    OrdersSalesPerson = new TStringField(Orders, "SalesPerson", 40, fkLookup);
    OrdersSalesPerson->KeyFields = "EmpNo";
    OrdersSalesPerson->LookupDataSet = Emps;
    OrdersSalesPerson->LookupKeyFields = "EmpNo";
    OrdersSalesPerson->LookupResultField = "FullName";
    // CustByOrd
    CustByOrdCustNo = new TFloatField(CustByOrd, "CustNo");
    CustByOrdCompany = new TStringField(CustByOrd, "Company", 30);
    CustByOrdAddr1 = new TStringField(CustByOrd, "Addr1", 30);
    CustByOrdAddr2 = new TStringField(CustByOrd, "Addr2", 30);
    CustByOrdCity = new TStringField(CustByOrd, "City", 15);
    CustByOrdState = new TStringField(CustByOrd, "State", 20);
    CustByOrdZip = new TStringField(CustByOrd, "Zip", 10);
    CustByOrdCountry = new TStringField(CustByOrd, "Country", 20);
    CustByOrdPhone = new TStringField(CustByOrd, "Phone", 15);
    CustByOrdFAX = new TStringField(CustByOrd, "FAX", 15);
    CustByOrdTaxRate = new TFloatField(CustByOrd, "TaxRate");
    CustByOrdContact = new TStringField(CustByOrd, "Contact", 20);
    CustByOrdLastInvoiceDate = new TDateTimeField(CustByOrd, "LastInvoiceDate");
    // Items
    ItemsItemNo = new TFloatField(Items, "ItemNo");
    ItemsItemNo->Visible = false;
    ItemsOrderNo = new TFloatField(Items, "OrderNo");
    ItemsOrderNo->Visible = false;
    ItemsPartNo = new TFloatField(Items, "PartNo");
    ItemsDescription = new TStringField(Items, "Description", 30, fkLookup);
    ItemsDescription->SetDisplayWidth(28);
    ItemsDescription->ReadOnly = true;
    ItemsDescription->KeyFields = "PartNo";
    ItemsDescription->LookupDataSet = Parts;
    ItemsDescription->LookupKeyFields = "PartNo";
    ItemsDescription->LookupResultField = "Description";
    ItemsSellPrice = new TCurrencyField(Items, "SellPrice", fkLookup);
    ItemsSellPrice->SetDisplayWidth(9);
    ItemsSellPrice->KeyFields = "PartNo";
    ItemsSellPrice->LookupDataSet = Parts;
    ItemsSellPrice->LookupKeyFields = "PartNo";
    ItemsSellPrice->LookupResultField = "ListPrice";
    ItemsQty = new TIntegerField(Items, "Qty");
    ItemsQty->SetDisplayWidth(5);
    ItemsDiscount = new TFloatField(Items, "Discount");
    ItemsDiscount->SetDisplayWidth(7);
    ItemsDiscount->DisplayFormat = "0.00%";
    ItemsDiscount->MinValue = 0;
    ItemsDiscount->MaxValue = 100;
    ItemsExtPrice = new TCurrencyField(Items, "ExtPrice", fkCalculated);
    ItemsExtPrice->SetDisplayWidth(10);
    // NextOrd
    NextOrdNewKey = new TFloatField(NextOrd, "NewKey");
    // Emps
    EmpsEmpNo = new TIntegerField(Emps, "EmpNo");
    EmpsFullName = new TStringField(Emps, "FullName", 20, fkCalculated);
    EmpsLastName = new TStringField(Emps, "LastName", 20);
    EmpsFirstName = new TStringField(Emps, "FirstName", 15);
    EmpsPhoneExt = new TStringField(Emps, "PhoneExt", 4);
    EmpsHireDate = new TDateTimeField(Emps, "HireDate");
    EmpsSalary = new TFloatField(Emps, "Salary");
    // Cust
    CustCustNo = new TFloatField(Cust, "CustNo");
    CustCustNo->SetDisplayWidth(6);
    CustCustNo->Alignment = taLeftJustify;
    CustCompany = new TStringField(Cust, "Company", 30);
    CustCompany->SetDisplayWidth(26);
    CustCompany->Required = true;
    CustPhone = new TStringField(Cust, "Phone", 15);
    CustPhone->SetDisplayWidth(15);
    CustLastInvoiceDate = new TDateTimeField(Cust, "LastInvoiceDate");
    CustLastInvoiceDate->SetDisplayWidth(10);
    CustLastInvoiceDate->DisplayFormat = "DDDDD";
    CustLastInvoiceDate->DisplayLabel = "LastInvoice";
    CustAddr1 = new TStringField(Cust, "Addr1", 30);
    CustAddr2 = new TStringField(Cust, "Addr2", 30);
    CustCity = new TStringField(Cust, "City", 15);
    CustState = new TStringField(Cust, "State", 20);
    CustZip = new TStringField(Cust, "Zip", 10);
    CustCountry = new TStringField(Cust, "Country", 20);
    CustFAX = new TStringField(Cust, "FAX", 15);
    CustTaxRate = new TFloatField(Cust, "TaxRate");
    CustContact = new TStringField(Cust, "Contact", 20);
    // CustQuery
    CustQueryCustNo = new TFloatField(CustQuery, "CustNo");
    CustQueryCustNo->SetDisplayWidth(6);
    CustQueryCustNo->Alignment = taLeftJustify;
    CustQueryCompany = new TStringField(CustQuery, "Company", 30);
    CustQueryCompany->SetDisplayWidth(26);
    CustQueryPhone = new TStringField(CustQuery, "Phone", 15);
    CustQueryPhone->SetDisplayWidth(15);
    CustQueryLastInvoiceDate = new TDateTimeField(CustQuery, "LastInvoiceDate");
    CustQueryLastInvoiceDate->SetDisplayWidth(10);
    CustQueryLastInvoiceDate->DisplayFormat = "DDDDD";
    CustQueryLastInvoiceDate->DisplayLabel = "LastInvoice";
    // OrdByCust
    OrdByCustOrderNo = new TFloatField(OrdByCust, "OrderNo");
    OrdByCustOrderNo->SetDisplayWidth(10);
    OrdByCustOrderNo->Alignment = taLeftJustify;
    OrdByCustCustNo = new TFloatField(OrdByCust, "CustNo");
    OrdByCustCustNo->Visible = false;
    OrdByCustSaleDate = new TDateTimeField(OrdByCust, "SaleDate");
    OrdByCustSaleDate->SetDisplayWidth(9);
    OrdByCustSaleDate->DisplayFormat = "DDDDD";
    OrdByCustShipDate = new TDateTimeField(OrdByCust, "ShipDate");
    OrdByCustShipDate->SetDisplayWidth(9);
    OrdByCustShipDate->DisplayFormat = "DDDDD";
    OrdByCustItemsTotal = new TCurrencyField(OrdByCust, "ItemsTotal");
    OrdByCustItemsTotal->Visible = false;
    OrdByCustTaxRate = new TFloatField(OrdByCust, "TaxRate");
    OrdByCustTaxRate->Visible = false;
    OrdByCustFreight = new TCurrencyField(OrdByCust, "Freight");
    OrdByCustFreight->Visible = false;
    OrdByCustAmountPaid = new TCurrencyField(OrdByCust, "AmountPaid");
    OrdByCustAmountPaid->SetDisplayWidth(14);
    OrdByCustAmountDue = new TCurrencyField(OrdByCust, "AmountDue", fkCalculated);
    OrdByCustAmountDue->SetDisplayWidth(14);
    // CustByLastInvQuery
    CustByLastInvQueryCustNo = new TFloatField(CustByLastInvQuery, "CustNo");
    CustByLastInvQueryCustNo->Origin = "\"CUSTOMER.DB\".CustNo";
    CustByLastInvQueryCompany = new TStringField(CustByLastInvQuery, "Company", 30);
    CustByLastInvQueryCompany->Origin = "\"CUSTOMER.DB\".Company";
    CustByLastInvQueryAddr1 = new TStringField(CustByLastInvQuery, "Addr1", 30);
    CustByLastInvQueryAddr1->Origin = "\"CUSTOMER.DB\".Addr1";
    CustByLastInvQueryAddr2 = new TStringField(CustByLastInvQuery, "Addr2", 30);
    CustByLastInvQueryAddr2->Origin = "\"CUSTOMER.DB\".Addr2";
    CustByLastInvQueryCity = new TStringField(CustByLastInvQuery, "City", 15);
    CustByLastInvQueryCity->Origin = "\"CUSTOMER.DB\".City";
    CustByLastInvQueryState = new TStringField(CustByLastInvQuery, "State", 20);
    CustByLastInvQueryState->Origin = "\"CUSTOMER.DB\".State";
    CustByLastInvQueryZip = new TStringField(CustByLastInvQuery, "Zip", 10);
    CustByLastInvQueryZip->Origin = "\"CUSTOMER.DB\".Zip";
    CustByLastInvQueryCountry = new TStringField(CustByLastInvQuery, "Country", 20);
    CustByLastInvQueryCountry->Origin = "\"CUSTOMER.DB\".Country";
    CustByLastInvQueryPhone = new TStringField(CustByLastInvQuery, "Phone", 15);
    CustByLastInvQueryPhone->Origin = "\"CUSTOMER.DB\".Phone";
    CustByLastInvQueryFAX = new TStringField(CustByLastInvQuery, "FAX", 15);
    CustByLastInvQueryFAX->Origin = "\"CUSTOMER.DB\".FAX";
    CustByLastInvQueryTaxRate = new TFloatField(CustByLastInvQuery, "TaxRate");
    CustByLastInvQueryTaxRate->Origin = "\"CUSTOMER.DB\".TaxRate";
    CustByLastInvQueryContact = new TStringField(CustByLastInvQuery, "Contact", 20);
    CustByLastInvQueryContact->Origin = "\"CUSTOMER.DB\".Contact";
    CustByLastInvQueryLastInvoiceDate = new TDateTimeField(CustByLastInvQuery, "LastInvoiceDate");
    CustByLastInvQueryLastInvoiceDate->Origin = "\"CUSTOMER.DB\".LastInvoiceDate";
    // OrdersByDateQuery
    OrdersByDateQueryOrderNo = new TFloatField(OrdersByDateQuery, "OrderNo");
    OrdersByDateQueryOrderNo->Origin = "\"ORDERS.DB\".OrderNo";
    OrdersByDateQueryCustNo = new TFloatField(OrdersByDateQuery, "CustNo");
    OrdersByDateQueryCustNo->Origin = "\"ORDERS.DB\".CustNo";
    OrdersByDateQuerySaleDate = new TDateTimeField(OrdersByDateQuery, "SaleDate");
    OrdersByDateQuerySaleDate->Origin = "\"ORDERS.DB\".SaleDate";
    OrdersByDateQueryShipDate = new TDateTimeField(OrdersByDateQuery, "ShipDate");
    OrdersByDateQueryShipDate->Origin = "\"ORDERS.DB\".ShipDate";
    OrdersByDateQueryEmpNo = new TIntegerField(OrdersByDateQuery, "EmpNo");
    OrdersByDateQueryEmpNo->Origin = "\"ORDERS.DB\".EmpNo";
    OrdersByDateQueryShipToContact = new TStringField(OrdersByDateQuery, "ShipToContact", 20);
    OrdersByDateQueryShipToContact->Origin = "\"ORDERS.DB\".ShipToContact";
    OrdersByDateQueryShipToAddr1 = new TStringField(OrdersByDateQuery, "ShipToAddr1", 30);
    OrdersByDateQueryShipToAddr1->Origin = "\"ORDERS.DB\".ShipToAddr1";
    OrdersByDateQueryShipToAddr2 = new TStringField(OrdersByDateQuery, "ShipToAddr2", 30);
    OrdersByDateQueryShipToAddr2->Origin = "\"ORDERS.DB\".ShipToAddr2";
    OrdersByDateQueryShipToCity = new TStringField(OrdersByDateQuery, "ShipToCity", 15);
    OrdersByDateQueryShipToCity->Origin = "\"ORDERS.DB\".ShipToCity";
    OrdersByDateQueryShipToState = new TStringField(OrdersByDateQuery, "ShipToState", 20);
    OrdersByDateQueryShipToState->Origin = "\"ORDERS.DB\".ShipToState";
    OrdersByDateQueryShipToZip = new TStringField(OrdersByDateQuery, "ShipToZip", 10);
    OrdersByDateQueryShipToZip->Origin = "\"ORDERS.DB\".ShipToZip";
    OrdersByDateQueryShipToCountry = new TStringField(OrdersByDateQuery, "ShipToCountry", 20);
    OrdersByDateQueryShipToCountry->Origin = "\"ORDERS.DB\".ShipToCountry";
    OrdersByDateQueryShipToPhone = new TStringField(OrdersByDateQuery, "ShipToPhone", 15);
    OrdersByDateQueryShipToPhone->Origin = "\"ORDERS.DB\".ShipToPhone";
    OrdersByDateQueryShipVIA = new TStringField(OrdersByDateQuery, "ShipVIA", 7);
    OrdersByDateQueryShipVIA->Origin = "\"ORDERS.DB\".ShipVIA";
    OrdersByDateQueryPO = new TStringField(OrdersByDateQuery, "PO", 15);
    OrdersByDateQueryPO->Origin = "\"ORDERS.DB\".PO";
    OrdersByDateQueryTerms = new TStringField(OrdersByDateQuery, "Terms", 6);
    OrdersByDateQueryTerms->Origin = "\"ORDERS.DB\".Terms";
    OrdersByDateQueryPaymentMethod = new TStringField(OrdersByDateQuery, "PaymentMethod", 7);
    OrdersByDateQueryPaymentMethod->Origin = "\"ORDERS.DB\".PaymentMethod";
    OrdersByDateQueryItemsTotal = new TCurrencyField(OrdersByDateQuery, "ItemsTotal");
    OrdersByDateQueryItemsTotal->Origin = "\"ORDERS.DB\".ItemsTotal";
    OrdersByDateQueryTaxRate = new TFloatField(OrdersByDateQuery, "TaxRate");
    OrdersByDateQueryTaxRate->Origin = "\"ORDERS.DB\".TaxRate";
    OrdersByDateQueryFreight = new TCurrencyField(OrdersByDateQuery, "Freight");
    OrdersByDateQueryFreight->Origin = "\"ORDERS.DB\".Freight";
    OrdersByDateQueryAmountPaid = new TCurrencyField(OrdersByDateQuery, "AmountPaid");
    OrdersByDateQueryAmountPaid->Origin = "\"ORDERS.DB\".AmountPaid";
    OrdersByDateQueryCompany = new TStringField(OrdersByDateQuery, "Company", 40, fkLookup);
    OrdersByDateQueryCompany->KeyFields = "CustNo";
    OrdersByDateQueryCompany->LookupDataSet = Cust;
    OrdersByDateQueryCompany->LookupKeyFields = "CustNo";
    OrdersByDateQueryCompany->LookupResultField = "Company";
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
