// The business rules of the order-entry data: numbering, defaults, totals, on-order
// stock, last invoice dates, confirmations, validations and when the caches are
// written. What must stay true: a number taken from NEXTORD or NEXTCUST is written
// back before the counter table is let go, and is never handed out twice; every
// apply writes Orders, Items, Parts and Cust in one transaction or not at all.
#include "orderentry/DataMod.h"

#include "platform/core/convert.h"
#include "platform/core/datetime.h"
#include "platform/core/exceptions.h"
#include "platform/widgets/messages.h"

#include <cmath>

namespace {

bool InEdit(const TDataSet* ds)
{
    const TDataSetState s = ds->State();
    return s == dsEdit || s == dsInsert || s == dsSetKey;
}

QString ValueText(const QVariant& v)
{
    if (v.isNull())
        return QString();
    if (v.typeId() == QMetaType::Double)
        return QString::fromStdString(FloatToStr(v.toDouble()));
    return v.toString();
}

} // namespace

bool TVornData::AskConfirmation(const QString& Msg)
{
    return MessageDlg(Msg, mtConfirmation, mbYesNoCancel) == mrYes;
}

double TVornData::TakeNumber(TTable* Counter, TField* Value)
{
    Counter->Open();
    double number = 0;
    try {
        Counter->Edit();
        number = Value->AsFloat();
        Value->SetAsFloat(number + 1);
        Counter->Post();
    } catch (...) {
        try {
            Counter->Close();
        } catch (...) {
        }
        throw;
    }
    // Closing commits the new value; a failure here must stop the caller, or the
    // number could be handed out again.
    Counter->Close();
    return number;
}

// ---- orders ----

void TVornData::OrdersNewRecord(TDataSet*)
{
    OrdersOrderNo->SetAsFloat(TakeNumber(NextOrd, NextOrdNewKey));
    OrdersSaleDate->SetAsDateTime(Date());
    OrdersShipVIA->SetAsString("UPS");
    OrdersTerms->SetAsString("net 30");
    OrdersPaymentMethod->SetAsString("Check");
    OrdersItemsTotal->SetAsFloat(0);
    OrdersTaxRate->SetAsFloat(0);
    OrdersFreight->SetAsFloat(0);
    OrdersAmountPaid->SetAsFloat(0);
}

void TVornData::OrdersBeforeInsert(TDataSet*)
{
    if (InEdit(Orders)) {
        if (!AskConfirmation("An order is being processed.  Save changes and start a new one?"))
            Abort();
        Orders->Post();
    }
    FNextItemNo = 1;
}

void TVornData::OrdersBeforeEdit(TDataSet*)
{
    LastItemQuery->Close();
    LastItemQuery->Open();
    const TField* last = LastItemQuery->Fields(0);
    FNextItemNo = last->IsNull() ? 1 : int(last->AsFloat()) + 1;
}

void TVornData::OrdersBeforePost(TDataSet*)
{
    // A line still being entered belongs to this order: post it now so that its price
    // is in the total written with the order, and so that the apply after the post
    // does not meet a line that would change an order no longer in edit.
    if (Items->Active())
        Items->CheckBrowseMode();
}

void TVornData::OrdersAfterPost(TDataSet*)
{
    if (Cust->Locate("CustNo", OrdersCustNo->Value())
        && OrdersShipDate->AsDateTime() > CustLastInvoiceDate->AsDateTime()) {
        Cust->Edit();
        CustLastInvoiceDate->SetValue(OrdersShipDate->Value());
        Cust->Post();
    }
    Database->ApplyUpdates({Orders, Items, Parts, Cust});
}

void TVornData::OrdersBeforeCancel(TDataSet*)
{
    if (Orders->State() == dsInsert && !Items->IsEmpty()
        && !AskConfirmation("Cancel order being inserted and delete all line items?"))
        Abort();
}

void TVornData::OrdersAfterCancel(TDataSet*)
{
    // Lines go before the order: discarding Orders may cancel its pending edit, which
    // asks about lines only while some are left.
    Cust->CancelUpdates();
    Parts->CancelUpdates();
    Items->CancelUpdates();
    Orders->CancelUpdates();
}

void TVornData::OrdersBeforeDelete(TDataSet*)
{
    if (!AskConfirmation("Delete order and line items?"))
        Abort();
    RemoveOrderItems();
}

void TVornData::OrdersAfterDelete(TDataSet*)
{
    Database->ApplyUpdates({Cust, Parts, Items, Orders});
}

void TVornData::RemoveOrderItems()
{
    FClearingItems = true;
    Items->DisableControls();
    try {
        Items->First();
        while (!Items->IsEmpty())
            Items->Delete();
    } catch (...) {
        FClearingItems = false;
        Items->EnableControls();
        throw;
    }
    FClearingItems = false;
    Items->EnableControls();
}

void TVornData::OrdersCalcFields(TDataSet*)
{
    const long double taxTotal = (static_cast<long double>(OrdersTaxRate->AsFloat()) / 100) * OrdersItemsTotal->AsFloat();
    OrdersTaxTotal->SetAsFloat(double(taxTotal));
    // The stored (double) tax total, as shown, is what the amount due adds up.
    const long double due = (static_cast<long double>(OrdersTaxTotal->AsFloat()) + OrdersItemsTotal->AsFloat()
                             + OrdersFreight->AsFloat())
        - OrdersAmountPaid->AsFloat();
    OrdersAmountDue->SetAsFloat(double(due));
}

void TVornData::OrdersCustNoChange(TField*)
{
    for (TField* f : {OrdersShipToContact, OrdersShipToPhone, OrdersShipToAddr1, OrdersShipToAddr2, OrdersShipToCity,
                      OrdersShipToState, OrdersShipToZip, OrdersShipToCountry})
        f->SetAsString(QString());
    const QVariant rate = Cust->Lookup("CustNo", OrdersCustNo->Value(), "TaxRate");
    if (!rate.isNull())
        OrdersTaxRate->SetValue(rate);
}

void TVornData::OrdersSaleDateValidate(TField*)
{
    // Today is never a future date, whatever time of day the value carries.
    if (std::floor(OrdersSaleDate->AsDateTime()) > Date())
        throw Exception("Cannot enter a future date");
}

void TVornData::OrdersFreightValidate(TField*)
{
    if (OrdersFreight->AsFloat() < 0)
        throw Exception("Freight cannot be less than zero");
}

// ---- line items ----

void TVornData::ItemsNewRecord(TDataSet*)
{
    FOldPartNo = 0;
    FOldQty = 0;
    ItemsOrderNo->SetValue(OrdersOrderNo->Value());
    ItemsQty->SetAsInteger(1);
    ItemsDiscount->SetAsFloat(0);
}

void TVornData::EnsureOrdersEdit(TDataSet*)
{
    Orders->Edit();
}

void TVornData::ItemsBeforeEdit(TDataSet*)
{
    Orders->Edit();
    FOldPartNo = ItemsPartNo->AsFloat();
    FOldQty = ItemsQty->AsInteger();
}

void TVornData::ItemsBeforePost(TDataSet*)
{
    ItemsItemNo->SetAsFloat(FNextItemNo);
}

void TVornData::ItemsAfterPost(TDataSet*)
{
    const double partNo = ItemsPartNo->AsFloat();
    const int qty = ItemsQty->AsInteger();
    ++FNextItemNo;
    RecalcItemsTotal();
    if (partNo == FOldPartNo && qty == FOldQty)
        return;
    AdjustOnOrder(-FOldQty, FOldPartNo);
    AdjustOnOrder(qty, partNo);
}

void TVornData::ItemsAfterDelete(TDataSet*)
{
    RecalcItemsTotal();
}

void TVornData::AdjustOnOrder(int Quantity, double PartNo)
{
    if (!(PartNo > 0) || Quantity == 0)
        return;
    try {
        if (!Parts->Locate("PartNo", PartNo))
            throw EDatabaseError("Part not found");
        Parts->Edit();
        PartsOnOrder->SetAsFloat(PartsOnOrder->AsFloat() + Quantity);
        Parts->Post();
    } catch (const std::exception&) {
        // A half-made change must not be posted later by whoever edits Parts next.
        if (Parts->State() == dsEdit || Parts->State() == dsInsert) {
            try {
                Parts->Cancel();
            } catch (...) {
            }
        }
        ShowMessage(QString("Error updating parts table for PartNo: %1").arg(qlonglong(PartNo)));
    }
}

void TVornData::RecalcItemsTotal()
{
    if (FClearingItems)
        return;
    TBookmark mark = Items->GetBookmark();
    Items->DisableControls();
    auto restore = [&] {
        Items->EnableControls();
        if (mark.IsValid() && Items->BookmarkValid(mark))
            Items->GotoBookmark(mark);
    };
    try {
        long double sum = 0;
        Items->First();
        while (!Items->Eof()) {
            sum += ItemsExtPrice->AsFloat();
            Items->Next();
        }
        OrdersItemsTotal->SetAsFloat(double(sum));
    } catch (...) {
        try {
            restore();
        } catch (...) {
        }
        throw;
    }
    restore();
}

void TVornData::ItemsCalcFields(TDataSet*)
{
    const long double a = static_cast<long double>(ItemsQty->AsInteger()) * ItemsSellPrice->AsFloat();
    const long double b = 100 - static_cast<long double>(ItemsDiscount->AsFloat());
    ItemsExtPrice->SetAsFloat(double((a * b) / 100));
}

void TVornData::ItemsQtyValidate(TField*)
{
    if (ItemsQty->AsInteger() < 1)
        throw Exception("Must specify quantity");
}

void TVornData::ItemsPartNoValidate(TField*)
{
    if (!Parts->Locate("PartNo", ItemsPartNo->AsFloat()))
        throw Exception("You must specify a valid PartNo");
}

// ---- parts, employees, customers ----

void TVornData::PartsCalcFields(TDataSet*)
{
    PartsBackOrd->SetAsBoolean(PartsOnHand->AsFloat() < PartsOnOrder->AsFloat());
}

void TVornData::PartsQueryCalcFields(TDataSet*)
{
    PartsQueryBackOrd->SetAsBoolean(PartsQueryOnHand->AsFloat() < PartsQueryOnOrder->AsFloat());
}

void TVornData::EmpsCalcFields(TDataSet*)
{
    EmpsFullName->SetAsString(EmpsLastName->AsString() + ", " + EmpsFirstName->AsString());
}

void TVornData::OrdByCustCalcFields(TDataSet*)
{
    const long double due = ((static_cast<long double>(OrdByCustTaxRate->AsFloat()) * OrdByCustItemsTotal->AsFloat()) / 100
                             + OrdByCustItemsTotal->AsFloat() + OrdByCustFreight->AsFloat())
        - OrdByCustAmountPaid->AsFloat();
    OrdByCustAmountDue->SetAsFloat(double(due));
}

void TVornData::CustBeforePost(TDataSet*)
{
    if (Cust->State() != dsInsert)
        return;
    // The data layer checks required fields only after this handler; a customer that
    // cannot be posted must not use up a number.
    for (int i = 0; i < Cust->FieldCount(); ++i) {
        TField* f = Cust->Fields(i);
        if (f->FieldKind() == fkData && f->Required && f->IsNull())
            throw EDatabaseError(QString("Field '%1' must have a value").arg(f->DisplayName()).toStdString());
    }
    CustCustNo->SetAsFloat(TakeNumber(NextCust, NextCustNewCust));
}

void TVornData::EditUpdateError(TDataSet* DataSet, EDatabaseError& E, TUpdateKind UpdateKind,
                                TUpdateAction& UpdateAction)
{
    TField* key = DataSet->Fields(0);
    const QVariant value = UpdateKind == ukDelete ? key->OldValue() : key->NewValue();
    const QString msg = QString("%1.\r\nDiscard the edits to %2 %3 and continue updating?")
                            .arg(QString::fromStdString(E.Message), key->DisplayName(), ValueText(value));
    UpdateAction = MessageDlg(msg, mtConfirmation, {mbYes, mbCancel}) == mrYes ? uaSkip : uaAbort;
}

// ---- closing a form ----

bool TVornData::ResolvePendingEdits(TDataSet* Table, bool Commit)
{
    // An order's lines, their on-order changes and the stamped invoice date are cached
    // beside it: written or dropped without them, an order would be stored without its
    // lines, or the lines of a dropped order written later with another one.
    const bool order = Table == Orders;
    if (!InEdit(Table) && !Table->UpdatesPending()
        && !(order && (Items->UpdatesPending() || Parts->UpdatesPending() || Cust->UpdatesPending())))
        return true;
    if (Commit) {
        if (order) {
            Orders->CheckBrowseMode();
            Database->ApplyUpdates({Orders, Items, Parts, Cust});
        } else {
            Table->ApplyUpdates();
        }
        Table->CancelUpdates();
        return true;
    }
    if (MessageDlg("Unsaved changes, exit anyway?", mtConfirmation, {mbYes, mbCancel}) == mrYes) {
        if (order)
            OrdersAfterCancel(Orders);
        else
            Table->CancelUpdates();
        return true;
    }
    return false;
}
