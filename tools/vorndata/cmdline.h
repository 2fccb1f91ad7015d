// The command line of vorndata, parsed apart from main() so tests can reach it.
#pragma once

#include "tools/orderdata/builder.h"

#include <QString>
#include <QStringList>

namespace vorndata {

struct CommandLine {
    enum class Target { None, Local, Server };
    Target target = Target::None;
    QString folder;       // --local
    ServerLogin login;    // --server, --user, --password
    BuildOptions options; // --orders, --seed, --today, --force
    bool quiet = false;
    bool help = false;
};

// Exit codes of the program.
enum ExitCode { ExitOk = 0, ExitFailed = 1, ExitUsage = 2 };

QString UsageText();

// Parses the arguments after the program name. On a mistake returns false and
// sets `error` to a one-line message. For --server the login not given as options
// comes from the alias DEZAZAV of the engine configuration when it has one.
bool ParseCommandLine(const QStringList& arguments, CommandLine* result, QString* error);

}  // namespace vorndata
