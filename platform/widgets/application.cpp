// The application object and the guarded event loop. What must stay true: an
// exception escaping an event handler is shown once and the program goes on; EAbort
// is never shown.
#include "application.h"

#include "exceptions.h"
#include "helpwindow.h"
#include "messages.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QPointer>

namespace {

TApplication TheApplication;

QPointer<THelpWindow>& HelpWindow()
{
    static QPointer<THelpWindow> window;
    return window;
}

THelpWindow& EnsureHelpWindow()
{
    if (!HelpWindow()) {
        HelpWindow() = new THelpWindow;
        // The window must not outlive the event loop that owns its resources.
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, HelpWindow().data(),
                         [] { Application->HelpClose(); });
    }
    return *HelpWindow();
}

} // namespace

TApplication* const Application = &TheApplication;

QString TApplication::DisplayTitle() const
{
    if (!Title.isEmpty())
        return Title;
    return QCoreApplication::instance() ? QCoreApplication::applicationName() : QString();
}

void TApplication::HandleException(const std::exception& E)
{
    if (dynamic_cast<const EAbort*>(&E))
        return;
    if (OnException) {
        OnException(this, E);
        return;
    }
    // Messages are 8-bit texts in the platform's code page, shown exactly as raised.
    QString text = QString::fromLocal8Bit(E.what());
    MessageDlgCaption(text, DisplayTitle(), mtError, {mbOK});
}

bool TApplication::Guard(const std::function<void()>& Action)
{
    try {
        Action();
        return true;
    } catch (const std::exception& e) {
        HandleException(e);
    } catch (...) {
        HandleException(Exception("An unknown error occurred"));
    }
    return false;
}

QString TApplication::HelpFilePath() const
{
    if (HelpFile.isEmpty())
        return QString();
    QFileInfo info(HelpFile);
    if (info.isRelative() && QCoreApplication::instance())
        info.setFile(QCoreApplication::applicationDirPath() + QLatin1Char('/') + HelpFile);
    QString path = info.absoluteFilePath();
    // The classic help file name stands for the HTML file beside it.
    QString suffix = info.suffix();
    if (suffix.compare(QLatin1String("hlp"), Qt::CaseInsensitive) == 0)
        path.chop(suffix.size() + 1);
    if (suffix.compare(QLatin1String("html"), Qt::CaseInsensitive) != 0 &&
        suffix.compare(QLatin1String("htm"), Qt::CaseInsensitive) != 0)
        path += QLatin1String(".html");
    return path;
}

void TApplication::HelpContext(int Context)
{
    if (HelpFile.isEmpty())
        throw Exception("No help file is set for this program");
    if (Context == 0)
        EnsureHelpWindow().ShowContents(HelpFilePath());
    else
        EnsureHelpWindow().ShowContext(HelpFilePath(), Context);
}

void TApplication::HelpContents()
{
    HelpContext(0);
}

void TApplication::HelpClose()
{
    delete HelpWindow().data();
}

TGuiApplication::TGuiApplication(int& argc, char** argv)
    : QApplication(argc, argv)
{
}

TGuiApplication::~TGuiApplication()
{
    Application->HelpClose();
}

bool TGuiApplication::notify(QObject* Receiver, QEvent* Event)
{
    try {
        return QApplication::notify(Receiver, Event);
    } catch (const std::exception& e) {
        Application->HandleException(e);
    } catch (...) {
        Application->HandleException(Exception("An unknown error occurred"));
    }
    return false;
}
