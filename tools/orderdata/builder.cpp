// Writes the tables and the sample rows through Qt's SQL drivers: QSQLITE for the
// folder of table files, QIBASE for the server. All rows go in one transaction with
// one prepared statement per table, which keeps a million orders to minutes.
#include "tools/orderdata/builder.h"

#include "platform/data/database.h"
#include "tools/orderdata/schema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

#include <algorithm>
#include <map>

namespace vorndata {

namespace {

constexpr std::int64_t ProgressStep = 5000;

QString ErrorText(const QSqlError& error)
{
    const QString text = error.text().trimmed();
    return text.isEmpty() ? QStringLiteral("unknown database error") : text;
}

void Exec(QSqlQuery& query, const QString& sql)
{
    if (!query.exec(sql))
        throw BuildError(QString("%1\n  in: %2").arg(ErrorText(query.lastError()), sql));
}

// Keeps a named Qt connection for the length of a build and removes it afterwards.
class Connection {
public:
    explicit Connection(const QString& driver)
        : FName("vorndata-" + QUuid::createUuid().toString(QUuid::WithoutBraces))
    {
        if (!QSqlDatabase::isDriverAvailable(driver))
            throw BuildError(QString("the Qt SQL driver %1 is not installed").arg(driver));
        QSqlDatabase::addDatabase(driver, FName);
    }
    ~Connection()
    {
        {
            QSqlDatabase db = QSqlDatabase::database(FName, false);
            if (db.isOpen())
                db.close();
        }
        QSqlDatabase::removeDatabase(FName);
    }
    QSqlDatabase Database() const { return QSqlDatabase::database(FName, false); }

private:
    QString FName;
};

// Inserts rows through prepared statements. On the server each round trip costs
// far more than the insert itself, so rows are gathered and sent many at a time in
// one EXECUTE BLOCK whose parameters are the rows' values.
class RowWriter {
public:
    RowWriter(const QSqlDatabase& db, Dialect dialect) : FDb(db), FDialect(dialect)
    {
        for (const TableDef& table : OrderTables()) {
            Writer& writer = FWriters[table.name];
            writer.table = &table;
            writer.single = Prepare(InsertStatement(table));
            if (dialect == Dialect::Firebird) {
                writer.blockRows = std::clamp<int>(BlockParameters / static_cast<int>(table.columns.size()), 1, BlockRows);
                if (writer.blockRows > 1)
                    writer.block = Prepare(BlockStatement(table, writer.blockRows));
            }
        }
    }

    void Insert(const QString& table, const QVariantList& row)
    {
        Writer& writer = FWriters.at(table);
        if (writer.blockRows <= 1) {
            Exec(writer, writer.single, {row});
            return;
        }
        writer.pending.append(row);
        if (writer.pending.size() == writer.blockRows) {
            Exec(writer, writer.block, writer.pending);
            writer.pending.clear();
        }
    }

    // Sends what is still gathered; call before committing.
    void Flush()
    {
        for (auto& [name, writer] : FWriters) {
            for (const QVariantList& row : std::as_const(writer.pending))
                Exec(writer, writer.single, {row});
            writer.pending.clear();
        }
    }

private:
    // Keeps a block's input message well under the server's 64 KiB limit and its
    // statements under the limit of 256 table references.
    static constexpr int BlockParameters = 480;
    static constexpr int BlockRows = 200;

    struct Writer {
        const TableDef* table = nullptr;
        QSqlQuery single;
        QSqlQuery block;
        int blockRows = 1;
        QList<QVariantList> pending;
    };

    QSqlQuery Prepare(const QString& sql)
    {
        QSqlQuery query(FDb);
        if (!query.prepare(sql))
            throw BuildError(QString("%1\n  in: %2").arg(ErrorText(query.lastError()), sql.left(400)));
        return query;
    }

    static QString BlockStatement(const TableDef& table, int rows)
    {
        QStringList parameters;
        QStringList inserts;
        for (int r = 0; r < rows; ++r) {
            QStringList values;
            for (int c = 0; c < table.columns.size(); ++c) {
                const QString name = QString("P%1_%2").arg(r).arg(c);
                parameters << QString("%1 %2 = ?").arg(name, ColumnSqlType(table.columns[c], Dialect::Firebird));
                values << ":" + name;
            }
            QStringList names;
            for (const ColumnDef& column : table.columns)
                names << column.name;
            inserts << QString("INSERT INTO %1 (%2) VALUES (%3);").arg(table.name, names.join(", "), values.join(", "));
        }
        return QString("EXECUTE BLOCK (%1) AS BEGIN %2 END").arg(parameters.join(", "), inserts.join(" "));
    }

    void Exec(const Writer& writer, QSqlQuery& query, const QList<QVariantList>& rows)
    {
        int index = 0;
        for (const QVariantList& row : rows) {
            for (const QVariant& value : row)
                query.bindValue(index++, Bound(value));
        }
        if (!query.exec())
            throw BuildError(QString("cannot insert into %1: %2").arg(writer.table->name, ErrorText(query.lastError())));
    }

    QVariant Bound(const QVariant& value) const
    {
        // Local data keeps dates in the engine's own stored text, so the engine's
        // comparisons and any SQLite tool read them alike.
        if (FDialect == Dialect::Sqlite && value.typeId() == QMetaType::QDateTime)
            return ToStorage(FromStorage(value, ftDateTime), ftDateTime, dlSqlite);
        return value;
    }

    QSqlDatabase FDb;
    Dialect FDialect;
    std::map<QString, Writer> FWriters;
};

BuildResult WriteRows(const QSqlDatabase& db, Dialect dialect, const BuildOptions& options)
{
    SampleGenerator generator(options.seed, options.today, options.orders);
    RowWriter writer(db, dialect);
    BuildResult result;

    for (const Vendor& v : generator.Vendors())
        writer.Insert("VENDORS", Row(v));
    for (const Part& p : generator.Parts())
        writer.Insert("PARTS", Row(p));
    for (const Employee& e : generator.Employees())
        writer.Insert("EMPLOYEE", Row(e));
    result.vendors = static_cast<std::int64_t>(generator.Vendors().size());
    result.parts = static_cast<std::int64_t>(generator.Parts().size());
    result.employees = static_cast<std::int64_t>(generator.Employees().size());

    Order order;
    while (generator.NextOrder(order)) {
        writer.Insert("ORDERS", Row(order));
        for (const Item& item : order.Items)
            writer.Insert("ITEMS", Row(item));
        result.items += static_cast<std::int64_t>(order.Items.size());
        if (options.progress && generator.OrdersDrawn() % ProgressStep == 0)
            options.progress(generator.OrdersDrawn(), generator.OrderCount());
    }
    result.orders = generator.OrdersDrawn();
    if (options.progress)
        options.progress(result.orders, generator.OrderCount());

    // Customers last: their last invoice dates come from the orders.
    for (const Customer& c : generator.Customers())
        writer.Insert("CUSTOMER", Row(c));
    result.customers = static_cast<std::int64_t>(generator.Customers().size());

    result.nextOrderNo = generator.NextOrderNo();
    result.nextCustNo = generator.NextCustNo();
    writer.Insert("NEXTORD", {result.nextOrderNo});
    writer.Insert("NEXTCUST", {result.nextCustNo});
    writer.Flush();
    return result;
}

void CheckOptions(const BuildOptions& options)
{
    if (options.orders < 0)
        throw BuildError("the number of orders cannot be negative");
    if (!options.today.isValid())
        throw BuildError("the reference day is not a valid date");
}

void RemoveTableFile(const QString& path)
{
    for (const char* suffix : {"", "-journal", "-wal", "-shm"}) {
        const QString name = path + suffix;
        if (QFileInfo::exists(name) && !QFile::remove(name))
            throw BuildError(QString("cannot remove %1").arg(QDir::toNativeSeparators(name)));
    }
}

}  // namespace

BuildResult BuildLocal(const QString& folder, const BuildOptions& options)
{
    CheckOptions(options);
    if (folder.isEmpty())
        throw BuildError("no data folder given");
    const QString shownFolder = QDir::toNativeSeparators(folder);
    QFileInfo folderInfo(folder);
    if (folderInfo.exists() && !folderInfo.isDir())
        throw BuildError(QString("%1 exists and is not a folder").arg(shownFolder));
    if (!QDir().mkpath(folder))
        throw BuildError(QString("cannot create the folder %1").arg(shownFolder));
    if (!QFileInfo(folder).isWritable())
        throw BuildError(QString("the folder %1 is not writable").arg(shownFolder));
    const QDir dir(folder);

    QStringList existing;
    for (const TableDef& table : OrderTables()) {
        if (QFileInfo::exists(dir.filePath(LocalFileName(table.name))))
            existing << LocalFileName(table.name);
    }
    if (!existing.isEmpty() && !options.force)
        throw BuildError(QString("%1 already holds %2; use --force to replace them")
                             .arg(shownFolder, existing.join(", ")));

    auto partialPath = [&dir](const TableDef& table) { return dir.filePath(LocalFileName(table.name) + ".partial"); };
    auto removePartials = [&]() {
        for (const TableDef& table : OrderTables())
            QFile::remove(partialPath(table));
    };
    removePartials();

    BuildResult result;
    try {
        Connection connection("QSQLITE");
        QSqlDatabase db = connection.Database();
        db.setDatabaseName(":memory:");
        if (!db.open())
            throw BuildError(QString("cannot open SQLite: %1").arg(ErrorText(db.lastError())));
        QSqlQuery query(db);
        for (const TableDef& table : OrderTables()) {
            const QString path = partialPath(table);
            query.prepare(QString("ATTACH DATABASE ? AS %1").arg(table.name));
            query.addBindValue(path);
            if (!query.exec())
                throw BuildError(QString("cannot write %1: %2")
                                     .arg(QDir::toNativeSeparators(path), ErrorText(query.lastError())));
            // The side files are thrown away if anything fails, so no journal is needed.
            Exec(query, QString("PRAGMA %1.journal_mode = OFF").arg(table.name));
            Exec(query, QString("PRAGMA %1.synchronous = OFF").arg(table.name));
            for (const QString& sql : CreateStatements(table, Dialect::Sqlite))
                Exec(query, sql);
        }
        if (!db.transaction())
            throw BuildError(QString("cannot start a transaction: %1").arg(ErrorText(db.lastError())));
        result = WriteRows(db, Dialect::Sqlite, options);
        if (!db.commit())
            throw BuildError(QString("cannot commit: %1").arg(ErrorText(db.lastError())));
        query.finish();
        for (const TableDef& table : OrderTables())
            Exec(query, QString("DETACH DATABASE %1").arg(table.name));
    } catch (...) {
        removePartials();
        throw;
    }

    for (const TableDef& table : OrderTables()) {
        const QString path = dir.filePath(LocalFileName(table.name));
        RemoveTableFile(path);
        if (!QFile::rename(partialPath(table), path))
            throw BuildError(QString("cannot move %1 into place").arg(QDir::toNativeSeparators(path)));
    }
    return result;
}

BuildResult BuildServer(const ServerLogin& login, const BuildOptions& options)
{
    CheckOptions(options);
    QString host, path;
    int port = 0;
    if (!NamesServerDatabase(login.serverName) || !SplitServerName(login.serverName, host, port, path))
        throw BuildError(QString("'%1' is not a server database name; expected HOST:PATH, "
                                 "for example localhost:/var/lib/firebird/3.0/data/DEZAZAV.GDB")
                             .arg(login.serverName));
    if (!ServerAnswers(host, port))
        throw BuildError(QString("no Firebird server answers on %1:%2; is it running? "
                                 "(scripts/firebird-server installs and starts one)")
                             .arg(host)
                             .arg(port));

    BuildResult result;
    const bool created = !ServerDatabaseExists(login);
    if (created)
        CreateServerDatabase(login);

    try {
        Connection connection("QIBASE");
        QSqlDatabase db = connection.Database();
        db.setDatabaseName(ConnectionName(login));
        db.setUserName(login.user);
        db.setPassword(login.password);
        if (!db.open())
            throw BuildError(QString("cannot open %1: %2").arg(login.serverName, ErrorText(db.lastError())));

        QSqlQuery query(db);
        QStringList existing;
        Exec(query, "SELECT TRIM(RDB$RELATION_NAME) FROM RDB$RELATIONS WHERE COALESCE(RDB$SYSTEM_FLAG, 0) = 0");
        while (query.next()) {
            const QString name = query.value(0).toString();
            for (const TableDef& table : OrderTables()) {
                if (table.name.compare(name, Qt::CaseInsensitive) == 0)
                    existing << table.name;
            }
        }
        query.finish();
        if (!existing.isEmpty() && !options.force)
            throw BuildError(QString("%1 already holds the tables %2; use --force to replace them")
                                 .arg(login.serverName, existing.join(", ")));
        // Each DDL statement commits on its own, so the tables exist before the rows go in.
        for (const QString& name : existing)
            Exec(query, QString("DROP TABLE %1").arg(name));
        for (const TableDef& table : OrderTables()) {
            for (const QString& sql : CreateStatements(table, Dialect::Firebird))
                Exec(query, sql);
        }

        if (!db.transaction())
            throw BuildError(QString("cannot start a transaction: %1").arg(ErrorText(db.lastError())));
        try {
            result = WriteRows(db, Dialect::Firebird, options);
        } catch (...) {
            db.rollback();
            throw;
        }
        if (!db.commit())
            throw BuildError(QString("cannot commit: %1").arg(ErrorText(db.lastError())));
    } catch (...) {
        // A database this run created holds nothing worth keeping after a failure.
        if (created) {
            try {
                DropServerDatabase(login);
            } catch (const BuildError&) {
            }
        }
        throw;
    }
    result.databaseCreated = created;
    return result;
}

}  // namespace vorndata
