// Creates the order database with sample data, in a folder or on a Firebird server.
//
// What must stay true: an existing table is never replaced unless `force` is set,
// and a local build that fails leaves the folder as it was (tables are written to
// side files and moved into place only when all of them are complete).
#pragma once

#include "tools/orderdata/fbserver.h"
#include "tools/orderdata/sampledata.h"

#include <QDate>
#include <QString>

#include <cstdint>
#include <functional>
#include <stdexcept>

namespace vorndata {

class BuildError : public std::runtime_error {
public:
    explicit BuildError(const QString& message) : std::runtime_error(message.toStdString()) {}
    QString Message() const { return QString::fromStdString(what()); }
};

struct BuildOptions {
    std::int64_t orders = 300;
    std::uint32_t seed = DefaultSeed;
    QDate today = QDate::currentDate();
    bool force = false;
    // Called every few thousand orders and once at the end.
    std::function<void(std::int64_t done, std::int64_t total)> progress;
};

struct BuildResult {
    std::int64_t customers = 0, vendors = 0, parts = 0, employees = 0, orders = 0, items = 0;
    double nextOrderNo = 0, nextCustNo = 0;
    bool databaseCreated = false;  // server only: the database file was new
};

// One SQLite file per table in `folder` ("ORDERS.DB", ...); creates the folder.
BuildResult BuildLocal(const QString& folder, const BuildOptions& options);

// All tables in one Firebird database; creates the database when absent.
BuildResult BuildServer(const ServerLogin& login, const BuildOptions& options);

}  // namespace vorndata
