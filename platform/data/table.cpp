// Stored tables: the SQL of paging, seeking, locating and writing one table. Only
// checked plain names and placeholders reach the SQL text; every value is bound.
#include "platform/data/table.h"

#include "platform/data/database.h"
#include "platform/data/fbclient.h"
#include "platform/data/localstore.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>

#include <atomic>

namespace {

// The one message for a table another program holds: the user can do nothing with
// the driver's words, only wait or ask the other user.
[[noreturn]] void TableInUse(const QString& table)
{
    throw EDatabaseError(("Table " + table + " is in use by another user.").toStdString());
}

const char* const kChangedByAnotherUser = "Record changed by another user";

} // namespace

class TTable::MasterLink : public TDataLink {
public:
    explicit MasterLink(TTable* t) : FTable(t) {}
    void DataEvent(int event, TField* field) override
    {
        if (!FTable->Active())
            return;
        if (event == deCheckBrowseMode) {
            if (FTable->State() == dsEdit || FTable->State() == dsInsert)
                FTable->CheckBrowseMode();
            return;
        }
        if (event == deFieldChange && field) {
            bool ours = false;
            for (const QString& n : FTable->MasterFields.split(';', Qt::SkipEmptyParts))
                ours = ours || n.trimmed().compare(field->FieldName, Qt::CaseInsensitive) == 0;
            if (!ours)
                return;
        }
        QVector<QVariant> values;
        bool none;
        FTable->ReadMaster(values, none);
        FTable->MasterChanged(values, none);
    }
    void SourceDestroyed() override { FTable->FMasterSource = nullptr; }
    TTable* FTable;
};

TTable::TTable(QObject* owner)
    : TDataSet(owner)
{
    static std::atomic<int> counter{0};
    FConnName = QString("quorvale-excl-%1-%2").arg(QCoreApplication::applicationPid()).arg(++counter);
}

TTable::~TTable()
{
    try {
        Close();
    } catch (...) {
    }
    SetMasterSource(nullptr);
}

void TTable::SetMasterSource(TDataSource* source)
{
    if (FMasterSource && FLink)
        FMasterSource->RemoveLink(FLink.get());
    FMasterSource = source;
    if (source) {
        if (!FLink)
            FLink = std::make_unique<MasterLink>(this);
        source->AddLink(FLink.get());
    }
}

void TTable::ReadMaster(QVector<QVariant>& values, bool& none) const
{
    values.clear();
    TDataSet* master = FMasterSource ? FMasterSource->DataSet() : nullptr;
    none = !master || !master->Active() || (master->IsEmpty() && master->State() != dsInsert);
    for (const QString& n : MasterFields.split(';', Qt::SkipEmptyParts))
        values << (none ? QVariant() : master->FieldByName(n.trimmed())->Value());
}

TSqlRunner* TTable::Runner()
{
    return FOwnRunner ? FOwnRunner.get() : TDataSet::Runner();
}

QVector<QVector<QVariant>> TTable::Read(const QString& sql, const QVariantList& params)
{
    QVector<QVector<QVariant>> rows = Runner()->Select(sql, params);
    for (auto& r : rows)
        for (int i = 0; i < r.size() && i < FColumnTypes.size(); ++i)
            r[i] = FromStorage(r[i], FColumnTypes[i]);
    return rows;
}

void TTable::ReadColumns()
{
    QString table = CheckName(TableName).toUpper();
    QStringList names;
    QVector<TFieldType> types;
    QVector<int> sizes;
    QStringList keys;
    if (FDialect == dlSqlite) {
        auto rows = Runner()->Select("SELECT name, type, pk FROM pragma_table_info(?, ?)",
                                     {table, FOwnRunner ? QString("main") : table});
        std::vector<std::pair<int, QString>> pk;
        for (const auto& r : rows) {
            int size;
            names << r[0].toString();
            types << TypeFromDecl(r[1].toString(), &size);
            sizes << size;
            if (r[2].toInt() > 0)
                pk.emplace_back(r[2].toInt(), r[0].toString());
        }
        std::sort(pk.begin(), pk.end());
        for (const auto& p : pk)
            keys << p.second;
        if (keys.isEmpty()) {
            names << "rowid";
            types << ftInteger;
            sizes << 0;
            keys << "rowid";
        }
    } else {
        auto rows = Runner()->Select(
            "SELECT TRIM(r.RDB$FIELD_NAME), f.RDB$FIELD_TYPE, f.RDB$CHARACTER_LENGTH, f.RDB$FIELD_SCALE "
            "FROM RDB$RELATION_FIELDS r JOIN RDB$FIELDS f ON f.RDB$FIELD_NAME = r.RDB$FIELD_SOURCE "
            "WHERE r.RDB$RELATION_NAME = ? ORDER BY r.RDB$FIELD_POSITION", {table});
        for (const auto& r : rows) {
            names << r[0].toString().trimmed();
            int t = r[1].toInt();
            int scale = r[3].toInt();
            TFieldType ft = ftString;
            if (t == 27 || t == 10 || scale < 0)
                ft = ftFloat;
            else if (t == 7 || t == 8 || t == 16)
                ft = ftInteger;
            else if (t == 35 || t == 12 || t == 13)
                ft = ftDateTime;
            else if (t == 23)
                ft = ftBoolean;
            types << ft;
            sizes << (ft == ftString ? r[2].toInt() : 0);
        }
        auto pk = Runner()->Select(
            "SELECT TRIM(s.RDB$FIELD_NAME) FROM RDB$RELATION_CONSTRAINTS c "
            "JOIN RDB$INDEX_SEGMENTS s ON s.RDB$INDEX_NAME = c.RDB$INDEX_NAME "
            "WHERE c.RDB$CONSTRAINT_TYPE = 'PRIMARY KEY' AND c.RDB$RELATION_NAME = ? ORDER BY s.RDB$FIELD_POSITION",
            {table});
        for (const auto& r : pk)
            keys << r[0].toString().trimmed();
        if (keys.isEmpty())
            keys = names;
    }
    if (names.isEmpty())
        DatabaseError("Table does not exist: " + TableName, this);
    SetColumns(names, types, sizes);
    FKeyCols = ColumnList(keys.join(';'));
    FOrderCols = IndexFieldNames.isEmpty() ? QVector<int>() : ColumnList(IndexFieldNames);
    for (int k : FKeyCols)
        if (!FOrderCols.contains(k))
            FOrderCols << k;
}

void TTable::InternalOpen()
{
    TDatabase* db = Database();
    FDialect = db->Dialect();
    FReadOnly = ReadOnly;
    QString table = CheckName(TableName).toUpper();
    if (Exclusive) {
        // An exclusive open reserves the table for writing.
        db->CheckWritable();
        if (FDialect == dlSqlite) {
            QString file = LocalTableFile(db->LocalFolder(), table);
            if (!QFileInfo::exists(file))
                DatabaseError("Table does not exist: " + file, this);
            QSqlDatabase c = QSqlDatabase::addDatabase("QSQLITE", FConnName);
            c.setDatabaseName(file);
            // No busy wait: a held table fails at once.
            c.setConnectOptions("QSQLITE_BUSY_TIMEOUT=0");
            bool ok = c.open();
            QSqlError err = c.lastError();
            if (ok) {
                QSqlQuery q(c);
                ok = q.exec("BEGIN EXCLUSIVE");
                err = q.lastError();
            }
            if (!ok) {
                c.close();
                c = QSqlDatabase();
                QSqlDatabase::removeDatabase(FConnName);
                // SQLITE_BUSY or SQLITE_LOCKED (or an extended code of either): another
                // connection holds the file.
                const int code = err.nativeErrorCode().toInt() & 0xff;
                if (code == 5 || code == 6)
                    TableInUse(table);
                DatabaseError("Cannot open table " + table + ": " + err.text(), this);
            }
            FOwnRunner = MakeQSqlRunner(c);
        } else {
            QVariant h = db->Connection().driver()->handle();
            // QIBASE hands out the attachment handle by value (older versions a pointer).
            if (QByteArray(h.typeName()).endsWith('*'))
                FDbHandle = **static_cast<unsigned int* const*>(h.constData());
            else
                FDbHandle = *static_cast<const unsigned int*>(h.constData());
            void* handle = &FDbHandle;
            try {
                FFbLock = std::make_unique<TFbTransaction>(handle, table);
            } catch (const EDatabaseError& e) {
                const QString reason = QString::fromStdString(e.Message);
                if (reason.contains("lock conflict", Qt::CaseInsensitive) || reason.contains("deadlock", Qt::CaseInsensitive))
                    TableInUse(table);
                DatabaseError("Cannot open table " + table + ": " + reason, this);
            }
            FOwnRunner = MakeFbRunner(FFbLock.get());
        }
    } else {
        db->EnsureTables({table});
    }
    ReadColumns();
    FFilterCols.clear();
    FFilterValues.clear();
    FFilterNone = false;
    if (FMasterSource) {
        QStringList masterNames = MasterFields.split(';', Qt::SkipEmptyParts);
        QStringList index = IndexFieldNames.split(';', Qt::SkipEmptyParts);
        QStringList detail = index.size() >= masterNames.size() ? index.mid(0, masterNames.size()) : masterNames;
        FFilterCols = ColumnList(detail.join(';'));
        bool none;
        ReadMaster(FFilterValues, none);
        FFilterNone = none;
        for (const QVariant& v : FFilterValues)
            if (v.isNull())
                FFilterNone = true;
    }
}

void TTable::InternalClose()
{
    FOwnRunner.reset();
    if (FFbLock) {
        auto lock = std::move(FFbLock);
        lock->Commit();
    }
    if (QSqlDatabase::contains(FConnName)) {
        QString err;
        {
            QSqlDatabase c = QSqlDatabase::database(FConnName, false);
            QSqlQuery q(c);
            if (!q.exec("COMMIT")) {
                err = q.lastError().text();
                q.exec("ROLLBACK");
            }
            c.close();
        }
        QSqlDatabase::removeDatabase(FConnName);
        if (!err.isEmpty())
            DatabaseError("Cannot write table " + TableName + ": " + err, this);
    }
}

QVariant TTable::Stored(int column, const QVariant& v) const
{
    return ToStorage(v, FColumnTypes.value(column), FDialect);
}

QString TTable::SelectList() const
{
    return FColumns.join(", ");
}

QString TTable::Where(QVariantList& params, const QString& extra) const
{
    QStringList conds;
    for (int i = 0; i < FFilterCols.size(); ++i) {
        conds << FColumns[FFilterCols[i]] + " = ?";
        params << Stored(FFilterCols[i], FFilterValues.value(i));
    }
    if (!extra.isEmpty())
        conds << "(" + extra + ")";
    return conds.isEmpty() ? QString() : " WHERE " + conds.join(" AND ");
}

QString TTable::OrderBy(bool forward) const
{
    QStringList parts;
    for (int c : FOrderCols)
        parts << FColumns[c] + (forward ? "" : " DESC");
    return " ORDER BY " + parts.join(", ");
}

// Rows after (or before) a key of the total order. NULL sorts first in both engines.
QString TTable::Seek(const QVector<QVariant>& key, bool forward, bool inclusive, QVariantList& params) const
{
    bool anyNull = false;
    for (const QVariant& v : key)
        anyNull = anyNull || v.isNull();
    const char* op = forward ? (inclusive ? ">=" : ">") : (inclusive ? "<=" : "<");
    if (FDialect == dlSqlite && !anyNull) {
        QStringList cols, marks;
        for (int i = 0; i < FOrderCols.size(); ++i) {
            cols << FColumns[FOrderCols[i]];
            marks << "?";
            params << Stored(FOrderCols[i], key.value(i));
        }
        if (cols.size() == 1)
            return cols[0] + " " + op + " ?";
        return "(" + cols.join(", ") + ") " + op + " (" + marks.join(", ") + ")";
    }
    QStringList terms;
    for (int i = 0; i <= FOrderCols.size(); ++i) {
        bool last = i == FOrderCols.size();
        if (last && !inclusive)
            break;
        QStringList parts;
        for (int j = 0; j < i; ++j) {
            const QVariant& v = key.value(j);
            QString c = FColumns[FOrderCols[j]];
            if (v.isNull())
                parts << c + " IS NULL";
            else {
                parts << c + " = ?";
                params << Stored(FOrderCols[j], v);
            }
        }
        if (!last) {
            const QVariant& v = key.value(i);
            QString c = FColumns[FOrderCols[i]];
            if (forward)
                parts << (v.isNull() ? c + " IS NOT NULL" : c + " > ?");
            else
                parts << (v.isNull() ? QString("1 = 0") : "(" + c + " < ? OR " + c + " IS NULL)");
            if (!v.isNull())
                params << Stored(FOrderCols[i], v);
        }
        terms << "(" + (parts.isEmpty() ? QString("1 = 1") : parts.join(" AND ")) + ")";
    }
    return terms.isEmpty() ? QString("1 = 0") : terms.join(" OR ");
}

QVector<QVector<QVariant>> TTable::FetchRows(const QVector<QVariant>* key, bool forward, bool inclusive, int count)
{
    QVariantList params;
    QString where = Where(params);
    if (key) {
        QVariantList seekParams;
        QString seek = Seek(*key, forward, inclusive, seekParams);
        where = Where(params = QVariantList(), seek);
        params << seekParams;
    }
    return Read("SELECT " + SelectList() + " FROM " + TableName.toUpper() + where + OrderBy(forward)
                    + LimitClause(FDialect, count),
                params);
}

QVector<QVector<QVariant>> TTable::FindRows(const QVector<int>& columns, const QVariantList& values,
                                            TLocateOptions options, const QVector<QVariant>* after, int count)
{
    QStringList conds;
    QVariantList condParams;
    for (int i = 0; i < columns.size(); ++i) {
        QString c = FColumns[columns[i]];
        const QVariant& v = values.value(i);
        bool text = FColumnTypes[columns[i]] == ftString;
        if (v.isNull()) {
            conds << c + " IS NULL";
            continue;
        }
        QString expr = c;
        if (text && (options & loPartialKey)) {
            int n = int(v.toString().size());
            expr = FDialect == dlSqlite ? QString("SUBSTR(%1, 1, %2)").arg(c).arg(n)
                                        : QString("SUBSTRING(%1 FROM 1 FOR %2)").arg(c).arg(n);
        }
        if (text && (options & loCaseInsensitive))
            conds << "UPPER(" + expr + ") = UPPER(?)";
        else
            conds << expr + " = ?";
        condParams << (text ? QVariant(v.toString()) : Stored(columns[i], v));
    }
    QVariantList seekParams;
    if (after)
        conds << "(" + Seek(*after, true, false, seekParams) + ")";
    QVariantList params;
    QString where = Where(params, conds.join(" AND "));
    params << condParams << seekParams;
    return Read("SELECT " + SelectList() + " FROM " + TableName.toUpper() + where + OrderBy(true)
                    + LimitClause(FDialect, count),
                params);
}

qint64 TTable::CountRows()
{
    QVariantList params;
    QString where = Where(params);
    auto rows = Runner()->Select("SELECT COUNT(*) FROM " + TableName.toUpper() + where, params);
    return rows.isEmpty() ? 0 : rows.first().value(0).toLongLong();
}

QVector<QVector<QVariant>> TTable::RowsAtOffset(qint64 offset, int count)
{
    QVariantList params;
    QString where = Where(params);
    return Read("SELECT " + SelectList() + " FROM " + TableName.toUpper() + where + OrderBy(true)
                    + LimitClause(FDialect, count, offset),
                params);
}

// A value as read compares with what is stored now in the stored form: null only with
// null; local dates as instants, whatever text form holds them; server timestamps to
// the millisecond they were read with (the driver drops the tenths of a millisecond).
QString TTable::StillHolds(int column, const QVariant& v, QVariantList& params) const
{
    const QString c = FColumns[column];
    const bool date = FColumnTypes.value(column) == ftDateTime;
    if (date && FDialect == dlSqlite) {
        auto instant = [](const QString& x) { return "strftime('%Y-%m-%dT%H:%M:%f', " + x + ")"; };
        if (v.isNull())
            return instant(c) + " IS NULL";
        params << Stored(column, v);
        return instant(c) + " = " + instant("?");
    }
    if (v.isNull())
        return c + " IS NULL";
    if (date) {
        // Equal, or within the millisecond read (a DATE column matches on the first term).
        params << Stored(column, v) << Stored(column, v) << Stored(column, v.toDouble() + 1.0 / 86400000.0);
        return "(" + c + " = ? OR (" + c + " > ? AND " + c + " < ?))";
    }
    params << Stored(column, v);
    return c + " = ?";
}

void TTable::WriteChange(TSqlRunner& given, TUpdateKind kind, const QVector<QVariant>& oldValues,
                         const QVector<QVariant>& newValues)
{
    if (TDatabase* db = Database())
        db->CheckWritable();
    // A held table writes inside its own reservation.
    TSqlRunner& runner = FOwnRunner ? *FOwnRunner : given;
    const QString table = TableName.toUpper();
    auto hidden = [&](int c) { return FColumns[c].compare("rowid", Qt::CaseInsensitive) == 0; };
    if (kind == ukInsert) {
        QStringList cols, marks;
        QVariantList params;
        for (int c = 0; c < FColumns.size(); ++c) {
            if (hidden(c))
                continue;
            cols << FColumns[c];
            marks << "?";
            params << Stored(c, newValues.value(c));
        }
        runner.Execute("INSERT INTO " + table + " (" + cols.join(", ") + ") VALUES (" + marks.join(", ") + ")", params);
        return;
    }
    // The row is found by its key as read; an edit also requires the columns it changes,
    // a delete every column, to hold what was read. Otherwise another user changed or
    // deleted the row since, and writing would silently undo that user's work.
    QStringList sets;
    QVariantList setParams;
    QVector<int> compared;
    for (int c = 0; c < FColumns.size(); ++c) {
        if (hidden(c))
            continue;
        const QVariant& o = oldValues.value(c);
        const QVariant& n = newValues.value(c);
        const bool changed = !(o.isNull() == n.isNull() && (o.isNull() || o == n));
        if (kind == ukModify && changed) {
            sets << FColumns[c] + " = ?";
            setParams << Stored(c, n);
        }
        if ((kind == ukDelete || changed) && !FKeyCols.contains(c))
            compared << c;
    }
    if (kind == ukModify && sets.isEmpty())
        return;
    QStringList conds;
    QVariantList condParams;
    for (int c : FKeyCols) {
        const QVariant& v = oldValues.value(c);
        if (v.isNull())
            conds << FColumns[c] + " IS NULL";
        else {
            conds << FColumns[c] + " = ?";
            condParams << Stored(c, v);
        }
    }
    for (int c : compared)
        conds << StillHolds(c, oldValues.value(c), condParams);
    const QString sql = kind == ukModify
        ? "UPDATE " + table + " SET " + sets.join(", ") + " WHERE " + conds.join(" AND ")
        : "DELETE FROM " + table + " WHERE " + conds.join(" AND ");
    int written = 0;
    try {
        written = runner.Execute(sql, setParams + condParams);
    } catch (const EDatabaseError& e) {
        // A server transaction meets a version of the row committed after it began.
        if (QString::fromStdString(e.Message).contains("concurrent update", Qt::CaseInsensitive))
            throw EDatabaseError(kChangedByAnotherUser);
        throw;
    }
    if (written == 0)
        throw EDatabaseError(kChangedByAnotherUser);
}
