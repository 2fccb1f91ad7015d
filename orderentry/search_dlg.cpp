#include "orderentry/search_dlg.h"

#include "orderentry/DataMod.h"
#include "orderentry/beep.h"

#include "platform/core/exceptions.h"
#include "platform/data/datasource.h"
#include "platform/datacontrols/fielddatalink.h"

#include <QPainter>
#include <QPixmap>

TSearchDlg* SearchDlg = nullptr;

namespace {

// A magnifying glass, drawn rather than shipped as a picture.
QIcon SearchGlyph()
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 1.5));
    painter.setBrush(QColor(200, 230, 255));
    painter.drawEllipse(QRectF(1.5, 1.5, 9, 9));
    painter.setPen(QPen(Qt::black, 3, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(10, 10), QPointF(14, 14));
    return QIcon(pixmap);
}

} // namespace

TSearchDlg::TSearchDlg(QWidget* Parent)
    : TForm(Parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                        | Qt::WindowCloseButtonHint)
{
    if (!VornData)
        throw Exception("The data module must exist before the part search");
    setupUi(this);
    setFixedSize(size());

    DataSource = new TDataSource(this);
    DataSource->setObjectName("DataSource");
    DBGrid1->SetDataSource(DataSource);
    // The part found stays marked while the focus is in the search text.
    DBGrid1->SetOptions(dgTitles | dgIndicator | dgColLines | dgRowLines | dgRowSelect | dgAlwaysShowSelection);
    for (const char* name : {"PartNo", "Description", "VendorNo", "OnHand", "OnOrder", "BackOrd", "Cost", "ListPrice"})
        DBGrid1->Columns()->Add()->SetFieldName(name);
    DBGrid1->Columns()->Items(1)->SetWidth(181);
    SearchButton->SetGlyph(SearchGlyph());
    SearchButton->setEnabled(false);

    OrderCombo->OnChange = [this](TObject* Sender) { OrderComboChange(Sender); };
    SearchEd->OnChange = [this](TObject* Sender) { SearchEdChange(Sender); };
    SearchEd->OnKeyPress = [this](TObject* Sender, QChar& Key) { SearchEdKeyPress(Sender, Key); };
    SearchButton->OnClick = [this](TObject* Sender) { SearchButtonClick(Sender); };
    DBGrid1->OnDblClick = [this](TObject* Sender) { DBGrid1DblClick(Sender); };
    SetButtonModalResult(OKBtn, mrOk);
    SetButtonModalResult(CancelBtn, mrCancel);
    SetCancelButton(CancelBtn);
    OnShow = [this](TObject*) {
        CenterOnScreen();
        DBGrid1->setFocus();
    };
}

TSearchDlg::~TSearchDlg()
{
    if (SearchDlg == this)
        SearchDlg = nullptr;
}

double TSearchDlg::PartNo() const
{
    return VornData->PartsPartNo->AsFloat();
}

void TSearchDlg::SetPartNo(double Value)
{
    VornData->Parts->Open();
    VornData->Parts->Locate("PartNo", Value);
}

TModalResult TSearchDlg::ShowParts()
{
    OrderCombo->SetItems({"Description", "PartNo"});
    OrderCombo->SetItemIndex(0);
    VornData->Parts->Open();
    DataSource->SetDataSet(VornData->Parts);
    OrderComboChange(this);
    SetCaption("Select a Part");
    return ShowModal();
}

void TSearchDlg::OrderComboChange(TObject*)
{
    TDataSet* searched = DataSource->DataSet();
    FSearchField = searched ? searched->FindField(OrderCombo->currentText()) : nullptr;
    SearchEd->clear();
}

void TSearchDlg::SearchEdChange(TObject*)
{
    SearchButton->setEnabled(!SearchEd->text().isEmpty());
}

void TSearchDlg::SearchEdKeyPress(TObject* Sender, QChar& Key)
{
    // Enter searches, as the clerk who typed the text means; it would otherwise press
    // OK and pick whatever part happens to be selected.
    if (Key == QChar(13) && SearchButton->isEnabled()) {
        Key = QChar();
        SearchButtonClick(Sender);
        return;
    }
    if (!FSearchField || Key <= QChar(' '))
        return;
    if (!IsValidFieldChar(FSearchField, Key)) {
        Beep();
        Key = QChar();
    }
}

void TSearchDlg::SearchButtonClick(TObject*)
{
    TDataSet* searched = DataSource->DataSet();
    if (!searched)
        return;
    if (!searched->Locate(OrderCombo->currentText(), SearchEd->text(), loCaseInsensitive | loPartialKey))
        MessageDlg("No matching record found.", mtInformation, {mbOK});
}

void TSearchDlg::DBGrid1DblClick(TObject*)
{
    SetModalResult(mrOk);
}
