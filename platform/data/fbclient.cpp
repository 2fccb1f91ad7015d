// Firebird client calls. Every failure becomes an EDatabaseError carrying the text the
// client library gives for its status vector, so users see the server's own reason.
#include "platform/data/fbclient.h"

#include "platform/core/exceptions.h"

#include <ibase.h>

#include <QDate>
#include <QDateTime>
#include <QTime>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <memory>
#include <vector>

namespace {

// The client library's text for a status vector, one line per message it holds.
std::string StatusText(const ISC_STATUS* status)
{
    std::string text;
    char buf[512];
    const ISC_STATUS* p = status;
    while (fb_interpret(buf, sizeof buf, &p)) {
        if (!text.empty())
            text += "\n";
        text += buf;
    }
    return text.empty() ? std::string("Firebird client error") : text;
}

bool Failed(const ISC_STATUS* status)
{
    return status[0] == 1 && status[1];
}

void Check(const ISC_STATUS* status)
{
    if (Failed(status))
        throw EDatabaseError(StatusText(status));
}

// Whether the status vector carries this error code anywhere in its chain. Items are
// kind and value, except a counted string, which has a length between them.
bool HasError(const ISC_STATUS* status, ISC_STATUS code)
{
    for (const ISC_STATUS* s = status; *s != isc_arg_end; s += *s == isc_arg_cstring ? 3 : 2)
        if (s[0] == isc_arg_gds && s[1] == code)
            return true;
    return false;
}

TFbParameterBlock Login(const QString& user, const QString& password)
{
    TFbParameterBlock dpb(isc_dpb_version1);
    dpb.String(isc_dpb_user_name, user.toUtf8()).String(isc_dpb_password, password.toUtf8());
    return dpb;
}

// Attaches to the database; on failure the handle stays 0 and status says why.
isc_db_handle Attach(const QString& serverName, const TFbParameterBlock& dpb, ISC_STATUS* status)
{
    isc_db_handle db = 0;
    const QByteArray name = ReachableServerName(serverName).toUtf8();
    const std::string& block = dpb.Bytes();
    isc_attach_database(status, short(name.size()), name.constData(), &db, short(block.size()), block.data());
    return Failed(status) ? 0 : db;
}

[[noreturn]] void Fail(const char* what, const QString& serverName, const ISC_STATUS* status)
{
    throw EDatabaseError(std::string(what) + " " + serverName.toStdString() + ": " + StatusText(status));
}

constexpr int kStandardPort = 3050;
QString LocalHost = "localhost";
int LocalPort = kStandardPort;

// A server name read apart; see SplitServerName for the forms.
struct ServerNameParts {
    QString host;
    int port = kStandardPort;
    QString path;
    bool namesHost = false;
    bool valid = true;
};

ServerNameParts ReadServerName(const QString& serverName)
{
    ServerNameParts parts;
    parts.host = LocalHost;
    parts.port = LocalPort;
    parts.path = serverName;
    // An IPv6 address is written in brackets ("[::1]/3050:path"), its colons inside them.
    const bool bracketed = serverName.startsWith('[');
    const int closing = bracketed ? int(serverName.indexOf(']')) : 0;
    if (closing < 0) {
        parts.valid = false;
        return parts;
    }
    const int colon = int(serverName.indexOf(':', closing));
    // A Windows path ("C:\DATA\X.GDB") is not on a host named C; "h:/x.fdb" is on h.
    const bool driveLetter = colon == 1 && serverName[0].isLetter() && serverName.mid(2, 1) == "\\";
    if (colon < 0 || driveLetter) {
        parts.valid = !parts.path.isEmpty();
        return parts;
    }
    parts.namesHost = true;
    QString host = serverName.left(colon);
    parts.path = serverName.mid(colon + 1);
    parts.port = kStandardPort;
    const int slash = int(host.indexOf('/', closing));
    if (slash >= 0) {
        bool number = false;
        parts.port = host.mid(slash + 1).toInt(&number);
        parts.valid = number && parts.port >= 1 && parts.port <= 65535;
        host = host.left(slash);
    }
    if (bracketed) {
        if (host.endsWith(']'))
            host = host.mid(1, host.size() - 2);
        else
            parts.valid = false; // "[::1]x:path"
    }
    parts.host = host;
    if (parts.host.isEmpty() || parts.path.isEmpty())
        parts.valid = false;
    return parts;
}

} // namespace

TFbParameterBlock& TFbParameterBlock::Flag(char tag)
{
    FBytes += tag;
    return *this;
}

TFbParameterBlock& TFbParameterBlock::String(char tag, const QByteArray& value)
{
    const qsizetype length = std::min<qsizetype>(value.size(), 255);
    FBytes += tag;
    FBytes += char(length);
    FBytes.append(value.constData(), length);
    return *this;
}

TFbParameterBlock& TFbParameterBlock::Number(char tag, quint32 value)
{
    FBytes += tag;
    FBytes += char(4);
    for (int i = 0; i < 4; ++i)
        FBytes += char((value >> (8 * i)) & 0xFF);
    return *this;
}

void SetLocalServer(const QString& host, int port)
{
    LocalHost = host;
    LocalPort = port;
}

void LocalServer(QString& host, int& port)
{
    host = LocalHost;
    port = LocalPort;
}

bool SplitServerName(const QString& serverName, QString& host, int& port, QString& path)
{
    const ServerNameParts parts = ReadServerName(serverName);
    host = parts.host;
    port = parts.port;
    path = parts.path;
    return parts.valid;
}

bool NamesServerHost(const QString& serverName)
{
    return ReadServerName(serverName).namesHost;
}

void CreateServerDatabase(const QString& serverName, const QString& user, const QString& password)
{
    // Parameters go in the database parameter block, so nothing is spliced into SQL.
    TFbParameterBlock dpb = Login(user, password);
    dpb.String(isc_dpb_set_db_charset, "UTF8").Number(isc_dpb_sql_dialect, 3).Number(isc_dpb_page_size, 8192);
    const std::string& block = dpb.Bytes();
    ISC_STATUS_ARRAY status = {};
    isc_db_handle db = 0;
    QByteArray name = ReachableServerName(serverName).toUtf8();
    isc_create_database(status, short(name.size()), name.constData(), &db, short(block.size()), block.data(), 0);
    if (Failed(status))
        Fail("Cannot create database", serverName, status);
    isc_detach_database(status, &db);
}

void DropServerDatabase(const QString& serverName, const QString& user, const QString& password)
{
    ISC_STATUS_ARRAY status = {};
    isc_db_handle db = Attach(serverName, Login(user, password), status);
    if (!db)
        Fail("Cannot drop database", serverName, status);
    isc_drop_database(status, &db);
    if (Failed(status)) {
        ISC_STATUS_ARRAY ignored = {};
        isc_detach_database(ignored, &db);
        Fail("Cannot drop database", serverName, status);
    }
}

bool ServerDatabaseExists(const QString& serverName, const QString& user, const QString& password)
{
    ISC_STATUS_ARRAY status = {};
    isc_db_handle db = Attach(serverName, Login(user, password), status);
    if (db) {
        isc_detach_database(status, &db);
        return true;
    }
    // Only the server's failure to open the file tells a missing database from a
    // refused login.
    if (HasError(status, isc_io_error))
        return false;
    Fail("Cannot open database", serverName, status);
}

QStringList ResolveHost(const QString& host)
{
    addrinfo hints = {};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    QStringList addresses;
    if (getaddrinfo(host.toUtf8().constData(), nullptr, &hints, &found) != 0)
        return addresses;
    for (addrinfo* a = found; a; a = a->ai_next) {
        char text[NI_MAXHOST];
        if (getnameinfo(a->ai_addr, a->ai_addrlen, text, sizeof text, nullptr, 0, NI_NUMERICHOST) == 0
            && !addresses.contains(QString::fromLatin1(text)))
            addresses << QString::fromLatin1(text);
    }
    freeaddrinfo(found);
    return addresses;
}

namespace {

bool Answers(const QString& address, int port)
{
    addrinfo hints = {};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICHOST | AI_NUMERICSERV;
    addrinfo* found = nullptr;
    if (getaddrinfo(address.toLatin1().constData(), QByteArray::number(port).constData(), &hints, &found) != 0)
        return false;
    bool answered = false;
    int fd = ::socket(found->ai_family, found->ai_socktype, found->ai_protocol);
    if (fd >= 0) {
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
        if (::connect(fd, found->ai_addr, found->ai_addrlen) == 0) {
            answered = true;
        } else if (errno == EINPROGRESS) {
            pollfd p = {fd, POLLOUT, 0};
            if (::poll(&p, 1, 1000) == 1) {
                int err = 0;
                socklen_t len = sizeof err;
                ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len);
                answered = err == 0;
            }
        }
        ::close(fd);
    }
    freeaddrinfo(found);
    return answered;
}

} // namespace

QString FirstAnsweringAddress(const QStringList& addresses, int port)
{
    for (const QString& address : addresses)
        if (Answers(address, port))
            return address.contains(':') ? "[" + address + "]" : address;
    return QString();
}

QString AnsweringAddress(const QString& host, int port)
{
    return FirstAnsweringAddress(ResolveHost(host), port);
}

bool ServerAnswers(const QString& host, int port)
{
    return !AnsweringAddress(host, port).isEmpty();
}

QString ReachableServerName(const QString& serverName)
{
    QString host, path;
    int port;
    if (!SplitServerName(serverName, host, port, path))
        throw EDatabaseError("'" + serverName.toStdString()
                             + "' is not a server database name: host:path, host/port:path or a path");
    const QString address = AnsweringAddress(host, port);
    // Fail at once with a plain message rather than the client's long timeout.
    if (address.isEmpty())
        throw EDatabaseError("The database server is not running on " + host.toStdString() + ":" + std::to_string(port));
    return address + "/" + QString::number(port) + ":" + path;
}

TFbTransaction::TFbTransaction(void* dbHandle, const QString& lockTable)
    : FDb(dbHandle)
{
    if (!FDb || !*static_cast<isc_db_handle*>(FDb))
        throw EDatabaseError("Not connected to a Firebird database");
    TFbParameterBlock tpb(isc_tpb_version3);
    tpb.Flag(isc_tpb_write).Flag(isc_tpb_nowait).Flag(isc_tpb_concurrency);
    if (!lockTable.isEmpty())
        tpb.String(isc_tpb_lock_write, lockTable.toUpper().toUtf8()).Flag(isc_tpb_protected);
    const std::string& block = tpb.Bytes();
    ISC_STATUS_ARRAY status = {};
    isc_tr_handle tr = 0;
    isc_start_transaction(status, &tr, 1, static_cast<isc_db_handle*>(FDb), (unsigned short)block.size(),
                          block.data());
    Check(status);
    FTrans = tr;
}

TFbTransaction::~TFbTransaction()
{
    try {
        Rollback();
    } catch (...) {
    }
}

void TFbTransaction::Commit()
{
    if (!FTrans)
        return;
    ISC_STATUS_ARRAY status = {};
    isc_tr_handle tr = FTrans;
    isc_commit_transaction(status, &tr);
    Check(status);
    FTrans = 0;
}

void TFbTransaction::Rollback()
{
    if (!FTrans)
        return;
    ISC_STATUS_ARRAY status = {};
    isc_tr_handle tr = FTrans;
    FTrans = 0;
    isc_rollback_transaction(status, &tr);
    Check(status);
}

QVector<QVector<QVariant>> TFbTransaction::Select(const QString& sql, const QVariantList& params, QStringList* columnNames)
{
    QVector<QVector<QVariant>> rows;
    Run(sql, params, &rows, columnNames);
    return rows;
}

int TFbTransaction::Execute(const QString& sql, const QVariantList& params)
{
    return Run(sql, params, nullptr, nullptr);
}

namespace {

struct Sqlda {
    explicit Sqlda(int n)
        : mem(XSQLDA_LENGTH(std::max(n, 1)), 0)
    {
        da()->version = SQLDA_VERSION1;
        da()->sqln = short(std::max(n, 1));
    }
    XSQLDA* da() { return reinterpret_cast<XSQLDA*>(mem.data()); }
    std::vector<char> mem;
};

QVariant ReadVar(const XSQLVAR& v)
{
    if ((v.sqltype & 1) && *v.sqlind < 0)
        return QVariant();
    const char* d = v.sqldata;
    double scale = 1;
    for (int i = 0; i < -v.sqlscale; ++i)
        scale *= 10;
    switch (v.sqltype & ~1) {
    case SQL_DOUBLE:
    case SQL_D_FLOAT: { double x; std::memcpy(&x, d, 8); return x; }
    case SQL_FLOAT: { float x; std::memcpy(&x, d, 4); return double(x); }
    case SQL_SHORT: { short x; std::memcpy(&x, d, 2); return v.sqlscale ? QVariant(x / scale) : QVariant(int(x)); }
    case SQL_LONG: { ISC_LONG x; std::memcpy(&x, d, 4); return v.sqlscale ? QVariant(x / scale) : QVariant(int(x)); }
    case SQL_INT64: { ISC_INT64 x; std::memcpy(&x, d, 8); return v.sqlscale ? QVariant(double(x) / scale) : QVariant(qlonglong(x)); }
    case SQL_BOOLEAN: return bool(*d);
    case SQL_TEXT: return QString::fromUtf8(d, v.sqllen).trimmed();
    case SQL_VARYING: { short len; std::memcpy(&len, d, 2); return QString::fromUtf8(d + 2, len); }
    case SQL_TIMESTAMP: {
        ISC_TIMESTAMP ts; std::memcpy(&ts, d, sizeof ts);
        return QDateTime(QDate(1858, 11, 17).addDays(ts.timestamp_date), QTime(0, 0).addMSecs(int(ts.timestamp_time / 10)));
    }
    case SQL_TYPE_DATE: { ISC_DATE x; std::memcpy(&x, d, 4); return QDateTime(QDate(1858, 11, 17).addDays(x), QTime(0, 0)); }
    case SQL_TYPE_TIME: { ISC_TIME x; std::memcpy(&x, d, 4); return QTime(0, 0).addMSecs(int(x / 10)); }
    default: return QVariant();
    }
}

} // namespace

int TFbTransaction::Run(const QString& sql, const QVariantList& params, QVector<QVector<QVariant>>* rows, QStringList* columnNames)
{
    if (!FTrans)
        throw EDatabaseError("The reserving transaction has ended");
    ISC_STATUS_ARRAY status = {};
    isc_stmt_handle stmt = 0;
    isc_tr_handle tr = FTrans;
    isc_dsql_allocate_statement(status, static_cast<isc_db_handle*>(FDb), &stmt);
    Check(status);
    struct Free { isc_stmt_handle* s; ~Free() { ISC_STATUS_ARRAY st; isc_dsql_free_statement(st, s, DSQL_drop); } } freeStmt{&stmt};

    Sqlda out(32);
    QByteArray text = sql.toUtf8();
    isc_dsql_prepare(status, &tr, &stmt, 0, text.constData(), SQL_DIALECT_V6, out.da());
    Check(status);
    if (out.da()->sqld > out.da()->sqln) {
        out = Sqlda(out.da()->sqld);
        isc_dsql_describe(status, &stmt, SQL_DIALECT_V6, out.da());
        Check(status);
    }
    Sqlda in(int(params.size()));
    isc_dsql_describe_bind(status, &stmt, SQL_DIALECT_V6, in.da());
    Check(status);
    if (in.da()->sqld != params.size())
        throw EDatabaseError("Parameter count mismatch");
    std::vector<std::vector<char>> inBufs(params.size());
    std::vector<short> inInd(params.size());
    for (int i = 0; i < params.size(); ++i) {
        XSQLVAR& v = in.da()->sqlvar[i];
        const QVariant& p = params[i];
        std::vector<char>& b = inBufs[i];
        inInd[i] = 0;
        v.sqlind = &inInd[i];
        if (p.isNull()) {
            v.sqltype = short(v.sqltype | 1);
            inInd[i] = -1;
            b.resize(std::max<int>(v.sqllen, 8) + 2);
        } else if (p.typeId() == QMetaType::QDateTime || p.typeId() == QMetaType::QDate) {
            QDateTime dt = p.toDateTime();
            ISC_TIMESTAMP ts;
            ts.timestamp_date = ISC_DATE(QDate(1858, 11, 17).daysTo(dt.date()));
            ts.timestamp_time = ISC_TIME(dt.time().msecsSinceStartOfDay()) * 10;
            b.resize(sizeof ts);
            std::memcpy(b.data(), &ts, sizeof ts);
            v.sqltype = SQL_TIMESTAMP | 1;
            v.sqllen = sizeof ts;
        } else if (p.typeId() == QMetaType::Double || p.typeId() == QMetaType::Float) {
            double x = p.toDouble();
            b.resize(8);
            std::memcpy(b.data(), &x, 8);
            v.sqltype = SQL_DOUBLE | 1;
            v.sqllen = 8;
            v.sqlscale = 0;
        } else if (p.typeId() == QMetaType::Int || p.typeId() == QMetaType::LongLong || p.typeId() == QMetaType::Bool
                   || p.typeId() == QMetaType::UInt || p.typeId() == QMetaType::ULongLong) {
            ISC_INT64 x = p.toLongLong();
            b.resize(8);
            std::memcpy(b.data(), &x, 8);
            v.sqltype = SQL_INT64 | 1;
            v.sqllen = 8;
            v.sqlscale = 0;
        } else {
            QByteArray s = p.toString().toUtf8();
            b.assign(s.begin(), s.end());
            b.push_back(0);
            v.sqltype = SQL_TEXT | 1;
            v.sqllen = short(s.size());
            v.sqlsubtype = 0;
        }
        v.sqldata = b.data();
    }

    XSQLDA* o = out.da();
    std::vector<std::vector<char>> outBufs(o->sqld);
    std::vector<short> outInd(o->sqld);
    for (int i = 0; i < o->sqld; ++i) {
        XSQLVAR& v = o->sqlvar[i];
        int len = v.sqllen;
        if ((v.sqltype & ~1) == SQL_VARYING)
            len += 2;
        outBufs[i].resize(std::max(len, 8) + 1);
        v.sqldata = outBufs[i].data();
        v.sqlind = &outInd[i];
        if (columnNames)
            columnNames->append(QString::fromUtf8(v.aliasname, v.aliasname_length));
    }

    bool isSelect = o->sqld > 0;
    isc_dsql_execute(status, &tr, &stmt, SQL_DIALECT_V6, params.isEmpty() ? nullptr : in.da());
    Check(status);
    if (isSelect && rows) {
        for (;;) {
            ISC_STATUS rc = isc_dsql_fetch(status, &stmt, SQL_DIALECT_V6, o);
            if (rc == 100)
                break;
            Check(status);
            QVector<QVariant> row(o->sqld);
            for (int i = 0; i < o->sqld; ++i)
                row[i] = ReadVar(o->sqlvar[i]);
            rows->append(row);
        }
        return int(rows->size());
    }
    // Rows affected, from the statement's info.
    char item = isc_info_sql_records;
    char buf[64] = {};
    isc_dsql_sql_info(status, &stmt, 1, &item, sizeof buf, buf);
    Check(status);
    int affected = 0;
    if (buf[0] == isc_info_sql_records) {
        const char* p = buf + 3;
        while (*p != isc_info_end) {
            char kind = *p++;
            short len = short(isc_vax_integer(p, 2));
            p += 2;
            int n = int(isc_vax_integer(p, len));
            p += len;
            if (kind == isc_info_req_update_count || kind == isc_info_req_delete_count || kind == isc_info_req_insert_count)
                affected += n;
        }
    }
    return affected;
}
