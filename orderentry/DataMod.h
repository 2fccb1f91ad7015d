// The order-entry data module: the connection, every dataset and field the screens and
// reports bind to, and the business rules attached to them as event handlers. One
// instance, VornData, lives from start-up to the end of the program; windows own no
// datasets of their own, so every screen that edits a dataset gets the same rules.
#pragma once

#include "platform/data/database.h"
#include "platform/data/datasource.h"
#include "platform/data/query.h"
#include "platform/data/table.h"

#include <QObject>
#include <QString>

class TVornData : public QObject {
public:
    // Connects under "DBDEMOS" and opens the start-up datasets; raises the engine's
    // error when the connection cannot be opened.
    explicit TVornData(QObject* Owner = nullptr);
    ~TVornData() override;
    TVornData(const TVornData&) = delete;
    TVornData& operator=(const TVornData&) = delete;

    TDatabase* Database;

    TTable* NextCust;
    TTable* Parts;
    TQuery* PartsQuery;
    TTable* Vendors;
    TTable* Orders;
    TTable* CustByOrd;
    TTable* Items;
    TTable* NextOrd;
    TTable* Emps;
    TQuery* LastItemQuery;
    TTable* Cust;
    TQuery* CustQuery;
    TTable* OrdByCust;
    TTable* CustByComp;
    TQuery* CustByLastInvQuery;
    TQuery* OrdersByDateQuery;

    TDataSource* PartsSource;
    TDataSource* VendorSource;
    TDataSource* OrdersSource;
    TDataSource* CustByOrdSrc;
    TDataSource* ItemsSource;
    TDataSource* EmpsSource;
    TDataSource* CustSource;
    TDataSource* CustMasterSrc;
    TDataSource* OrdByCustSrc;
    TDataSource* CustByCompSrc;

    // NextCust
    TFloatField* NextCustNewCust;
    // Parts
    TFloatField* PartsPartNo;
    TStringField* PartsDescription;
    TFloatField* PartsVendorNo;
    TFloatField* PartsOnHand;
    TFloatField* PartsOnOrder;
    TBooleanField* PartsBackOrd;
    TCurrencyField* PartsCost;
    TCurrencyField* PartsListPrice;
    // PartsQuery
    TFloatField* PartsQueryPartNo;
    TStringField* PartsQueryDescription;
    TFloatField* PartsQueryVendorNo;
    TFloatField* PartsQueryOnHand;
    TFloatField* PartsQueryOnOrder;
    TBooleanField* PartsQueryBackOrd;
    TCurrencyField* PartsQueryCost;
    TCurrencyField* PartsQueryListPrice;
    // Orders
    TFloatField* OrdersOrderNo;
    TFloatField* OrdersCustNo;
    TDateTimeField* OrdersSaleDate;
    TDateTimeField* OrdersShipDate;
    TStringField* OrdersShipToContact;
    TStringField* OrdersShipToAddr1;
    TStringField* OrdersShipToAddr2;
    TStringField* OrdersShipToCity;
    TStringField* OrdersShipToState;
    TStringField* OrdersShipToZip;
    TStringField* OrdersShipToCountry;
    TStringField* OrdersShipToPhone;
    TStringField* OrdersShipVIA;
    TStringField* OrdersPO;
    TIntegerField* OrdersEmpNo;
    TStringField* OrdersTerms;
    TStringField* OrdersPaymentMethod;
    TCurrencyField* OrdersItemsTotal;
    TFloatField* OrdersTaxRate;
    TCurrencyField* OrdersTaxTotal;
    TCurrencyField* OrdersFreight;
    TCurrencyField* OrdersAmountPaid;
    TCurrencyField* OrdersAmountDue;
    TStringField* OrdersSalesPerson;
    // CustByOrd
    TFloatField* CustByOrdCustNo;
    TStringField* CustByOrdCompany;
    TStringField* CustByOrdAddr1;
    TStringField* CustByOrdAddr2;
    TStringField* CustByOrdCity;
    TStringField* CustByOrdState;
    TStringField* CustByOrdZip;
    TStringField* CustByOrdCountry;
    TStringField* CustByOrdPhone;
    TStringField* CustByOrdFAX;
    TFloatField* CustByOrdTaxRate;
    TStringField* CustByOrdContact;
    TDateTimeField* CustByOrdLastInvoiceDate;
    // Items
    TFloatField* ItemsItemNo;
    TFloatField* ItemsOrderNo;
    TFloatField* ItemsPartNo;
    TStringField* ItemsDescription;
    TCurrencyField* ItemsSellPrice;
    TIntegerField* ItemsQty;
    TFloatField* ItemsDiscount;
    TCurrencyField* ItemsExtPrice;
    // NextOrd
    TFloatField* NextOrdNewKey;
    // Emps
    TIntegerField* EmpsEmpNo;
    TStringField* EmpsFullName;
    TStringField* EmpsLastName;
    TStringField* EmpsFirstName;
    TStringField* EmpsPhoneExt;
    TDateTimeField* EmpsHireDate;
    TFloatField* EmpsSalary;
    // Cust
    TFloatField* CustCustNo;
    TStringField* CustCompany;
    TStringField* CustPhone;
    TDateTimeField* CustLastInvoiceDate;
    TStringField* CustAddr1;
    TStringField* CustAddr2;
    TStringField* CustCity;
    TStringField* CustState;
    TStringField* CustZip;
    TStringField* CustCountry;
    TStringField* CustFAX;
    TFloatField* CustTaxRate;
    TStringField* CustContact;
    // CustQuery
    TFloatField* CustQueryCustNo;
    TStringField* CustQueryCompany;
    TStringField* CustQueryPhone;
    TDateTimeField* CustQueryLastInvoiceDate;
    // OrdByCust
    TFloatField* OrdByCustOrderNo;
    TFloatField* OrdByCustCustNo;
    TDateTimeField* OrdByCustSaleDate;
    TDateTimeField* OrdByCustShipDate;
    TCurrencyField* OrdByCustItemsTotal;
    TFloatField* OrdByCustTaxRate;
    TCurrencyField* OrdByCustFreight;
    TCurrencyField* OrdByCustAmountPaid;
    TCurrencyField* OrdByCustAmountDue;
    // CustByLastInvQuery
    TFloatField* CustByLastInvQueryCustNo;
    TStringField* CustByLastInvQueryCompany;
    TStringField* CustByLastInvQueryAddr1;
    TStringField* CustByLastInvQueryAddr2;
    TStringField* CustByLastInvQueryCity;
    TStringField* CustByLastInvQueryState;
    TStringField* CustByLastInvQueryZip;
    TStringField* CustByLastInvQueryCountry;
    TStringField* CustByLastInvQueryPhone;
    TStringField* CustByLastInvQueryFAX;
    TFloatField* CustByLastInvQueryTaxRate;
    TStringField* CustByLastInvQueryContact;
    TDateTimeField* CustByLastInvQueryLastInvoiceDate;
    // OrdersByDateQuery
    TFloatField* OrdersByDateQueryOrderNo;
    TFloatField* OrdersByDateQueryCustNo;
    TDateTimeField* OrdersByDateQuerySaleDate;
    TDateTimeField* OrdersByDateQueryShipDate;
    TIntegerField* OrdersByDateQueryEmpNo;
    TStringField* OrdersByDateQueryShipToContact;
    TStringField* OrdersByDateQueryShipToAddr1;
    TStringField* OrdersByDateQueryShipToAddr2;
    TStringField* OrdersByDateQueryShipToCity;
    TStringField* OrdersByDateQueryShipToState;
    TStringField* OrdersByDateQueryShipToZip;
    TStringField* OrdersByDateQueryShipToCountry;
    TStringField* OrdersByDateQueryShipToPhone;
    TStringField* OrdersByDateQueryShipVIA;
    TStringField* OrdersByDateQueryPO;
    TStringField* OrdersByDateQueryTerms;
    TStringField* OrdersByDateQueryPaymentMethod;
    TCurrencyField* OrdersByDateQueryItemsTotal;
    TFloatField* OrdersByDateQueryTaxRate;
    TCurrencyField* OrdersByDateQueryFreight;
    TCurrencyField* OrdersByDateQueryAmountPaid;
    TStringField* OrdersByDateQueryCompany;

    // Storage. DataFolder: two folders above the executable's, then "DATA", with a
    // trailing separator.
    QString DataFolder() const;
    void SwitchAlias(const QString& AliasName);
    void OpenLocalData();
    void OpenRemoteData();

    // Rules called by the screens.
    bool ResolvePendingEdits(TDataSet* Table, bool Commit);
    void RemoveOrderItems();
    void RecalcItemsTotal();
    bool AskConfirmation(const QString& Msg);
    void AdjustOnOrder(int Quantity, double PartNo);

    // Handlers, attached at creation.
    void OrdersNewRecord(TDataSet* DataSet);
    void OrdersBeforeInsert(TDataSet* DataSet);
    void OrdersBeforeEdit(TDataSet* DataSet);
    void OrdersBeforePost(TDataSet* DataSet);
    void OrdersAfterPost(TDataSet* DataSet);
    void OrdersBeforeCancel(TDataSet* DataSet);
    void OrdersAfterCancel(TDataSet* DataSet);
    void OrdersBeforeDelete(TDataSet* DataSet);
    void OrdersAfterDelete(TDataSet* DataSet);
    void OrdersBeforeOpen(TDataSet* DataSet);
    void OrdersBeforeClose(TDataSet* DataSet);
    void OrdersCalcFields(TDataSet* DataSet);
    void OrdersCustNoChange(TField* Sender);
    void OrdersSaleDateValidate(TField* Sender);
    void OrdersFreightValidate(TField* Sender);
    void ItemsNewRecord(TDataSet* DataSet);
    void EnsureOrdersEdit(TDataSet* DataSet);
    void ItemsBeforeEdit(TDataSet* DataSet);
    void ItemsBeforePost(TDataSet* DataSet);
    void ItemsAfterPost(TDataSet* DataSet);
    void ItemsAfterDelete(TDataSet* DataSet);
    void ItemsBeforeOpen(TDataSet* DataSet);
    void ItemsCalcFields(TDataSet* DataSet);
    void ItemsQtyValidate(TField* Sender);
    void ItemsPartNoValidate(TField* Sender);
    void PartsBeforeOpen(TDataSet* DataSet);
    void PartsCalcFields(TDataSet* DataSet);
    void PartsQueryCalcFields(TDataSet* DataSet);
    void EditUpdateError(TDataSet* DataSet, EDatabaseError& E, TUpdateKind UpdateKind, TUpdateAction& UpdateAction);
    void EmpsCalcFields(TDataSet* DataSet);
    void CustBeforeOpen(TDataSet* DataSet);
    void CustBeforePost(TDataSet* DataSet);
    void OrdByCustCalcFields(TDataSet* DataSet);

private:
    void CreateDataSets();
    void CreateFields();
    void AttachHandlers();
    void OpenAtStart();
    // Closes everything while the handlers' targets still exist.
    void Shutdown() noexcept;
    // Takes the next number of a one-row counter table held exclusively.
    double TakeNumber(TTable* Counter, TField* Value);

    double FOldPartNo = 0;
    int FOldQty = 0;
    bool FClearingItems = false;
    int FNextItemNo = 1;
};

// The program's one data module: null until CreateVornData, and again once it is freed.
extern TVornData* VornData;

// Creates VornData unless it exists; the program calls this first at start-up.
TVornData* CreateVornData(QObject* Owner = nullptr);
