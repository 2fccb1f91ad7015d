// SQL queries. The text is kept as the data module writes it; the dialect step turns
// its ":Name" parameters into bound placeholders.
#include "query.h"

#include "database.h"

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

void TQuery::InternalOpen()
{
    TDatabase* db = Database();
    FReadOnly = true;
    FAllInMemory = true;
    QVariantList values;
    QString sql = BindParams(values);
    db->EnsureTablesOf(sql);
    QStringList names;
    auto rows = db->Runner().Select(sql, values, &names);
    FLastValues = values;
    QVector<TFieldType> types(names.size(), ftUnknown);
    QVector<int> sizes(names.size(), 20);
    // Types come from the defined fields, else from the values themselves.
    for (int i = 0; i < names.size(); ++i) {
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
    SetColumns(names, types, sizes);
    for (auto& r : rows)
        for (int i = 0; i < r.size(); ++i)
            r[i] = FromStorage(r[i], types[i]);
    FOrderCols.clear();
    for (int i = 0; i < names.size(); ++i)
        FOrderCols << i;
    FKeyCols = FOrderCols;
    FLoaded = rows;
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
