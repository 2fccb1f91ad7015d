// Alias configuration. The file is read once per path; a changed VORN_ENGINE_CONFIG
// is noticed on the next call, which tests rely on.
#include "platform/data/alias.h"

#include "platform/core/exceptions.h"
#include "platform/core/profile.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

TSession Session;

QString ParamValue(const QStringList& params, const QString& key)
{
    for (const QString& line : params) {
        int eq = line.indexOf('=');
        if (eq > 0 && line.left(eq).trimmed().compare(key, Qt::CaseInsensitive) == 0)
            return line.mid(eq + 1);
    }
    return QString();
}

QString TSession::ConfigFileName() const
{
    QString env = qEnvironmentVariable("VORN_ENGINE_CONFIG");
    if (!env.isEmpty())
        return env;
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)).filePath("Quorvale/engine.ini");
}

void TSession::Reset()
{
    FLoaded = false;
    FAliases.clear();
}

void TSession::Load()
{
    QString file = ConfigFileName();
    if (FLoaded && FLoadedFrom == file)
        return;
    FAliases.clear();
    FLoaded = true;
    FLoadedFrom = file;
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return; // no configuration yet: no aliases
    const TProfile profile(f.readAll().toStdString());
    for (const TProfileSection& section : profile.Sections()) {
        Alias alias{QString::fromUtf8(section.Name).trimmed(), QString(), {}};
        for (const TProfileEntry& entry : section.Entries) {
            QString key = QString::fromUtf8(entry.Key).trimmed().toUpper();
            QString value = QString::fromUtf8(entry.Value).trimmed();
            if (key == "DRIVER" || key == "TYPE")
                alias.Driver = value.toUpper();
            else
                alias.Params << key + "=" + value;
        }
        FAliases.append(alias);
    }
}

TSession::Alias* TSession::Find(const QString& name)
{
    Load();
    for (Alias& a : FAliases)
        if (a.Name.compare(name, Qt::CaseInsensitive) == 0)
            return &a;
    return nullptr;
}

bool TSession::IsAlias(const QString& name)
{
    return Find(name) != nullptr;
}

void TSession::AddStandardAlias(const QString& name, const QString& path, const QString& defaultDriver)
{
    AddAlias(name, defaultDriver.isEmpty() ? QString("PARADOX") : defaultDriver, {"PATH=" + path});
}

void TSession::AddAlias(const QString& name, const QString& driver, const QStringList& params)
{
    if (name.trimmed().isEmpty())
        throw EDatabaseError("Alias name missing");
    if (Find(name))
        throw EDatabaseError("Alias already exists: " + name.toStdString());
    QString d = driver.toUpper();
    if (d != "PARADOX" && d != "INTRBASE")
        throw EDatabaseError(("Cannot add alias " + name + ": unknown driver " + driver
                              + " (the drivers are PARADOX and INTRBASE)")
                                 .toStdString());
    Alias a{name, d, {}};
    for (const QString& p : params) {
        int eq = p.indexOf('=');
        if (eq > 0)
            a.Params << p.left(eq).trimmed().toUpper() + "=" + p.mid(eq + 1).trimmed();
    }
    FAliases.append(a);
}

QStringList TSession::GetAliasParams(const QString& name)
{
    Alias* a = Find(name);
    if (!a)
        throw EDatabaseError("Unknown alias: " + name.toStdString());
    return a->Params;
}

QString TSession::GetAliasDriverName(const QString& name)
{
    Alias* a = Find(name);
    if (!a)
        throw EDatabaseError("Unknown alias: " + name.toStdString());
    return a->Driver;
}

QStringList TSession::GetAliasNames()
{
    Load();
    QStringList names;
    for (const Alias& a : FAliases)
        names << a.Name;
    return names;
}
