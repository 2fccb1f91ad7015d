#include "orderentry/tests/main_fixture.h"

#include "orderentry/Main.h"

#include "platform/data/alias.h"
#include "tools/orderdata/builder.h"
#include "xmllib/strs.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

TMainSandbox::TMainSandbox()
{
    FSavedAppFolder = AppFolder;
    if (!FDir.isValid())
        return;
    // The settings folder of this sandbox alone, so test programs running side by side
    // never share a connection file.
    qputenv("XDG_CONFIG_HOME", FDir.filePath("config").toLocal8Bit());
    vorndata::BuildOptions options;
    options.orders = 20;
    options.today = QDate(2024, 5, 17);
    try {
        vorndata::BuildLocal(FDir.filePath("DATA"), options);
        FBuilt = true;
    } catch (const std::exception& e) {
        qWarning("sample data: %s", e.what());
    }
    qputenv("VORN_ENGINE_CONFIG", FDir.filePath("engine.ini").toLocal8Bit());
    SetEngineConfig(LocalAlias());
    PlaceProgram(true);
}

TMainSandbox::~TMainSandbox()
{
    AppFolder = FSavedAppFolder;
    qunsetenv("VORN_ENGINE_CONFIG");
    Session.Reset();
}

QString TMainSandbox::DataFolder() const
{
    return QDir::toNativeSeparators(FDir.filePath("DATA")) + QDir::separator();
}

void TMainSandbox::SetEngineConfig(const QString& Text)
{
    QFile file(FDir.filePath("engine.ini"));
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(Text.toLocal8Bit());
    file.close();
    Session.Reset();
}

QString TMainSandbox::LocalAlias(const QString& Extra) const
{
    return QString("[DBDEMOS]\nDRIVER=PARADOX\nPATH=%1\n\n%2").arg(DataFolder(), Extra);
}

void TMainSandbox::PlaceProgram(bool BesideData)
{
    // The data folder is two levels above the program's folder, then "DATA".
    QString exeFolder = FDir.filePath(BesideData ? "x/y" : "nodata/x/y");
    AppFolder = (QDir::toNativeSeparators(exeFolder) + QDir::separator()).toStdString();
}

void TMainSandbox::ForgetReportConnection()
{
    QFile::remove(TMainForm::ReportConnectionFileName());
}

QString TMainSandbox::ReadReportConnection()
{
    QFile file(TMainForm::ReportConnectionFileName());
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return QString();
    return QString::fromUtf8(file.readAll());
}
