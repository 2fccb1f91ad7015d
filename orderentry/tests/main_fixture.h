// What the main window's tests share: the sample data in a scratch store
// (testsupport/scratchstore.h), the program placed beside it, and the report writer's
// connection file in the store's settings folder.
#pragma once

#include "orderentry/Main.h"
#include "testsupport/scratchstore.h"

#include <QDate>
#include <QFile>

#include <memory>

// Twenty orders up to a fixed day, local; on the server ten more in DATA/DEZAZAV.GDB.
inline std::unique_ptr<TScratchStore> MainSampleStore(bool server = false)
{
    auto store = std::make_unique<TScratchStore>(server);
    vorndata::BuildOptions options;
    options.orders = 20;
    options.today = QDate(2024, 5, 17);
    vorndata::BuildLocal(store->DataFolder, options);
    if (server) {
        options.orders = 10;
        store->Build(options);
    }
    return store;
}

// The configuration with "DBDEMOS" on the local sample data, plus Extra.
inline QString LocalAlias(const TScratchStore& store, const QString& Extra = QString())
{
    return "[DBDEMOS]\nDRIVER=PARADOX\nPATH=" + store.DataFolder + "\n\n" + Extra;
}

inline void ForgetReportConnection()
{
    QFile::remove(TMainForm::ReportConnectionFileName());
}

inline QString ReadReportConnection()
{
    QFile file(TMainForm::ReportConnectionFileName());
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return QString();
    return QString::fromUtf8(file.readAll());
}
