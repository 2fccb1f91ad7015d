// The application object and the guarded event loop. What must stay true: an
// exception escaping an event handler is shown once and the program goes on; EAbort
// is never shown.
#include "platform/widgets/application.h"

#include "platform/core/exceptions.h"
#include "platform/widgets/helpwindow.h"
#include "platform/widgets/messages.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QFont>
#include <QPointer>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <iterator>
#include <pthread.h>
#include <string>
#include <unistd.h>

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

// The signals that end a session, and whether each is caught here: one that was ignored
// when the program started (nohup) stays ignored.
const int TerminationSignals[] = {SIGTERM, SIGHUP};
bool SignalCaught[std::size(TerminationSignals)] = {};

// The pipe from the signal handler to the event loop: [0] is read by the notifier, [1]
// written by the handler. Neither end blocks: when the pipe is full a repeated signal
// is dropped, which loses nothing, since the ones waiting already end the program.
int SignalPipe[2] = {-1, -1};

std::function<void(int)>& TerminationHandler()
{
    static std::function<void(int)> handler;
    return handler;
}

QPointer<QSocketNotifier>& SignalNotifier()
{
    static QPointer<QSocketNotifier> notifier;
    return notifier;
}

// Runs in the signal's context: only async-signal-safe calls, and errno left as found.
void WriteSignalNumber(int Signal)
{
    const int savedErrno = errno;
    const unsigned char number = static_cast<unsigned char>(Signal);
    [[maybe_unused]] const ssize_t written = ::write(SignalPipe[1], &number, 1);
    errno = savedErrno;
}

void ReadSignalNumbers()
{
    unsigned char numbers[16];
    ssize_t count;
    while ((count = ::read(SignalPipe[0], numbers, sizeof numbers)) > 0) {
        for (ssize_t i = 0; i < count; ++i) {
            // A copy: the handler may replace itself.
            const std::function<void(int)> handler = TerminationHandler();
            if (handler)
                Application->Guard([&] { handler(numbers[i]); });
        }
    }
}

void SetSignalAction(int Signal, void (*Handler)(int))
{
    struct sigaction action {};
    sigemptyset(&action.sa_mask);
    action.sa_handler = Handler;
    action.sa_flags = SA_RESTART;
    ::sigaction(Signal, &action, nullptr);
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

void CatchTerminationSignals(std::function<void(int Signal)> Handler)
{
    TerminationHandler() = std::move(Handler);
    if (!TerminationHandler()) {
        for (size_t i = 0; i < std::size(TerminationSignals); ++i) {
            if (SignalCaught[i])
                SetSignalAction(TerminationSignals[i], SIG_DFL);
            SignalCaught[i] = false;
        }
        return;
    }
    if (!QCoreApplication::instance())
        throw Exception("The end of a session can be caught only while the application exists");
    if (SignalPipe[0] < 0 && ::pipe2(SignalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        throw Exception(std::string("Cannot watch for the end of the session: ") + std::strerror(errno));
    if (!SignalNotifier()) {
        auto* notifier = new QSocketNotifier(SignalPipe[0], QSocketNotifier::Read, QCoreApplication::instance());
        QObject::connect(notifier, &QSocketNotifier::activated, notifier, [] { ReadSignalNumbers(); });
        SignalNotifier() = notifier;
    }
    for (size_t i = 0; i < std::size(TerminationSignals); ++i) {
        if (SignalCaught[i])
            continue;
        struct sigaction current {};
        ::sigaction(TerminationSignals[i], nullptr, &current);
        if (current.sa_handler == SIG_IGN)
            continue;
        SetSignalAction(TerminationSignals[i], WriteSignalNumber);
        SignalCaught[i] = true;
    }
    // A signal that came while it was blocked (before start-up got this far) is
    // taken now rather than lost.
    sigset_t caught;
    sigemptyset(&caught);
    for (size_t i = 0; i < std::size(TerminationSignals); ++i)
        if (SignalCaught[i])
            sigaddset(&caught, TerminationSignals[i]);
    ::pthread_sigmask(SIG_UNBLOCK, &caught, nullptr);
}

TGuiApplication::TGuiApplication(int& argc, char** argv)
    : QApplication(argc, argv)
{
    // The windows are laid out in pixels for MS Sans Serif; without it the system's
    // default (often the wide DejaVu Sans) cuts captions short. Liberation Sans keeps
    // Arial's narrow widths, where it is installed.
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"));
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
