// SQL queries. The text is kept as the data module writes it; the dialect step turns
// its ":Name" parameters into bound placeholders.
#include "platform/data/query.h"

#include "platform/data/database.h"

#include <QRegularExpression>

#include <algorithm>

class TQuery::MasterLink : public TDataLink {
public:
    explicit MasterLink(TQuery* q) : FQuery(q) {}
    void DataEvent(int event, TField* field) override
    {
        if (!FQuery->Active() || event == deStateChange || event == deCheckBrowseMode)
            return;
        if (event == deFieldChange && field && !FQuery->FindParam(field->FieldName))
            return;
        QVariantList values;
        FQuery->BindParams(values);
        if (values == FQuery->FLastValues)
            return;
        FQuery->Close();
        FQuery->Open();
    }
    void SourceDestroyed() override { FQuery->FDataSource = nullptr; }
    TQuery* FQuery;
};

TQuery::TQuery(QObject* owner)
    : TDataSet(owner)
{
}

TQuery::~TQuery()
{
    try {
        Close();
    } catch (...) {
    }
    SetDataSource(nullptr);
}

void TQuery::SetDataSource(TDataSource* source)
{
    if (FDataSource && FLink)
        FDataSource->RemoveLink(FLink.get());
    FDataSource = source;
    if (source) {
        if (!FLink)
            FLink = std::make_unique<MasterLink>(this);
        source->AddLink(FLink.get());
    }
}

void TQuery::SyncParams()
{
    QString text = SQL.join("\n");
    if (text == FParamsFor)
        return;
    QStringList names;
    AdaptSql(text, dlSqlite, &names);
    QList<TParam> fresh;
    for (const QString& n : names) {
        bool seen = false;
        for (const TParam& p : fresh)
            seen = seen || p.Name.compare(n, Qt::CaseInsensitive) == 0;
        if (seen)
            continue;
        TParam p;
        p.Name = n;
        for (const TParam& old : FParams)
            if (old.Name.compare(n, Qt::CaseInsensitive) == 0)
                p = old;
        fresh << p;
    }
    FParams = fresh;
    FParamsFor = text;
}

int TQuery::ParamCount()
{
    SyncParams();
    return int(FParams.size());
}

TParam* TQuery::Params(int index)
{
    SyncParams();
    if (index < 0 || index >= FParams.size())
        throw EListError::IndexError(index);
    return &FParams[index];
}

TParam* TQuery::FindParam(const QString& name)
{
    SyncParams();
    for (TParam& p : FParams)
        if (p.Name.compare(name, Qt::CaseInsensitive) == 0)
            return &p;
    return nullptr;
}

TParam* TQuery::ParamByName(const QString& name)
{
    TParam* p = FindParam(name);
    if (!p)
        DatabaseError("Parameter '" + name + "' not found", this);
    return p;
}

QString TQuery::BindParams(QVariantList& values)
{
    TDatabase* db = Database();
    TDialect dialect = db ? db->Dialect() : dlSqlite;
    QStringList names;
    QString sql = AdaptSql(SQL.join("\n"), dialect, &names);
    SyncParams();
    TDataSet* master = FDataSource ? FDataSource->DataSet() : nullptr;
    for (const QString& n : names) {
        TField* mf = master && master->Active() ? master->FindField(n) : nullptr;
        if (mf) {
            values << ToStorage(mf->Value(), mf->DataType(), dialect);
            continue;
        }
        TParam* p = ParamByName(n);
        TFieldType type = p->DataType;
        if (type == ftUnknown)
            type = p->Value.typeId() == QMetaType::Double ? ftFloat : ftString;
        values << ToStorage(p->Value, type, dialect);
    }
    return sql;
}

// ---- paging ----

namespace {

// A token of an adapted statement: a word (upper-cased in Word), a quoted text or
// name, or one punctuation character. Comments are skipped. Depth counts the
// parentheses around the token.
struct TToken {
    int Start = 0, End = 0;
    int Depth = 0;
    QString Word;
    QChar Punct;
};

QVector<TToken> Tokenize(const QString& sql)
{
    QVector<TToken> out;
    const int n = int(sql.size());
    int depth = 0;
    auto isWord = [](QChar c) { return c.isLetterOrNumber() || c == '_' || c == '$'; };
    for (int i = 0; i < n;) {
        const QChar c = sql[i];
        if (c.isSpace()) {
            ++i;
            continue;
        }
        if (c == '-' && i + 1 < n && sql[i + 1] == '-') {
            while (i < n && sql[i] != '\n')
                ++i;
            continue;
        }
        if (c == '/' && i + 1 < n && sql[i + 1] == '*') {
            int j = int(sql.indexOf("*/", i + 2));
            i = j < 0 ? n : j + 2;
            continue;
        }
        TToken t;
        t.Start = i;
        t.Depth = depth;
        if (c == '\'' || c == '"') {
            int j = i + 1;
            while (j < n && !(sql[j] == c && !(j + 1 < n && sql[j + 1] == c)))
                j += sql[j] == c ? 2 : 1;
            i = std::min(j + 1, n);
            t.Punct = c;
        } else if (isWord(c)) {
            int j = i;
            while (j < n && (isWord(sql[j]) || (c.isDigit() && sql[j] == '.')))
                ++j;
            t.Word = sql.mid(i, j - i).toUpper();
            i = j;
        } else {
            t.Punct = c;
            ++i;
            if (c == '(')
                ++depth;
            else if (c == ')')
                depth = std::max(0, depth - 1);
        }
        t.End = i;
        out << t;
    }
    return out;
}

bool IsNumber(const QString& word)
{
    return !word.isEmpty() && word[0].isDigit();
}

} // namespace

// How the open statement is read. Seek mode: the statement is a select from one
// table; its ORDER BY terms and the row's identity become hidden columns at the end
// of each row, and a page is the rows after (or before) the last row's values in that
// order. Position mode: any other statement; a page is read by LIMIT/OFFSET and each
// row carries its position as the hidden column.
class TQuery::Paging {
public:
    TDialect Dialect = dlSqlite;
    QString Statement;      // the adapted SQL, without a trailing ';'
    QVariantList Values;    // its bound parameters
    bool Seek = false;
    QString Inner;          // seek mode: the select with the hidden columns, unordered
    // Seek mode in local data: Inner cut where its own condition starts, so that a page's
    // bound on the first ordering term can go first: SQLite starts its index range at the
    // first bound it meets on a column, and a statement's own "SaleDate >= :FromDate"
    // would otherwise make every page read from the start of the range.
    QString InnerHead, InnerCondition, LeadTerm;
    int ParamsBeforeCondition = 0;
    QStringList Hidden;     // seek mode: the hidden columns' names, in order
    QVector<bool> Desc;     // seek mode: their directions
    bool Wrap = false;      // position mode: the statement limits its rows itself
    QVector<QVector<QVariant>> FirstPage; // read at open, handed out once
    bool HaveFirstPage = false;

    // Plans seek mode; false when the statement is not a plain select from one table.
    bool PlanSeek(TSqlRunner& runner);
    QString OrderBy(bool forward) const;
    QString SeekCondition(const QVector<QVariant>& key, bool forward, bool inclusive, QVariantList& params) const;
    // Inner for the rows from a key on, with the statement's parameters (and the lead
    // bound's) appended to params.
    QString InnerFrom(const QVector<QVariant>* key, bool forward, QVariantList& params) const;
    QString PositionSql(qint64 offset, int count) const;
};

bool TQuery::Paging::PlanSeek(TSqlRunner& runner)
{
    const QVector<TToken> tokens = Tokenize(Statement);
    if (tokens.size() < 4 || tokens[0].Word != "SELECT")
        return false;
    static const QStringList unpageable = {"GROUP", "HAVING", "UNION", "INTERSECT", "EXCEPT", "LIMIT", "OFFSET",
                                           "ROWS", "FETCH", "PLAN", "FOR", "WINDOW", "JOIN", "INTO", "WITH"};
    static const QStringList aggregates = {"COUNT", "SUM", "MIN", "MAX", "AVG", "LIST", "GROUP_CONCAT", "TOTAL", "OVER"};
    const QString first = tokens[1].Word;
    if (first == "DISTINCT" || first == "FIRST" || first == "SKIP" || first == "TOP")
        return false;
    int from = -1, order = -1;
    for (int i = 1; i < tokens.size(); ++i) {
        const TToken& t = tokens[i];
        if (from < 0 && i + 1 < tokens.size() && tokens[i + 1].Punct == '(' && aggregates.contains(t.Word))
            return false;
        if (t.Depth != 0)
            continue;
        if (unpageable.contains(t.Word) || t.Word == "SELECT")
            return false;
        if (t.Word == "FROM") {
            if (from >= 0)
                return false;
            from = i;
        } else if (t.Word == "ORDER" && i + 1 < tokens.size() && tokens[i + 1].Word == "BY") {
            if (order >= 0)
                return false;
            order = i;
        }
    }
    if (from < 2 || (order >= 0 && order < from))
        return false;
    // FROM name [[AS] alias], then WHERE, ORDER BY or the end.
    int i = from + 1;
    const int clauseEnd = order >= 0 ? order : int(tokens.size());
    if (i >= clauseEnd || tokens[i].Word.isEmpty() || IsNumber(tokens[i].Word))
        return false;
    const QString table = Statement.mid(tokens[i].Start, tokens[i].End - tokens[i].Start);
    QString qualifier = table;
    ++i;
    if (i < clauseEnd && tokens[i].Word == "AS")
        ++i;
    if (i < clauseEnd && !tokens[i].Word.isEmpty() && tokens[i].Word != "WHERE") {
        qualifier = Statement.mid(tokens[i].Start, tokens[i].End - tokens[i].Start);
        ++i;
    }
    if (i < clauseEnd && tokens[i].Word != "WHERE")
        return false;
    const int where = i < clauseEnd ? i : -1;
    // The ORDER BY terms, each with its direction.
    QStringList terms;
    QVector<bool> desc;
    if (order >= 0) {
        int start = order + 2;
        for (int j = start; j <= tokens.size(); ++j) {
            if (j < tokens.size() && !(tokens[j].Depth == 0 && tokens[j].Punct == ','))
                continue;
            int end = j;
            bool down = false;
            if (end - 1 >= start) {
                const QString& w = tokens[end - 1].Word;
                if (w == "DESC" || w == "DESCENDING" || w == "ASC" || w == "ASCENDING") {
                    down = w.startsWith("DESC");
                    --end;
                }
            }
            if (end <= start)
                return false;
            for (int k = start; k < end; ++k)
                if (tokens[k].Word == "NULLS" || tokens[k].Word == "COLLATE" || tokens[k].Punct == '?')
                    return false;
            if (end - start == 1 && IsNumber(tokens[start].Word))
                return false; // a position in the select list
            terms << Statement.mid(tokens[start].Start, tokens[end - 1].End - tokens[start].Start);
            desc << down;
            start = j + 1;
        }
    }
    // The row's identity: the rowid in local data, the primary key on a server.
    QStringList identity;
    if (Dialect == dlSqlite) {
        identity << qualifier + ".rowid";
    } else {
        auto keys = runner.Select(
            "SELECT TRIM(s.RDB$FIELD_NAME) FROM RDB$RELATION_CONSTRAINTS c "
            "JOIN RDB$INDEX_SEGMENTS s ON s.RDB$INDEX_NAME = c.RDB$INDEX_NAME "
            "WHERE c.RDB$CONSTRAINT_TYPE = 'PRIMARY KEY' AND c.RDB$RELATION_NAME = ? ORDER BY s.RDB$FIELD_POSITION",
            {table.toUpper()});
        for (const auto& r : keys)
            identity << qualifier + "." + r.value(0).toString().trimmed();
        if (identity.isEmpty())
            return false;
    }
    // The identity follows the last term's direction, so one index scan serves both.
    const bool identityDesc = !desc.isEmpty() && desc.last();
    QStringList hiddenList;
    Hidden.clear();
    Desc.clear();
    for (int t = 0; t < terms.size(); ++t) {
        Hidden << QString("QV_O%1").arg(t + 1);
        Desc << desc[t];
        hiddenList << terms[t] + " AS " + Hidden.last();
    }
    for (int t = 0; t < identity.size(); ++t) {
        Hidden << QString("QV_K%1").arg(t + 1);
        Desc << identityDesc;
        hiddenList << identity[t] + " AS " + Hidden.last();
    }
    // "*" cannot be followed by more columns on a server: it becomes the table's columns.
    QString list = Statement.mid(tokens[1].Start, tokens[from].Start - tokens[1].Start);
    if (from == 2 && tokens[1].Punct == '*')
        list = qualifier + ".* ";
    const int conditionEnd = order >= 0 ? tokens[order].Start : int(Statement.size());
    const int headEnd = where >= 0 ? tokens[where].Start : conditionEnd;
    InnerHead = Statement.left(tokens[1].Start) + list.trimmed() + ", " + hiddenList.join(", ") + " "
        + Statement.mid(tokens[from].Start, headEnd - tokens[from].Start);
    Inner = InnerHead + Statement.mid(headEnd, conditionEnd - headEnd);
    InnerCondition = where >= 0 ? Statement.mid(tokens[where].End, conditionEnd - tokens[where].End).trimmed() : QString();
    LeadTerm = terms.isEmpty() ? identity.value(0) : terms.first();
    ParamsBeforeCondition = 0;
    for (int t = 0; t < tokens.size() && (where < 0 || t < where); ++t)
        if (tokens[t].Punct == '?')
            ++ParamsBeforeCondition;
    Seek = true;
    return true;
}

QString TQuery::Paging::InnerFrom(const QVector<QVariant>* key, bool forward, QVariantList& params) const
{
    const bool up = !Desc.isEmpty() && Desc.first() != forward;
    if (Dialect != dlSqlite || !key || key->value(0).isNull() || !up) {
        params << Values;
        return Inner;
    }
    params << Values.mid(0, ParamsBeforeCondition) << key->value(0) << Values.mid(ParamsBeforeCondition);
    return InnerHead + " WHERE " + LeadTerm + " >= ?"
        + (InnerCondition.isEmpty() ? QString() : " AND (" + InnerCondition + ")");
}

QString TQuery::Paging::OrderBy(bool forward) const
{
    QStringList parts;
    for (int i = 0; i < Hidden.size(); ++i)
        parts << Hidden[i] + (Desc[i] == forward ? " DESC" : "");
    return " ORDER BY " + parts.join(", ");
}

// Rows strictly after (or before) a key of the total order. NULL sorts first in both
// engines when ascending, so it comes last when descending.
QString TQuery::Paging::SeekCondition(const QVector<QVariant>& key, bool forward, bool inclusive,
                                      QVariantList& params) const
{
    const int n = int(Hidden.size());
    QVector<bool> down(n);
    bool allUp = true, anyNull = false;
    for (int i = 0; i < n; ++i) {
        down[i] = Desc[i] == forward;
        allUp = allUp && !down[i];
        anyNull = anyNull || key.value(i).isNull();
    }
    if (Dialect == dlSqlite && allUp && !anyNull) {
        QStringList marks;
        for (int i = 0; i < n; ++i) {
            marks << "?";
            params << key.value(i);
        }
        const QString op = inclusive ? ">=" : ">";
        if (n == 1)
            return Hidden[0] + " " + op + " ?";
        return "(" + Hidden.join(", ") + ") " + op + " (" + marks.join(", ") + ")";
    }
    // A bound on the first column alone lets the engine start at the key in an index.
    QString lead;
    const QVariant& v0 = key.value(0);
    if (!v0.isNull()) {
        lead = down[0] ? "(" + Hidden[0] + " <= ? OR " + Hidden[0] + " IS NULL)" : Hidden[0] + " >= ?";
        params << v0;
    } else if (down[0]) {
        lead = Hidden[0] + " IS NULL";
    }
    QStringList terms;
    for (int i = 0; i <= n; ++i) {
        const bool last = i == n;
        if (last && !inclusive)
            break;
        QStringList parts;
        for (int j = 0; j < i; ++j) {
            const QVariant& v = key.value(j);
            if (v.isNull()) {
                parts << Hidden[j] + " IS NULL";
            } else {
                parts << Hidden[j] + " = ?";
                params << v;
            }
        }
        if (!last) {
            const QVariant& v = key.value(i);
            const QString& c = Hidden[i];
            if (v.isNull()) {
                parts << (down[i] ? QString("1 = 0") : c + " IS NOT NULL");
            } else {
                parts << (down[i] ? "(" + c + " < ? OR " + c + " IS NULL)" : c + " > ?");
                params << v;
            }
        }
        terms << "(" + (parts.isEmpty() ? QString("1 = 1") : parts.join(" AND ")) + ")";
    }
    const QString cond = terms.isEmpty() ? QString("1 = 0") : terms.join(" OR ");
    return lead.isEmpty() ? cond : lead + " AND (" + cond + ")";
}

QString TQuery::Paging::PositionSql(qint64 offset, int count) const
{
    return (Wrap ? "SELECT * FROM (" + Statement + ") QV" : Statement) + LimitClause(Dialect, count, offset);
}

QVector<QVector<QVariant>> TQuery::Read(const QString& sql, const QVariantList& params, qint64 firstPosition)
{
    QVector<QVector<QVariant>> rows = Runner()->Select(sql, params);
    const int visible = FVisibleColumns < 0 ? int(FColumns.size()) : FVisibleColumns;
    for (int n = 0; n < rows.size(); ++n) {
        auto& r = rows[n];
        for (int i = 0; i < r.size() && i < visible; ++i)
            r[i] = FromStorage(r[i], FColumnTypes[i]);
        if (firstPosition >= 0)
            r << QVariant(firstPosition + n);
    }
    return rows;
}

void TQuery::InternalOpen()
{
    TDatabase* db = Database();
    FReadOnly = true;
    QVariantList values;
    QString sql = BindParams(values);
    db->EnsureTablesOf(sql);
    FLastValues = values;
    auto paging = std::make_unique<Paging>();
    paging->Dialect = db->Dialect();
    paging->Values = values;
    sql = sql.trimmed();
    while (sql.endsWith(';'))
        sql = sql.chopped(1).trimmed();
    paging->Statement = sql;

    // The first page tells the columns; it is handed out again as the window's first.
    TSqlRunner& runner = *Runner();
    QStringList names;
    QVector<QVector<QVariant>> rows;
    if (paging->PlanSeek(runner)) {
        try {
            rows = runner.Select("SELECT * FROM (" + paging->Inner + ") QV" + paging->OrderBy(true)
                                     + LimitClause(paging->Dialect, PageSize),
                                 values, &names);
        } catch (const EDatabaseError&) {
            // A statement the plan misread (a view without rowid, an alias in the
            // ORDER BY) is still read correctly by position.
            paging->Seek = false;
            names.clear();
        }
    }
    if (!paging->Seek) {
        const QVector<TToken> tokens = Tokenize(sql);
        for (const TToken& t : tokens)
            if (t.Depth == 0 && (t.Word == "LIMIT" || t.Word == "OFFSET" || t.Word == "ROWS" || t.Word == "FETCH"))
                paging->Wrap = true;
        if (tokens.size() > 1 && (tokens[1].Word == "FIRST" || tokens[1].Word == "SKIP" || tokens[1].Word == "TOP"))
            paging->Wrap = true;
        rows = runner.Select(paging->PositionSql(0, PageSize), values, &names);
        for (int n = 0; n < rows.size(); ++n)
            rows[n] << QVariant(qint64(n));
    }
    const int hidden = paging->Seek ? int(paging->Hidden.size()) : 0;
    const int visible = int(names.size()) - hidden;
    QVector<TFieldType> types(visible, ftUnknown);
    QVector<int> sizes(visible, 20);
    // Types come from the defined fields, else from the values of the first page.
    for (int i = 0; i < visible; ++i) {
        if (TField* f = FindField(names[i]); f && f->FieldKind() == fkData) {
            types[i] = f->DataType();
            sizes[i] = f->Size();
            continue;
        }
        for (const auto& r : rows) {
            const QVariant& v = r[i];
            if (v.isNull())
                continue;
            int t = v.typeId();
            types[i] = t == QMetaType::Double ? ftFloat
                : (t == QMetaType::Int || t == QMetaType::LongLong) ? ftInteger
                : t == QMetaType::QDateTime ? ftDateTime
                : ftString;
            break;
        }
        if (types[i] == ftUnknown)
            types[i] = ftString;
    }
    if (!paging->Seek)
        names << "QV_POS";
    for (int i = visible; i < names.size(); ++i) {
        types << ftUnknown;
        sizes << 0;
    }
    SetColumns(names, types, sizes);
    FVisibleColumns = visible;
    for (auto& r : rows)
        for (int i = 0; i < visible; ++i)
            r[i] = FromStorage(r[i], types[i]);
    FOrderCols.clear();
    for (int i = visible; i < names.size(); ++i)
        FOrderCols << i;
    FOrderDesc = paging->Seek ? paging->Desc : QVector<bool>{false};
    FKeyCols = FOrderCols;
    paging->FirstPage = rows;
    paging->HaveFirstPage = true;
    FPaging = std::move(paging);
}

void TQuery::InternalClose()
{
    FPaging.reset();
}

QVector<QVector<QVariant>> TQuery::FetchRows(const QVector<QVariant>* key, bool forward, bool inclusive, int count)
{
    Paging& p = *FPaging;
    if (!key && forward && p.HaveFirstPage && count == PageSize) {
        p.HaveFirstPage = false;
        return std::move(p.FirstPage);
    }
    p.HaveFirstPage = false;
    p.FirstPage.clear();
    if (p.Seek) {
        QVariantList params;
        const QString inner = p.InnerFrom(key, forward, params);
        QString where;
        if (key)
            where = " WHERE " + p.SeekCondition(*key, forward, inclusive, params);
        return Read("SELECT * FROM (" + inner + ") QV" + where + p.OrderBy(forward) + LimitClause(p.Dialect, count),
                    params);
    }
    if (forward) {
        const qint64 start = key ? key->value(0).toLongLong() + (inclusive ? 0 : 1) : 0;
        return Read(p.PositionSql(start, count), p.Values, start);
    }
    // Backward, nearest first: the rows just before the key, or the last rows.
    const qint64 end = key ? key->value(0).toLongLong() + (inclusive ? 1 : 0) : CountRows();
    const qint64 start = std::max<qint64>(0, end - count);
    if (end <= start)
        return {};
    auto rows = Read(p.PositionSql(start, int(end - start)), p.Values, start);
    std::reverse(rows.begin(), rows.end());
    return rows;
}

QVector<QVector<QVariant>> TQuery::FindRows(const QVector<int>& columns, const QVariantList& values,
                                            TLocateOptions options, const QVector<QVariant>* after, int count)
{
    Paging& p = *FPaging;
    bool plain = p.Seek;
    for (int c : columns)
        plain = plain && c < FVisibleColumns && QRegularExpression("^[A-Za-z_][A-Za-z0-9_$]*$").match(FColumns[c]).hasMatch();
    if (plain) {
        // The statement's own result, narrowed by the values, in its order.
        QStringList conds;
        QVariantList condParams;
        for (int i = 0; i < columns.size(); ++i) {
            const QString c = "QV." + FColumns[columns[i]];
            const QVariant& v = values.value(i);
            const bool text = FColumnTypes[columns[i]] == ftString;
            if (v.isNull()) {
                conds << c + " IS NULL";
                continue;
            }
            QString expr = c;
            if (text && (options & loPartialKey)) {
                const int n = int(v.toString().size());
                expr = p.Dialect == dlSqlite ? QString("SUBSTR(%1, 1, %2)").arg(c).arg(n)
                                             : QString("SUBSTRING(%1 FROM 1 FOR %2)").arg(c).arg(n);
            }
            conds << ((text && (options & loCaseInsensitive)) ? "UPPER(" + expr + ") = UPPER(?)" : expr + " = ?");
            condParams << (text ? QVariant(v.toString()) : ToStorage(v, FColumnTypes[columns[i]], p.Dialect));
        }
        QVariantList params = p.Values;
        params << condParams;
        if (after)
            conds << "(" + p.SeekCondition(*after, true, false, params) + ")";
        return Read("SELECT * FROM (" + p.Inner + ") QV WHERE " + conds.join(" AND ") + p.OrderBy(true)
                        + LimitClause(p.Dialect, count),
                    params);
    }
    // By position: the pages are read in order and matched here.
    QVector<QVector<QVariant>> found;
    QVector<QVariant> key = after ? *after : QVector<QVariant>();
    bool haveKey = after != nullptr;
    for (;;) {
        const int page = std::max(PageSize, 200);
        auto rows = FetchRows(haveKey ? &key : nullptr, true, false, page);
        for (const auto& r : rows)
            if (RowMatches(r, columns, values, options) && found.size() < count)
                found << r;
        if (found.size() >= count || rows.size() < page)
            return found;
        key = OrderKey(rows.last());
        haveKey = true;
    }
}

qint64 TQuery::CountRows()
{
    auto rows = Runner()->Select("SELECT COUNT(*) FROM (" + FPaging->Statement + ") QV", FPaging->Values);
    return rows.isEmpty() ? 0 : rows.first().value(0).toLongLong();
}

QVector<QVector<QVariant>> TQuery::RowsAtOffset(qint64 offset, int count)
{
    const Paging& p = *FPaging;
    if (p.Seek)
        return Read("SELECT * FROM (" + p.Inner + ") QV" + p.OrderBy(true) + LimitClause(p.Dialect, count, offset),
                    p.Values);
    return Read(p.PositionSql(offset, count), p.Values, offset);
}

int TQuery::ExecSQL()
{
    TDatabase* db = Database();
    if (!db)
        DatabaseError("Database '" + DatabaseName + "' not found", this);
    if (!db->Connected())
        db->Open();
    QVariantList values;
    QString sql = BindParams(values);
    db->EnsureTablesOf(sql);
    return db->Runner().Execute(sql, values);
}
