// The program's start and run. The start creates the application's objects in the one
// order the windows rely on (each reaches the others through their single instances),
// under a splash that is painted before the slow work and gone before any error box.
// The run ends only through the main window's close, so the objects are always freed
// the same way.
#include "orderentry/Startup.h"

#include "orderentry/About.h"
#include "orderentry/DataMod.h"
#include "orderentry/Main.h"
#include "orderentry/Splash.h"
#include "orderentry/custord_form.h"
#include "orderentry/date_form.h"
#include "orderentry/edcust_form.h"
#include "orderentry/edparts_form.h"
#include "orderentry/order_form.h"
#include "orderentry/parts_form.h"
#include "orderentry/querycust_dlg.h"
#include "orderentry/search_dlg.h"
#include "orderentry/customer_report.h"
#include "orderentry/invoice_report.h"
#include "orderentry/orders_report.h"
#include "orderentry/pickorderno_dlg.h"
#include "orderentry/pickrpt_dlg.h"
#include "localization/langwiz.h"

#include "platform/widgets/application.h"
#include "platform/core/formatsettings_locale.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QWindow>

#include <vector>

std::function<void(const QString& Step)> OnStartupStep;

namespace {

// True from the start's beginning until the splash has gone: failures that must not
// stop the start wait for the splash's end, so no splash hides their box.
bool Starting = false;

std::vector<std::exception_ptr>& WaitingReports()
{
    static std::vector<std::exception_ptr> reports;
    return reports;
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

// The end of the session closes the windows as their close boxes would: a modal form
// (the order form) first, so its questions about unsaved work are asked and a "no"
// keeps the program running, then the main window. A signal that comes while a close
// is still asking its questions adds nothing.
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
        while (auto* modal = qobject_cast<TForm*>(QApplication::activeModalWidget())) {
            if (modal == MainForm)
                break;
            modal->Close();
            if (modal->isVisible()) {
                closing = false;
                return;
            }
        }
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

void ReportAndGoOn(std::exception_ptr Failure)
{
    if (Starting)
        WaitingReports().push_back(Failure);
    else
        Application->Guard([&] { std::rethrow_exception(Failure); });
}

QList<QObject*>& ApplicationComponents()
{
    static QList<QObject*> components;
    return components;
}

void CreateApplicationObjects()
{
    // The order of the program's objects: each window reaches those made before it.
    CreateVornData(nullptr);
    ApplicationComponents().append(VornData);
    Step(QStringLiteral("VornData"));
    Create(MainForm, QStringLiteral("MainForm"));
    Create(BrPartsForm, QStringLiteral("BrPartsForm"));
    Create(QueryCustDlg, QStringLiteral("QueryCustDlg"));
    Create(EdPartsForm, QStringLiteral("EdPartsForm"));
    Create(BrCustOrdForm, QStringLiteral("BrCustOrdForm"));
    Create(EdCustForm, QStringLiteral("EdCustForm"));
    Create(EdOrderForm, QStringLiteral("EdOrderForm"));
    Create(SearchDlg, QStringLiteral("SearchDlg"));
    Create(BrDateForm, QStringLiteral("BrDateForm"));
    Create(AboutBox, QStringLiteral("AboutBox"));
    Create(PickRpt, QStringLiteral("PickRpt"));
    // The reports are no windows: CloseOtherForms passes them by.
    Create(CustomerByInvoiceReport, QStringLiteral("CustomerByInvoiceReport"));
    Create(OrdersByDateReport, QStringLiteral("OrdersByDateReport"));
    Create(InvoiceByOrderNoReport, QStringLiteral("InvoiceByOrderNoReport"));
    Create(PickOrderNoDlg, QStringLiteral("PickOrderNoDlg"));
    // The language wizard last: each left Alt+L makes one for the form and frees it.
    InstallLanguageWizard();
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
