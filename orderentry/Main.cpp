// The main window and the program's start and run. The start creates the application's
// objects in the one order the windows rely on (each reaches the others through their
// single instances); the main window switches storage, keeps itself on top, and
// registers the start-up database with the report writer's connection file. The run
// ends only through the main window's close, whether the user or the end of the
// session (a signal) asks for it, so the objects are always freed the same way.
#include "Main.h"

#include "About.h"
#include "DataMod.h"
#include "Splash.h"

#include "alias.h"
#include "application.h"
#include "exceptions.h"
#include "fbclient.h"
#include "formatsettings.h"
#include "formatsettings_locale.h"
#include "printers.h"

#include <exception>
#include <vector>
#include <QActionGroup>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QMenu>
#include <QPointer>
#include <QSaveFile>
#include <QScreen>
#include <QStandardPaths>
#include <QToolButton>
#include <QWindow>

TMainForm* MainForm = nullptr;
std::function<void(const QString& Step)> OnStartupStep;

namespace {

const QString LocalConnection = QStringLiteral("VORNAPP");
const QString RemoteConnection = QStringLiteral("DEZAZAV");

// Blanks and tabs only: bytes such as 0xA0 are parts of 8-bit characters here.
QString Trim(const QString& Text)
{
    qsizetype first = 0, last = Text.size();
    while (first < last && (Text[first] == QLatin1Char(' ') || Text[first] == QLatin1Char('\t')))
        ++first;
    while (last > first && (Text[last - 1] == QLatin1Char(' ') || Text[last - 1] == QLatin1Char('\t')))
        --last;
    return Text.mid(first, last - first);
}

// A profile file as the report writer reads it: "[Section]" lines and "Key=Value"
// lines below them. Sections and keys compare without case; everything else in the
// file (other sections, comments, blank lines) is written back unchanged. Values are
// taken verbatim to the end of the line, commas and all.
// The file is 8-bit text: each byte is held as the one character of that code
// (Latin-1), so bytes that are not valid UTF-8 survive a rewrite; Bytes() turns
// the program's text into that form.
class TProfileFile {
public:
    explicit TProfileFile(const QString& FileName) : FFileName(FileName)
    {
        QFile file(FileName);
        if (!file.open(QIODevice::ReadOnly))
            return;
        QList<QByteArray> lines = file.readAll().split('\n');
        if (!lines.isEmpty() && lines.last().isEmpty())
            lines.removeLast();
        for (QByteArray& line : lines) {
            if (line.endsWith('\r'))
                line.chop(1);
            FLines << QString::fromLatin1(line);
        }
    }

    // Text in the platform's 8-bit encoding, one character per byte.
    static QString Bytes(const QString& Text) { return QString::fromLatin1(Text.toLocal8Bit()); }

    QString ReadString(const QString& Section, const QString& Key) const
    {
        int line = FindKey(Section, Key);
        return line < 0 ? QString() : ValueOf(FLines[line]);
    }

    void WriteString(const QString& Section, const QString& Key, const QString& Value)
    {
        const QString entry = Key + QLatin1Char('=') + Value;
        int line = FindKey(Section, Key);
        if (line >= 0) {
            FLines[line] = entry;
            return;
        }
        int header = FindSection(Section);
        if (header < 0) {
            if (!FLines.isEmpty() && !Trim(FLines.last()).isEmpty())
                FLines << QString();
            FLines << QLatin1Char('[') + Section + QLatin1Char(']') << entry;
            return;
        }
        // After the section's last entry, before the blank lines that part it from the next.
        int end = SectionEnd(header);
        while (end > header + 1 && Trim(FLines[end - 1]).isEmpty())
            --end;
        FLines.insert(end, entry);
    }

    void Save() const
    {
        QSaveFile file(FFileName);
        if (file.open(QIODevice::WriteOnly)) {
            for (const QString& line : FLines)
                file.write(line.toLatin1() + '\n');
            if (file.commit())
                return;
        }
        throw EFCreateError(QStringLiteral("Unable to write to %1").arg(QDir::toNativeSeparators(FFileName)).toStdString(),
                            int(file.error()));
    }

private:
    static bool IsHeader(const QString& Line, QString* Name = nullptr)
    {
        QString text = Trim(Line);
        if (!text.startsWith(QLatin1Char('[')) || !text.endsWith(QLatin1Char(']')))
            return false;
        if (Name)
            *Name = Trim(text.mid(1, text.size() - 2));
        return true;
    }

    static QString KeyOf(const QString& Line)
    {
        int eq = Line.indexOf(QLatin1Char('='));
        return eq < 0 ? QString() : Trim(Line.left(eq));
    }

    static QString ValueOf(const QString& Line) { return Trim(Line.mid(Line.indexOf(QLatin1Char('=')) + 1)); }

    int FindSection(const QString& Section) const
    {
        QString name;
        for (int i = 0; i < FLines.size(); ++i)
            if (IsHeader(FLines[i], &name) && name.compare(Section, Qt::CaseInsensitive) == 0)
                return i;
        return -1;
    }

    int SectionEnd(int Header) const
    {
        int i = Header + 1;
        while (i < FLines.size() && !IsHeader(FLines[i]))
            ++i;
        return i;
    }

    int FindKey(const QString& Section, const QString& Key) const
    {
        int header = FindSection(Section);
        if (header < 0)
            return -1;
        for (int i = header + 1, end = SectionEnd(header); i < end; ++i) {
            const QString& line = FLines[i];
            if (line.startsWith(QLatin1Char(';')))
                continue;
            if (KeyOf(line).compare(Key, Qt::CaseInsensitive) == 0)
                return i;
        }
        return -1;
    }

    QString FFileName;
    QStringList FLines;
};

// The list holds Name as one of its comma-separated entries; a longer name that merely
// contains it ("VORNAPP2") is a different connection.
bool ListsConnection(const QString& List, const QString& Name)
{
    const QStringList names = List.split(QLatin1Char(','));
    for (const QString& entry : names)
        if (Trim(entry) == Name)
            return true;
    return false;
}

// True from the start's beginning until the splash has gone: failures that must not
// stop the start wait for the splash's end, so no splash hides their box.
bool Starting = false;

std::vector<std::exception_ptr>& WaitingReports()
{
    static std::vector<std::exception_ptr> reports;
    return reports;
}

// Reports Failure in the error box, or after the splash while the program starts.
void ReportAndGoOn(std::exception_ptr Failure)
{
    if (Starting)
        WaitingReports().push_back(Failure);
    else
        Application->Guard([&] { std::rethrow_exception(Failure); });
}

void ReportWaiting()
{
    std::vector<std::exception_ptr> reports;
    reports.swap(WaitingReports());
    for (const std::exception_ptr& failure : reports)
        Application->Guard([&] { std::rethrow_exception(failure); });
}

// Set when the session ended before the main window was shown.
bool SessionEnded = false;

// The end of the session closes the main window as its close box would; a signal that
// comes while that close is still asking its questions adds nothing.
void CloseForSessionEnd(int)
{
    static bool closing = false;
    if (!MainForm || !MainForm->isVisible()) {
        SessionEnded = true;
        return;
    }
    if (closing)
        return;
    closing = true;
    try {
        MainForm->Close();
    } catch (...) {
        closing = false;
        throw;
    }
    closing = false;
}

void Step(const QString& Name)
{
    if (OnStartupStep)
        OnStartupStep(Name);
}

// Creates one of the application's objects and registers it, so that a failure further
// on still frees what was made.
template <typename T>
T* Create(T*& Instance, const QString& Name)
{
    Instance = new T(nullptr);
    Instance->setObjectName(Name);
    ApplicationComponents().append(Instance);
    Step(Name);
    return Instance;
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
    Wire(PrintInvoice, &TMainForm::InvoiceReport);
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
    // The order entry window takes over here (EdOrderForm->EnterNewOrder) once it exists.
}

void TMainForm::BrowseCustOrd(TObject*)
{
    static const char* const Formats[] = {"mm/dd/yy", "dd/mm/yy", "yy/mm/dd"};
    FormatSettings.ShortDateFormat = Formats[DateOrder(QString::fromStdString(FormatSettings.ShortDateFormat))];
    // BrCustOrdForm->Show() joins here once the customers' orders window exists.
}

void TMainForm::BrowseParts(TObject*)
{
    // BrPartsForm->Show() joins here once the parts window exists.
}

void TMainForm::ReportBtnClick(TObject*)
{
    // The report selection dialog (PickRpt) joins here once the reports exist.
}

void TMainForm::CustomerReport(TObject*)
{
    // Prints CustomerByInvoiceReport without preview once the reports exist.
}

void TMainForm::OrderReport(TObject*)
{
    // Prints OrdersByDateReport without preview once the reports exist.
}

void TMainForm::InvoiceReport(TObject*)
{
    // Prints InvoiceByOrderNoReport without preview once the reports exist.
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
    const QString name = remote ? RemoteConnection : LocalConnection;

    const QString fileName = ReportConnectionFileName();
    QDir().mkpath(QFileInfo(fileName).absolutePath());
    TProfileFile profile(fileName);
    const QString section = QStringLiteral("ConnectNamesSection");
    const QString key = QStringLiteral("ConnectNames");
    QString names = profile.ReadString(section, key);
    if (!ListsConnection(names, name)) {
        if (!names.isEmpty())
            names += QLatin1Char(',');
        names += name;
        profile.WriteString(section, key, names);
    }
    if (remote) {
        profile.WriteString(name, QStringLiteral("Type"), QStringLiteral("67"));
        profile.WriteString(name, QStringLiteral("Database"), TProfileFile::Bytes(Value));
        profile.WriteString(name, QStringLiteral("Server"), RemoteConnection);
        profile.WriteString(name, QStringLiteral("USERID"), QStringLiteral("SYSDBA"));
    } else {
        profile.WriteString(name, QStringLiteral("Type"), QStringLiteral("61"));
        profile.WriteString(name, QStringLiteral("DataFilePath"), TProfileFile::Bytes(Value));
        profile.WriteString(name, QStringLiteral("Server"), QStringLiteral("PARADOX"));
    }
    profile.Save();
}

QList<QObject*>& ApplicationComponents()
{
    static QList<QObject*> components;
    return components;
}

void CreateApplicationObjects()
{
    // The order of the program's objects; later windows and reports join in their place.
    CreateVornData(nullptr);
    ApplicationComponents().append(VornData);
    Step(QStringLiteral("VornData"));
    Create(MainForm, QStringLiteral("MainForm"));
    // BrPartsForm, QueryCustDlg, EdPartsForm, BrCustOrdForm, EdCustForm, EdOrderForm,
    // SearchDlg and BrDateForm come here, in that order.
    Create(AboutBox, QStringLiteral("AboutBox"));
    // PickRpt, CustomerByInvoiceReport, OrdersByDateReport, InvoiceByOrderNoReport,
    // PickOrderNoDlg and LWizard come here, in that order.
}

void FreeApplicationObjects()
{
    QList<QObject*>& components = ApplicationComponents();
    while (!components.isEmpty()) {
        QObject* component = components.takeLast();
        if (component == MainForm)
            MainForm = nullptr;
        else if (component == AboutBox)
            AboutBox = nullptr;
        delete component;
    }
}

bool StartOrderEntry()
{
    // The platform read the user's regional settings as the application started.
    GetFormatSettings();
    Starting = true;
    WaitingReports().clear();

    auto* splash = new TSplashForm;
    splash->show();
    // A window system maps the window a little later; painting before that shows nothing.
    QElapsedTimer waited;
    waited.start();
    while (splash->windowHandle() && !splash->windowHandle()->isExposed() && waited.elapsed() < 1000)
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents | QEventLoop::WaitForMoreEvents, 50);
    splash->repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    Step(QStringLiteral("Splash"));

    std::exception_ptr failure;
    try {
        Application->Title = QStringLiteral("Quorvale Order Entry");
        Application->HelpFile = QStringLiteral("VORNAPP.HLP");
        CreateApplicationObjects();
    } catch (...) {
        failure = std::current_exception();
    }

    // Gone before any error box: a splash kept on top could hide the box.
    splash->hide();
    delete splash;
    Starting = false;
    Step(QStringLiteral("SplashGone"));
    ReportWaiting();
    if (failure) {
        Application->Guard([&] { std::rethrow_exception(failure); });
        return false;
    }
    return true;
}

int RunOrderEntry()
{
    // Closing the main window ends the program, whatever other window is still open.
    QGuiApplication::setQuitOnLastWindowClosed(false);
    SessionEnded = false;
    CatchTerminationSignals(CloseForSessionEnd);

    int result = 1;
    if (StartOrderEntry()) {
        result = 0;
        if (!SessionEnded) {
            MainForm->OnClose = [](TObject*, TCloseAction&) { QCoreApplication::exit(0); };
            MainForm->show();
            result = QCoreApplication::exec();
        }
    }
    FreeApplicationObjects();
    CatchTerminationSignals(nullptr);
    return result;
}
