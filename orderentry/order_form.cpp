// The order entry form: its controls bound to VornData, the two entry operations,
// the state it shows, and the calendar, part search and printing. The language file's
// loading and writing are in order_form_lang.cpp.
#include "orderentry/order_form.h"

#include "orderentry/DataMod.h"
#include "orderentry/date_form.h"
#include "orderentry/search_dlg.h"

#include "platform/core/exceptions.h"
#include "platform/data/datasource.h"

#include <QPointer>

TEdOrderForm* EdOrderForm = nullptr;

const std::array<QString, 13> TEdOrderForm::StateNames = {
    "Not active", "Browsing", "Editing", "Inserting", "", "", "", "", "", "", "", "", ""};

namespace {

bool InEdit(TDataSetState State)
{
    return State == dsEdit || State == dsInsert || State == dsSetKey;
}

} // namespace

TEdOrderForm::TEdOrderForm(QWidget* Parent)
    : TLnForm(Parent)
{
    if (!VornData)
        throw Exception("The data module must exist before the order entry form");
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setupUi(this);
    setFixedSize(478, 415);
    // Black text whatever the desktop's colours; disabled controls keep their grey.
    QPalette black = palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive})
        for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text})
            black.setColor(group, role, Qt::black);
    setPalette(black);
    SetHelpContext(3);

    ActiveSource = new TDataSource(this);
    ActiveSource->setObjectName("ActiveSource");
    ActiveSource->SetDataSet(VornData->Orders);
    // Attached once the source points at Orders: the label reads "[Mode]" until the
    // order's state first changes.
    ActiveSource->OnStateChange = [this](TDataSource* Sender) { ActiveSourceStateChange(Sender); };

    BindControls();
    SetUpColumns();

    SaleDateEdit->OnDblClick = [this](TObject* Sender) { PickDate(Sender); };
    SaleDateEdit->OnKeyPress = [this](TObject* Sender, QChar& Key) { SaleDateEditKeyPress(Sender, Key); };
    PopupCalBtn->OnClick = [this](TObject* Sender) { PickDate(Sender); };
    SoldByCombo->OnKeyPress = [this](TObject* Sender, QChar& Key) { SoldByComboKeyPress(Sender, Key); };
    ItemsGrid->OnDblClick = [this](TObject* Sender) { PickPartNo(Sender); };
    ItemsGrid->OnEditButtonClick = [this](TObject* Sender) { PickPartNo(Sender); };
    ItemsGrid->OnEnter = [this](TObject* Sender) { ItemsGridEnter(Sender); };
    ItemsGrid->OnExit = [this](TObject* Sender) { ItemsGridExit(Sender); };
    PostBtn->OnClick = [this](TObject* Sender) { PostBtnClick(Sender); };
    CancelBtn->OnClick = [this](TObject* Sender) { CancelBtnClick(Sender); };
    PrintBtn->OnClick = [this](TObject* Sender) { PrintBtnClick(Sender); };
    SetButtonModalResult(CloseBtn, mrOk);
    SetCancelButton(CloseBtn);
    OnCloseQuery = [this](TObject* Sender, bool& CanClose) { FormCloseQuery(Sender, CanClose); };
    OnShow = [this](TObject*) {
        CenterOnScreen();
        FitColumns();
        CompanyCombo->setFocus();
    };

    FormCreate(this);
    ApplyLanguage();
}

TEdOrderForm::~TEdOrderForm()
{
    StopFollowingOrders();
    if (EdOrderForm == this)
        EdOrderForm = nullptr;
}

void TEdOrderForm::BindControls()
{
    TDataSource* orders = VornData->OrdersSource;
    DBEditBtns->SetDataSource(ActiveSource);
    DBNavBtns->SetDataSource(ActiveSource);
    DBText1->SetDataSource(orders);
    for (TDBEdit* edit : {SaleDateEdit, CustNoEdit, ShipToCompanyEdit, ShipToAdd1Edit, ShipToAdd2Edit, ShipToCityEdit,
                          ShipToStateEdit, ShipToZipEdit, POEdit, TotalEdit, TaxRateEdit, TaxTotalEdit, FreightEdit,
                          AmountPaidEdit, AmountDueEdit})
        edit->SetDataSource(orders);
    for (TDBEdit* edit : {CustAdd1Edit, CustAdd2Edit, CustCityEdit, CustStateEdit, CustZipEdit})
        edit->SetDataSource(VornData->CustByOrdSrc);
    CustNoEdit->SetColor(palette().color(QPalette::Button));
    CompanyCombo->SetDataSource(orders);
    CompanyCombo->SetListSource(VornData->CustByCompSrc);
    SoldByCombo->SetDataSource(orders);
    SoldByCombo->SetListSource(VornData->EmpsSource);
    for (TDBComboBox* combo : {TermsCombo, PaymentCombo, ShipViaCombo})
        combo->SetDataSource(orders);
    ItemsGrid->SetDataSource(VornData->ItemsSource);
}

void TEdOrderForm::SetUpColumns()
{
    // A grid's columns are a collection, which a form definition cannot hold.
    TDBGridColumns* columns = ItemsGrid->Columns();
    TColumn* partNo = columns->Add();
    partNo->SetFieldName("PartNo");
    partNo->SetAlignment(taLeftJustify);
    partNo->Font()->SetStyle(TFont::fsBold);
    partNo->SetWidth(63);
    partNo->SetButtonStyle(TColumn::cbsEllipsis);
    TColumn* description = columns->Add();
    description->SetFieldName("Description");
    description->SetWidth(161);
    description->SetButtonStyle(TColumn::cbsNone);
    TColumn* sellPrice = columns->Add();
    sellPrice->SetFieldName("SellPrice");
    sellPrice->SetReadOnly(true);
    columns->Add()->SetFieldName("Qty");
    TColumn* discount = columns->Add();
    discount->SetFieldName("Discount");
    discount->Font()->SetColor(Qt::red);
    TColumn* extPrice = columns->Add();
    extPrice->SetFieldName("ExtPrice");
    extPrice->Font()->SetColor(Qt::white);
    extPrice->SetColor(QColor(0, 128, 128));
}

void TEdOrderForm::FitColumns()
{
    // The columns after Description take their widths from their fields; in a screen
    // font wider than the one the form was drawn in they would push the extended
    // price out of sight, so they share what PartNo and Description leave.
    TDBGridColumns* columns = ItemsGrid->Columns();
    const int last = columns->Count() - 1;
    const int overflow = ItemsGrid->CellRect(0, last).right() + 1 - ItemsGrid->viewport()->width();
    if (overflow <= 0)
        return;
    int shared = 0;
    for (int i = 2; i <= last; ++i)
        shared += columns->Items(i)->Width();
    for (int i = 2; i <= last; ++i) {
        TColumn* column = columns->Items(i);
        column->SetWidth(column->Width() * (shared - overflow) / shared);
    }
}

// ---- entering and editing an order ----

void TEdOrderForm::RunEntry(const std::function<void()>& Prepare)
{
    TDataSource* orders = VornData->OrdersSource;
    FPreviousOrdersStateChange = orders->OnStateChange;
    orders->OnStateChange = [this](TDataSource* Sender) { OrdersSourceStateChange(Sender); };
    FFollowingOrders = true;
    QPointer<TEdOrderForm> self(this);
    try {
        // A close with the grid focused left the lines active; the order comes first.
        if (ActiveSource->DataSet() != VornData->Orders)
            PointActiveSource(VornData->Orders);
        Prepare();
        // Orders may have been open and in browse already: no state change told the buttons.
        OrdersSourceStateChange(orders);
        ShowModal();
    } catch (...) {
        if (self)
            StopFollowingOrders();
        throw;
    }
    if (self)
        StopFollowingOrders();
}

void TEdOrderForm::StopFollowingOrders()
{
    if (!FFollowingOrders || !VornData)
        return;
    VornData->OrdersSource->OnStateChange = FPreviousOrdersStateChange;
    FPreviousOrdersStateChange = nullptr;
    FFollowingOrders = false;
}

void TEdOrderForm::EnterNewOrder()
{
    RunEntry([] {
        VornData->Orders->Open();
        VornData->Orders->Insert();
    });
}

void TEdOrderForm::EditOrder(double OrderNo)
{
    RunEntry([OrderNo] {
        VornData->Orders->Open();
        VornData->Orders->Locate("OrderNo", OrderNo);
    });
}

// ---- state ----

void TEdOrderForm::OrdersSourceStateChange(TDataSource*)
{
    const TDataSetState state = VornData->Orders->State();
    PostBtn->setEnabled(InEdit(state));
    CancelBtn->setEnabled(InEdit(state));
    CloseBtn->setEnabled(state == dsBrowse);
}

void TEdOrderForm::ActiveSourceStateChange(TDataSource*)
{
    const TDataSetState state = ActiveSource->State();
    if (TDataSet* dataSet = ActiveSource->DataSet())
        ModeIndicator->SetCaption(QString("[%1: %2]").arg(dataSet->objectName(), StateNames[state]));
    const bool editing = state == dsEdit || state == dsInsert;
    SetHelpContext(editing ? 2 : 3);
    ModeIndicator->Font()->SetColor(editing ? Qt::red : Qt::blue);
}

void TEdOrderForm::PointActiveSource(TDataSet* DataSet)
{
    ActiveSource->SetDataSet(nullptr);
    ActiveSource->SetDataSet(DataSet);
}

void TEdOrderForm::ItemsGridEnter(TObject*)
{
    PointActiveSource(VornData->Items);
}

void TEdOrderForm::ItemsGridExit(TObject*)
{
    PointActiveSource(VornData->Orders);
}

// ---- picking ----

void TEdOrderForm::PickDate(TObject*)
{
    BrDateForm->SetDate(VornData->OrdersSaleDate->AsDateTime());
    if (BrDateForm->ShowModal() != mrOk)
        return;
    VornData->Orders->Edit();
    VornData->OrdersSaleDate->SetAsDateTime(BrDateForm->Date());
    SaleDateEdit->selectAll();
}

void TEdOrderForm::SaleDateEditKeyPress(TObject* Sender, QChar& Key)
{
    // Ctrl+Enter types a line feed.
    if (Key != QChar(10))
        return;
    Key = QChar();
    PickDate(Sender);
}

void TEdOrderForm::PickPartNo(TObject*)
{
    if (ItemsGrid->SelectedField() != VornData->ItemsPartNo)
        return;
    const double partNo = VornData->ItemsPartNo->AsFloat();
    if (partNo != 0)
        SearchDlg->SetPartNo(partNo);
    if (SearchDlg->ShowParts() != mrOk)
        return;
    VornData->Items->Edit();
    VornData->ItemsPartNo->SetAsFloat(SearchDlg->PartNo());
}

void TEdOrderForm::SoldByComboKeyPress(TObject*, QChar& Key)
{
    // The sales person is chosen from the list only.
    if (Key != QChar(13) && Key != QChar(27))
        Key = QChar();
}

// ---- the buttons ----

void TEdOrderForm::PostBtnClick(TObject*)
{
    VornData->Orders->Post();
}

void TEdOrderForm::CancelBtnClick(TObject*)
{
    VornData->OrdersAfterCancel(VornData->Orders);
}

void TEdOrderForm::PrintBtnClick(TObject*)
{
    if (VornData->AskConfirmation("Print image of this form window?"))
        Print();
}
