// The application object: title, help file, and the general error box that shows any
// exception reaching the event loop. Application always exists, with or without a
// TGuiApplication, so rules and controls may report through it from anywhere.
#pragma once

#include "platform/core/object.h"

#include <QApplication>
#include <QString>

#include <exception>
#include <functional>

class TApplication : public TObject {
public:
    // "Quorvale Order Entry"; captions of plain message boxes and the error box.
    QString Title;
    // The help file by name ("VORNAPP.HLP"): a bare name lies beside the program,
    // and the HTML file of the same base name is what is shown.
    QString HelpFile;

    // Replaces the error box when set (the box is then the handler's business).
    std::function<void(TObject* Sender, const std::exception& E)> OnException;

    // Title, or the program's name while no title is set.
    QString DisplayTitle() const;

    // Shows the exception's message in one error box (mtError, OK); EAbort never.
    void HandleException(const std::exception& E);
    // Runs Action and reports whatever it throws; true when it ran through.
    bool Guard(const std::function<void()>& Action);

    // Opens the help window on the topic of a context number; 0 opens the contents.
    // Throws Exception when the help file or the topic cannot be found.
    void HelpContext(int Context);
    // Opens the help window on the contents page.
    void HelpContents();
    // The program no longer needs help: the help window closes and is freed.
    void HelpClose();
    // The HTML file HelpFile stands for, with its full path.
    QString HelpFilePath() const;
};

extern TApplication* const Application;

// The ends of a session that reach a program as signals, SIGTERM (shutdown) and SIGHUP
// (logout), arrive on the event loop as calls of Handler with the signal's number, so
// the program can end as its user would end it. The signal handler itself only writes
// that number to a pipe (async-signal-safe); a socket notifier on the pipe's other end
// calls Handler. Needs the QCoreApplication; a new Handler replaces the old one, and an
// empty one gives the signals back their default action (ending the program at once).
void CatchTerminationSignals(std::function<void(int Signal)> Handler);

// The program's QApplication: every exception that escapes an event handler goes to
// Application->HandleException instead of ending the program.
class TGuiApplication : public QApplication {
public:
    TGuiApplication(int& argc, char** argv);
    ~TGuiApplication() override;
    bool notify(QObject* Receiver, QEvent* Event) override;
};
