// Aliases of the engine configuration file. The file is INI text:
//
//   [DBDEMOS]
//   DRIVER=PARADOX
//   PATH=/home/clerk/quorvale/DATA
//
//   [DEZAZAV]
//   DRIVER=INTRBASE
//   SERVER NAME=localhost:/var/lib/firebird/3.0/data/DEZAZAV.GDB
//   USER NAME=SYSDBA
//   PASSWORD=the site's own
//
// One section per alias; keys are upper case and may hold blanks; values run to the end
// of the line. A server alias's USER NAME and PASSWORD are the login, before the
// program's built-in one. DRIVER is PARADOX or INTRBASE: opening an alias that names
// another driver, or none, fails naming the alias and the driver (a mistyped PARADOX is
// never taken for a server). Lines starting with ';' or '#' are comments. The file is
// $VORN_ENGINE_CONFIG when set, otherwise "Quorvale/engine.ini" in the user's config
// folder. Aliases added at run time live for this run only and are never written.
#pragma once

#include <QString>
#include <QStringList>

class TSession {
public:
    QString ConfigFileName() const;
    bool IsAlias(const QString& name);
    // A folder of table files, driver "PARADOX" unless another is named.
    void AddStandardAlias(const QString& name, const QString& path, const QString& defaultDriver = "PARADOX");
    // params are "KEY=VALUE" lines ("SERVER NAME=host:path", "USER NAME=SYSDBA").
    void AddAlias(const QString& name, const QString& driver, const QStringList& params);
    // "KEY=VALUE" lines; fails with EDatabaseError "Unknown alias: X" for a missing alias.
    QStringList GetAliasParams(const QString& name);
    QString GetAliasDriverName(const QString& name);
    QStringList GetAliasNames();
    // Forgets the run-time aliases and re-reads the file on next use.
    void Reset();

private:
    struct Alias {
        QString Name;
        QString Driver;
        QStringList Params;
    };
    void Load();
    Alias* Find(const QString& name);
    bool FLoaded = false;
    QString FLoadedFrom;
    QList<Alias> FAliases;
};

extern TSession Session;

// The value of "KEY=VALUE" in a parameter list (keys compare without case).
QString ParamValue(const QStringList& params, const QString& key);
