// The main window: its buttons and menus, the storage switch, stay on top, and the
// registration of the start-up database with the report writer's connection file.
// A storage switch never runs while another window still holds the data: every other
// window closes first, or nothing happens.
#include "orderentry/Main.h"

#include "orderentry/About.h"
#include "orderentry/DataMod.h"
#include "orderentry/Startup.h"
#include "orderentry/custord_form.h"
#include "orderentry/customer_report.h"
#include "orderentry/invoice_report.h"
#include "orderentry/order_form.h"
#include "orderentry/orders_report.h"
#include "orderentry/pickorderno_dlg.h"
#include "orderentry/pickrpt_dlg.h"
#include "orderentry/querycust_dlg.h"
#include "orderentry/parts_form.h"

#include "platform/data/alias.h"
#include "platform/widgets/application.h"
#include "platform/core/datetime.h"
#include "platform/core/exceptions.h"
#include "platform/data/fbclient.h"
#include "platform/core/formatsettings.h"
#include "platform/widgets/printers.h"
#include "platform/core/profile.h"
#include "xmllib/strs.h"

#include <QActionGroup>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QMenu>
#include <QPointer>
#include <QScreen>
#include <QStandardPaths>
#include <QToolButton>

#include <cerrno>

TMainForm* MainForm = nullptr;

namespace {

const QString LocalConnection = QStringLiteral("VORNAPP");
const QString RemoteConnection = QStringLiteral("DEZAZAV");

// Blanks and tabs only: bytes such as 0xA0 are parts of 8-bit characters here.
std::string Trim(const std::string& Text)
{
    size_t first = 0, last = Text.size();
    while (first < last && (Text[first] == ' ' || Text[first] == '\t'))
        ++first;
    while (last > first && (Text[last - 1] == ' ' || Text[last - 1] == '\t'))
        --last;
    return Text.substr(first, last - first);
}

// The list holds Name as one of its comma-separated entries; a longer name that merely
// contains it ("VORNAPP2") is a different connection.
bool ListsConnection(const std::string& List, const std::string& Name)
{
    size_t from = 0;
    for (;;) {
        const size_t comma = List.find(',', from);
        if (Trim(List.substr(from, comma == std::string::npos ? std::string::npos : comma - from)) == Name)
            return true;
        if (comma == std::string::npos)
            return false;
        from = comma + 1;
    }
}

} // namespace

TMainForm::TMainForm(QWidget* Parent)
    : TForm(Parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                        Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint)
{
    setupUi(this);
    SetHelpContext(1);
    QPalette black = palette();
    black.setColor(QPalette::WindowText, Qt::black);
    black.setColor(QPalette::ButtonText, Qt::black);
    setPalette(black);

    PrinterSetup = new TPrinterSetupDialog(this);
    PrinterSetup->setObjectName(QStringLiteral("PrinterSetup"));

    FStorageGroup = new QActionGroup(this);
    FStorageGroup->addAction(ViewLocal);
    FStorageGroup->addAction(ViewRemote);
    FStorageItem = ViewLocal;

    Wire(OrderBtn, &TMainForm::NewOrder);
    Wire(BrowseBtn, &TMainForm::BrowseCustOrd);
    Wire(PartsBtn, &TMainForm::BrowseParts);
    Wire(ReportBtn, &TMainForm::ReportBtnClick);
    Wire(HelpBtn, &TMainForm::HelpBtnClick);
    Wire(CloseBtn, &TMainForm::CloseApp);

    Wire(FileNewOrder, &TMainForm::NewOrder);
    Wire(PrintCustList, &TMainForm::CustomerReport);
    Wire(PrintOrders, &TMainForm::OrderReport);
    // The menu item shares its name with the operation PrintInvoice, which hides it.
    Wire(Ui::TMainForm::PrintInvoice, &TMainForm::InvoiceReport);
    Wire(FilePrinterSetup, &TMainForm::PrinterSetupClick);
    Wire(FileExit, &TMainForm::CloseApp);
    Wire(ViewOrders, &TMainForm::BrowseCustOrd);
    Wire(ViewPartsInventory, &TMainForm::BrowseParts);
    Wire(ViewStayOnTop, &TMainForm::ToggleStayonTop);
    Wire(ViewLocal, &TMainForm::ViewLocalClick);
    Wire(ViewRemote, &TMainForm::ViewRemoteClick);
    Wire(HelpContents, &TMainForm::HelpBtnClick);
    Wire(HelpAbout, &TMainForm::AboutClick);
    connect(ViewMenu, &QMenu::aboutToShow, this, [this] { Application->Guard([this] { ViewMenuClick(this); }); });

    FormCreate(this);
}

TMainForm::~TMainForm()
{
    FormDestroy(this);
    if (MainForm == this)
        MainForm = nullptr;
}

void TMainForm::Wire(QAction* Item, void (TMainForm::*Handler)(TObject*))
{
    connect(Item, &QAction::triggered, this, [this, Item, Handler] {
        // A checkable item has changed its own tick already; the handlers decide the
        // tick, so they start from the one the user saw.
        if (Item == ViewStayOnTop)
            ViewStayOnTop->setChecked(!ViewStayOnTop->isChecked());
        else if (Item->isCheckable())
            FStorageItem->setChecked(true);
        Application->Guard([this, Handler] { (this->*Handler)(this); });
    });
}

void TMainForm::Wire(QAbstractButton* Button, void (TMainForm::*Handler)(TObject*))
{
    connect(Button, &QAbstractButton::clicked, this,
            [this, Handler] { Application->Guard([this, Handler] { (this->*Handler)(this); }); });
}

QAbstractButton* TMainForm::AcceleratedButton(const QKeyEvent* Event) const
{
    if (Event->modifiers() != Qt::AltModifier)
        return nullptr;
    const QKeySequence key(Event->key() | Qt::AltModifier);
    for (QToolButton* button : MainPanel->findChildren<QToolButton*>())
        if (button->isVisible() && button->isEnabled() && QKeySequence::mnemonic(button->text()) == key)
            return button;
    return nullptr;
}

bool TMainForm::event(QEvent* Event)
{
    // Claiming the key keeps it from the shortcut map, where it would be ambiguous.
    if (Event->type() == QEvent::ShortcutOverride && AcceleratedButton(static_cast<QKeyEvent*>(Event))) {
        Event->accept();
        return true;
    }
    return TForm::event(Event);
}

void TMainForm::keyPressEvent(QKeyEvent* Event)
{
    if (QAbstractButton* button = AcceleratedButton(Event)) {
        button->click();
        Event->accept();
        return;
    }
    TForm::keyPressEvent(Event);
}

void TMainForm::FormCreate(TObject*)
{
    const int clientWidth = CloseBtn->x() + CloseBtn->width() + 1;
    const int clientHeight = CloseBtn->y() + CloseBtn->height();
    // The menu bar lies inside the window here, so it comes on top of the button bar.
    int menuHeight = MainMenu->heightForWidth(clientWidth);
    if (menuHeight <= 0)
        menuHeight = MainMenu->sizeHint().height();
    MainMenu->setGeometry(0, 0, clientWidth, menuHeight);
    MainPanel->setGeometry(0, menuHeight, clientWidth, clientHeight);
    setFixedSize(clientWidth, menuHeight + clientHeight);

    QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    move(screen ? screen->geometry().topLeft() : QPoint(0, 0));

    // The connection file only serves the external report writer: a file that cannot
    // be written (a read-only settings folder) is reported and the program goes on.
    try {
        UpdateReportConnection();
    } catch (const EInOutError&) {
        ReportAndGoOn(std::current_exception());
    }
}

void TMainForm::FormDestroy(TObject*)
{
    Application->HelpClose();
}

void TMainForm::NewOrder(TObject*)
{
    EdOrderForm->EnterNewOrder();
}

void TMainForm::BrowseCustOrd(TObject*)
{
    static const char* const Formats[] = {"mm/dd/yy", "dd/mm/yy", "yy/mm/dd"};
    FormatSettings.ShortDateFormat = Formats[DateOrder(QString::fromStdString(FormatSettings.ShortDateFormat))];
    BrCustOrdForm->Show();
}

void TMainForm::BrowseParts(TObject*)
{
    BrPartsForm->Show();
}

void TMainForm::ReportBtnClick(TObject*)
{
    if (PickRpt->ShowModal() != mrOk)
        return;
    switch (PickRpt->ReportType->ItemIndex()) {
    case 0: PrintCustomerList(PickRpt->FPreview); break;
    case 1: PrintOrderHistory(PickRpt->FPreview); break;
    case 2: PrintInvoice(PickRpt->FPreview); break;
    default: break;
    }
}

void TMainForm::CustomerReport(TObject*)
{
    PrintCustomerList(false);
}

void TMainForm::OrderReport(TObject*)
{
    PrintOrderHistory(false);
}

void TMainForm::InvoiceReport(TObject*)
{
    PrintInvoice(false);
}

void TMainForm::PrintCustomerList(bool Preview)
{
    CustomerByInvoiceReport->Produce(Preview ? roPreview : roPrint);
}

void TMainForm::PrintOrderHistory(bool Preview)
{
    TQueryCustDlg* dialog = QueryCustDlg;
    dialog->Msglab->SetCaption(QStringLiteral("Print all orders ranging:"));
    // A box left holding text that is no date stays as it is: the dialog shows it and
    // refuses it on OK.
    try {
        if (dialog->FromDate() == 0)
            dialog->SetFromDate(EncodeDate(1995, 1, 1));
    } catch (const EConvertError&) {
    }
    try {
        if (dialog->ToDate() == 0)
            dialog->SetToDate(Now());
    } catch (const EConvertError&) {
    }
    if (dialog->ShowModal() != mrOk)
        return;
    // The dialog accepts an emptied To box; a history up to day 0 would be empty, so
    // it runs to today, as the box offered.
    const TDateTime to = dialog->ToDate() == 0 ? Date() : dialog->ToDate();
    OrdersByDateReport->Produce(dialog->FromDate(), to, Preview ? roPreview : roPrint);
}

void TMainForm::PrintInvoice(bool Preview)
{
    // The picker opens the orders, and the number chosen is the current order.
    if (PickOrderNoDlg->ShowModal() != mrOk)
        return;
    InvoiceByOrderNoReport->Produce(Preview ? roPreview : roPrint);
}

void TMainForm::PrinterSetupClick(TObject*)
{
    PrinterSetup->Execute();
}

void TMainForm::HelpBtnClick(TObject*)
{
    Application->HelpContents();
}

void TMainForm::AboutClick(TObject*)
{
    AboutBox->ShowModal();
}

void TMainForm::CloseApp(TObject*)
{
    Close();
}

void TMainForm::ToggleStayonTop(TObject*)
{
    ViewStayOnTop->setChecked(!ViewStayOnTop->isChecked());
    SetFormStyle(ViewStayOnTop->isChecked() ? fsStayOnTop : fsNormal);
}

void TMainForm::ViewMenuClick(TObject*)
{
    // The remote storage is the server the alias names, or the local server the data
    // module would name when it adds the alias itself.
    QString host = QStringLiteral("localhost");
    int port = 3050;
    if (Session.IsAlias(RemoteConnection)) {
        QString path;
        SplitServerName(ParamValue(Session.GetAliasParams(RemoteConnection), QStringLiteral("SERVER NAME")), host,
                        port, path);
    }
    ViewRemote->setEnabled(ServerAnswers(host, port));
}

void TMainForm::SwitchStorage(QAction* Item, const QString& Suffix, const std::function<void()>& Open)
{
    CloseOtherForms();
    Open();
    Item->setChecked(true);
    FStorageItem = Item;
    setWindowTitle(Application->Title + Suffix);
}

void TMainForm::ViewLocalClick(TObject*)
{
    SwitchStorage(ViewLocal, QStringLiteral(" (Paradox Data)"), [] { VornData->OpenLocalData(); });
}

void TMainForm::ViewRemoteClick(TObject*)
{
    SwitchStorage(ViewRemote, QStringLiteral(" (Local Interbase)"), [] { VornData->OpenRemoteData(); });
}

int TMainForm::DateOrder(const QString& DateFormat)
{
    for (QChar c : DateFormat) {
        switch (c.toUpper().unicode()) {
        case 'D': return 1;
        case 'M': return 0;
        case 'Y': return 2;
        default: break;
        }
    }
    return 0;
}

void TMainForm::CloseOtherForms()
{
    const QList<QObject*> components = ApplicationComponents();
    QList<QPointer<QWidget>> refused;
    for (QObject* component : components) {
        auto* window = qobject_cast<QWidget*>(component);
        if (!window || window == this || !window->isWindow() || !window->isVisible())
            continue;
        QPointer<QWidget> guard(window);
        window->close();
        if (guard && guard->isVisible())
            refused << guard;
    }
    if (!refused.isEmpty())
        Abort();
}

QString TMainForm::ReportConnectionFileName()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::ConfigLocation)).filePath(QStringLiteral("RPTSMITH.CON"));
}

void TMainForm::UpdateReportConnection()
{
    if (!VornData)
        throw Exception("The data module must exist before the main window");
    TDatabase* database = VornData->Database;
    const QStringList params = Session.GetAliasParams(database->AliasName);
    WriteReportConnection(
        ParamValue(params, database->IsSQLBased() ? QStringLiteral("SERVER NAME") : QStringLiteral("PATH")));
}

void TMainForm::WriteReportConnection(const QString& Value)
{
    const bool remote = VornData && VornData->Database->IsSQLBased();
    const std::string name = (remote ? RemoteConnection : LocalConnection).toStdString();

    const QString fileName = ReportConnectionFileName();
    const std::string file = QFile::encodeName(fileName).toStdString();
    const std::string shown = QDir::toNativeSeparators(fileName).toStdString();
    QDir().mkpath(QFileInfo(fileName).absolutePath());
    // A file that is there but cannot be read is left alone: written from nothing, it
    // would lose every other connection it holds.
    std::string text;
    if (QFileInfo(fileName).isFile()) {
        QFile existing(fileName);
        if (!existing.open(QIODevice::ReadOnly))
            throw EFOpenError("Unable to read " + shown, int(existing.error()));
        text = existing.readAll().toStdString();
    }
    TProfile profile(text);
    // The file is 8-bit text: values go in the platform's encoding, and whatever else
    // it holds stays as it was.
    const std::string value = Value.toLocal8Bit().toStdString();
    try {
        const std::string section = "ConnectNamesSection", key = "ConnectNames";
        std::string names = profile.ReadString(section, key);
        if (!ListsConnection(names, name)) {
            if (!names.empty())
                names += ',';
            names += name;
            profile.WriteString(section, key, names);
        }
        if (remote) {
            profile.WriteString(name, "Type", "67");
            profile.WriteString(name, "Database", value);
            profile.WriteString(name, "Server", RemoteConnection.toStdString());
            profile.WriteString(name, "USERID", "SYSDBA");
        } else {
            profile.WriteString(name, "Type", "61");
            profile.WriteString(name, "DataFilePath", value);
            profile.WriteString(name, "Server", "PARADOX");
        }
    } catch (const Exception&) {
        // A value with a line break in it would write lines of its own into the file.
        throw EFCreateError("Unable to write to " + shown, EINVAL);
    }
    try {
        SaveFileAtomically(profile.Text(), file);
    } catch (const EInOutError& failure) {
        throw EFCreateError("Unable to write to " + shown, failure.ErrorCode);
    }
}
