#include "platform/reports/expression.h"

#include "platform/core/convert.h"
#include "platform/data/dataset.h"
#include "platform/data/field.h"
#include "platform/reports/expr_format.h"
#include "platform/reports/expr_parse.h"

#include <QDateTime>

#include <cmath>
#include <vector>

namespace {

enum TValueType { vtNull, vtText, vtNumber, vtBoolean, vtDate };

TValueType TypeOf(const TExprValue& v)
{
    switch (v.typeId()) {
    case QMetaType::QString: return vtText;
    case QMetaType::Double: return vtNumber;
    case QMetaType::Bool: return vtBoolean;
    case QMetaType::QDateTime: return vtDate;
    default: return vtNull;
    }
}

QString TypeName(TValueType t)
{
    switch (t) {
    case vtText: return "text";
    case vtNumber: return "number";
    case vtBoolean: return "boolean";
    case vtDate: return "date";
    case vtNull: break;
    }
    return "null";
}

const QDate DayZero(1899, 12, 30);
// 1 January 0001 and 31 December 9999, the dates the platform can encode.
constexpr double FirstDay = -693593;
constexpr double LastDay = 2958465;

// Dates are held as QDateTime without a zone, so that no daylight-saving gap shifts them.
TExprValue DateValue(TDateTime days)
{
    if (!(days >= FirstDay && days < LastDay + 1))
        return TExprValue();
    const double whole = std::floor(days);
    qint64 ms = qRound64((days - whole) * 86400000.0);
    QDate date = DayZero.addDays(qint64(whole));
    if (ms >= 86400000) {
        date = date.addDays(1);
        ms -= 86400000;
    }
    return QDateTime(date, QTime::fromMSecsSinceStartOfDay(int(ms)), Qt::UTC);
}

TDateTime DaysOf(const TExprValue& v)
{
    const QDateTime dt = v.toDateTime();
    return double(DayZero.daysTo(dt.date())) + dt.time().msecsSinceStartOfDay() / 86400000.0;
}

// A value as the evaluator holds it: numbers as double, dates as QDateTime.
TExprValue Normalize(const QVariant& v)
{
    if (!v.isValid() || v.isNull())
        return TExprValue();
    switch (v.typeId()) {
    case QMetaType::QString:
    case QMetaType::Double:
    case QMetaType::Bool:
        return v;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Float:
        return v.toDouble();
    case QMetaType::QDate:
        return v.toDate().isValid() ? TExprValue(QDateTime(v.toDate(), QTime(0, 0), Qt::UTC)) : TExprValue();
    case QMetaType::QDateTime: {
        const QDateTime dt = v.toDateTime();
        return dt.isValid() ? TExprValue(QDateTime(dt.date(), dt.time(), Qt::UTC)) : TExprValue();
    }
    default:
        return v.canConvert<QString>() ? TExprValue(v.toString()) : TExprValue();
    }
}

// A field's value: a null text is '', a null number 0, a null date stays null.
TExprValue FieldValue(const TField* f)
{
    const bool null = f->IsNull();
    switch (f->DataType()) {
    case ftString: return null ? QString("") : f->AsString();
    case ftInteger:
    case ftFloat:
    case ftCurrency: return null ? 0.0 : f->AsFloat();
    case ftBoolean: return null ? false : f->AsBoolean();
    case ftDateTime: return null ? TExprValue() : DateValue(f->AsDateTime());
    case ftUnknown: break;
    }
    return Normalize(f->Value());
}

class TEvaluator {
public:
    TEvaluator(const QString& text, const TExprScope& scope, const std::vector<double>& sums)
        : FText(text), FScope(scope), FSums(sums) {}

    TExprValue Eval(const TExprNode& n)
    {
        switch (n.Kind) {
        case enLiteral: return n.Value;
        case enName: return Name(n);
        case enNegate: {
            const TExprValue v = Eval(*n.Args[0]);
            if (TypeOf(v) == vtNumber)
                return -v.toDouble();
            if (TypeOf(v) == vtNull)
                return v;
            Fail(n.Pos, "cannot apply '-' to " + TypeName(TypeOf(v)));
        }
        case enNot: {
            const TExprValue v = Eval(*n.Args[0]);
            if (TypeOf(v) != vtBoolean)
                Fail(n.Pos, "cannot apply 'not' to " + TypeName(TypeOf(v)));
            return !v.toBool();
        }
        case enBinary:
            if (n.Op == eoAnd || n.Op == eoOr)
                return Logical(n);
            if (n.Op >= eoEqual)
                return Compare(n.Op, n.Pos, Eval(*n.Args[0]), Eval(*n.Args[1]));
            return Arithmetic(n.Op, n.Pos, Eval(*n.Args[0]), Eval(*n.Args[1]));
        case enIf: {
            const TExprValue c = Eval(*n.Args[0]);
            if (TypeOf(c) != vtBoolean)
                Fail(n.Pos, "the condition of 'if' is " + TypeName(TypeOf(c)) + ", not true or false");
            return Eval(*n.Args[c.toBool() ? 1 : 2]);
        }
        case enSum: return FSums[size_t(n.SumIndex)];
        case enCall: return Call(n);
        }
        return TExprValue();
    }

    [[noreturn]] void Fail(int pos, const QString& what) { ThrowExprError(FText, pos, what); }

private:
    const QString& FText;
    const TExprScope& FScope;
    const std::vector<double>& FSums;

    TDataSet* FindDataSet(const QString& name) const
    {
        if (FScope.DataSet && FScope.DataSet->objectName().compare(name, Qt::CaseInsensitive) == 0)
            return FScope.DataSet;
        for (TDataSet* ds : FScope.DataSets)
            if (ds && ds->objectName().compare(name, Qt::CaseInsensitive) == 0)
                return ds;
        return nullptr;
    }

    TExprValue Name(const TExprNode& n)
    {
        if (!n.Qualifier.isEmpty()) {
            TDataSet* ds = FindDataSet(n.Qualifier);
            if (!ds)
                Fail(n.Pos, "unknown dataset '" + n.Qualifier + "'");
            const TField* f = ds->FindField(n.Name);
            if (!f)
                Fail(n.Pos, "unknown field '" + n.Qualifier + "." + n.Name + "'");
            return FieldValue(f);
        }
        if (FScope.DataSet) {
            if (const TField* f = FScope.DataSet->FindField(n.Name))
                return FieldValue(f);
        }
        TExprValue value;
        if (FScope.Function && FScope.Function(n.Name.toUpper(), value))
            return Normalize(value);
        Fail(n.Pos, "unknown field or function '" + n.Name + "'");
    }

    TExprValue Logical(const TExprNode& n)
    {
        const QString op = OpSymbol(n.Op);
        const TExprValue a = Eval(*n.Args[0]);
        if (TypeOf(a) != vtBoolean)
            Fail(n.Pos, "cannot apply '" + op + "' to " + TypeName(TypeOf(a)));
        // Like if(), the right side is not evaluated when the left decides.
        if (a.toBool() == (n.Op == eoOr))
            return a;
        const TExprValue b = Eval(*n.Args[1]);
        if (TypeOf(b) != vtBoolean)
            Fail(n.Pos, "cannot apply '" + op + "' to boolean and " + TypeName(TypeOf(b)));
        return b;
    }

    TExprValue Number(double r, int pos)
    {
        if (!std::isfinite(r))
            Fail(pos, "number out of range");
        return r;
    }

    TExprValue Date(double days, int pos)
    {
        if (!(days >= FirstDay && days < LastDay + 1))
            Fail(pos, "date out of range");
        return DateValue(days);
    }

    TExprValue Arithmetic(TExprOp op, int pos, const TExprValue& a, const TExprValue& b)
    {
        const TValueType ta = TypeOf(a), tb = TypeOf(b);
        // Text joins text; a null date or function result adds nothing to it.
        if (op == eoAdd && ((ta == vtText && (tb == vtText || tb == vtNull)) || (ta == vtNull && tb == vtText)))
            return a.toString() + b.toString();
        if (ta == vtNumber && tb == vtNumber) {
            const double x = a.toDouble(), y = b.toDouble();
            switch (op) {
            case eoAdd: return Number(x + y, pos);
            case eoSubtract: return Number(x - y, pos);
            case eoMultiply: return Number(x * y, pos);
            case eoDivide:
                if (y == 0)
                    Fail(pos, "division by zero");
                return Number(x / y, pos);
            default: break;
            }
        }
        const bool addOrSubtract = op == eoAdd || op == eoSubtract;
        if (addOrSubtract) {
            if (ta == vtDate && tb == vtNumber)
                return Date(op == eoAdd ? DaysOf(a) + b.toDouble() : DaysOf(a) - b.toDouble(), pos);
            if (op == eoAdd && ta == vtNumber && tb == vtDate)
                return Date(a.toDouble() + DaysOf(b), pos);
            if (op == eoSubtract && ta == vtDate && tb == vtDate)
                return DaysOf(a) - DaysOf(b);
        }
        // A null date in arithmetic gives a null result, printed as nothing.
        auto numeric = [&](TValueType t) { return t == vtNumber || t == vtNull || (addOrSubtract && t == vtDate); };
        if ((ta == vtNull || tb == vtNull) && numeric(ta) && numeric(tb))
            return TExprValue();
        Fail(pos, QString("cannot apply '") + OpSymbol(op) + "' to " + TypeName(ta) + " and " + TypeName(tb));
    }

    TExprValue Compare(TExprOp op, int pos, const TExprValue& a, const TExprValue& b)
    {
        const TValueType ta = TypeOf(a), tb = TypeOf(b);
        int c = 0;
        if (ta == vtNull || tb == vtNull) {
            // An empty date equals only another and comes before every value.
            c = (ta == vtNull ? 0 : 1) - (tb == vtNull ? 0 : 1);
        } else if (ta != tb) {
            Fail(pos, "cannot compare " + TypeName(ta) + " and " + TypeName(tb));
        } else if (ta == vtText) {
            c = QString::compare(a.toString(), b.toString(), Qt::CaseSensitive);
        } else {
            double x, y;
            if (ta == vtDate) {
                x = DaysOf(a);
                y = DaysOf(b);
            } else {
                x = a.toDouble();
                y = b.toDouble();
            }
            c = x < y ? -1 : (x > y ? 1 : 0);
        }
        switch (op) {
        case eoEqual: return c == 0;
        case eoNotEqual: return c != 0;
        case eoLess: return c < 0;
        case eoGreater: return c > 0;
        case eoLessEqual: return c <= 0;
        default: return c >= 0;
        }
    }

    TExprValue Call(const TExprNode& n)
    {
        auto is = [&](const char* name) { return n.Name.compare(QLatin1String(name), Qt::CaseInsensitive) == 0; };
        if (is("FormatNumeric")) {
            const TExprValue mask = Eval(*n.Args[0]);
            if (TypeOf(mask) != vtText)
                Fail(n.Pos, "the mask of FormatNumeric is " + TypeName(TypeOf(mask)) + ", not text");
            const TExprValue v = Eval(*n.Args[1]);
            if (TypeOf(v) == vtNull)
                return QString("");
            if (TypeOf(v) != vtNumber)
                Fail(n.Pos, "FormatNumeric needs a number, not " + TypeName(TypeOf(v)));
            return FormatNumeric(mask.toString(), v.toDouble());
        }
        if (is("Upper") || is("Lower")) {
            const TExprValue v = Eval(*n.Args[0]);
            if (TypeOf(v) != vtText && TypeOf(v) != vtNull)
                Fail(n.Pos, "'" + n.Name + "' needs text, not " + TypeName(TypeOf(v)));
            return is("Upper") ? v.toString().toUpper() : v.toString().toLower();
        }
        if (is("Str"))
            return TReportExpression::AsText(Eval(*n.Args[0]));
        Fail(n.Pos, "unknown function '" + n.Name + "'");
    }
};

void CollectSums(const TExprNode& n, std::vector<const TExprNode*>& sums)
{
    if (n.Kind == enSum)
        sums.push_back(&n);
    for (const auto& a : n.Args)
        CollectSums(*a, sums);
}

} // namespace

struct TReportExpression::TImpl {
    QString Text;
    std::unique_ptr<TExprNode> Root;
    // In SumIndex order.
    std::vector<const TExprNode*> SumNodes;
    std::vector<double> Sums;
};

TReportExpression::TReportExpression(const QString& Text)
    : FImpl(new TImpl)
{
    FImpl->Text = Text;
    int sumCount = 0;
    FImpl->Root = ParseExpression(Text, sumCount);
    CollectSums(*FImpl->Root, FImpl->SumNodes);
    FImpl->Sums.assign(size_t(sumCount), 0.0);
}

TReportExpression::~TReportExpression() = default;

const QString& TReportExpression::Text() const
{
    return FImpl->Text;
}

TExprValue TReportExpression::Evaluate(const TExprScope& Scope) const
{
    TEvaluator evaluator(FImpl->Text, Scope, FImpl->Sums);
    return evaluator.Eval(*FImpl->Root);
}

void TReportExpression::Accumulate(const TExprScope& Scope)
{
    // Every addend first, so that a failing one leaves all totals as they were.
    TEvaluator evaluator(FImpl->Text, Scope, FImpl->Sums);
    std::vector<double> addends;
    for (const TExprNode* sum : FImpl->SumNodes) {
        const TExprValue v = evaluator.Eval(*sum->Args[0]);
        if (TypeOf(v) != vtNumber && TypeOf(v) != vtNull)
            evaluator.Fail(sum->Pos, "SUM needs numbers, not " + TypeName(TypeOf(v)));
        addends.push_back(TypeOf(v) == vtNumber ? v.toDouble() : 0.0);
    }
    for (size_t i = 0; i < addends.size(); ++i)
        FImpl->Sums[size_t(FImpl->SumNodes[i]->SumIndex)] += addends[i];
}

bool TReportExpression::HasAggregate() const
{
    return !FImpl->SumNodes.empty();
}

void TReportExpression::Reset()
{
    std::fill(FImpl->Sums.begin(), FImpl->Sums.end(), 0.0);
}

QString TReportExpression::AsText(const TExprValue& Value)
{
    const TExprValue v = Normalize(Value);
    switch (TypeOf(v)) {
    case vtNull: return QString();
    case vtText: return v.toString();
    // A negated zero prints as 0.
    case vtNumber: return QString::fromStdString(FloatToStr(v.toDouble() == 0 ? 0.0 : v.toDouble()));
    case vtBoolean: return v.toBool() ? "True" : "False";
    case vtDate: return DateTimeToStr(DaysOf(v));
    }
    return QString();
}
