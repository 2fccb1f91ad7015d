// The program's start and run: the objects the application owns, created once in a
// fixed order and freed together at the end. What must stay true: VornData exists
// before any window, the main window is the first window created, no error box is
// shown while the splash is up, and the run ends only through the main window's close,
// whether the user or the end of the session asks for it.
#pragma once

#include <QList>
#include <QString>

#include <exception>
#include <functional>

class QObject;

// The objects the application owns (data module, windows, reports), in creation
// order. CloseOtherForms walks this list; the end of the run frees it backwards.
QList<QObject*>& ApplicationComponents();

// Start-up step 4: creates VornData and every window of the program once, in the
// fixed order, hidden. Throws whatever a creation throws; what was created stays
// registered so FreeApplicationObjects can free it.
void CreateApplicationObjects();
// Frees the application's objects, last created first, and clears their instances.
void FreeApplicationObjects();

// The program's start before the event loop: the user's date, number and currency
// formats taken from the system locale, splash shown and painted, title and help file,
// the application's objects, splash destroyed. False when a failure was reported to
// the user; the program must then end without showing the main window. A failure that
// need not stop the start (the report writer's connection file) is reported once the
// splash has gone, and the start goes on.
bool StartOrderEntry();

// The program's whole run once the application object exists: the start, the main
// window and the event loop until it closes, then the application's objects freed
// (the connection closes and its scratch files go). The end of the session, SIGTERM
// (shutdown) or SIGHUP (logout), closes the main window as the user would; one that
// comes during the start ends the program as soon as the start is over. Returns the
// program's exit code.
int RunOrderEntry();

// Reports a failure that need not stop anything in the application's error box: at
// once, or while the program starts, once the splash has gone.
void ReportAndGoOn(std::exception_ptr Failure);

// Told each step of StartOrderEntry by name ("Splash", "VornData", "MainForm",
// "AboutBox", ..., "SplashGone"), so the order can be followed from outside.
extern std::function<void(const QString& Step)> OnStartupStep;
