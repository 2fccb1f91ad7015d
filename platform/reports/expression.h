// Expressions of report elements: field names, Dataset.Field over the report's extra
// datasets, string literals and concatenation, arithmetic, comparisons, if(), a running
// SUM over the printed detail records and FormatNumeric with a picture mask.
#pragma once

#include "platform/core/exceptions.h"

#include <QList>
#include <QString>
#include <QVariant>

#include <functional>
#include <memory>

class TDataSet;

// A value: text (QString), number (double), boolean (bool) or date-time (QDateTime
// without a time zone); null (an invalid QVariant) for an empty date.
using TExprValue = QVariant;

// What the names of an expression mean while a report prints.
struct TExprScope {
    // Bare field names are fields of this dataset (the report's own).
    TDataSet* DataSet = nullptr;
    // Name.Field names a field of the dataset whose objectName() is Name.
    QList<TDataSet*> DataSets;
    // Functions without arguments (PAGENUMBER, COLUMNNUMBER, REPORTTITLE): sets Value and
    // returns true for a name it knows. Asked with the name in capitals, and only for a
    // bare name that is no field of DataSet.
    std::function<bool(const QString& Name, TExprValue& Value)> Function;
};

// A malformed expression or one that cannot be evaluated; the message names the
// expression and the 1-based position of the fault.
class EExpressionError : public Exception {
public:
    using Exception::Exception;
};

class TReportExpression {
public:
    // Parses Text; throws EExpressionError.
    explicit TReportExpression(const QString& Text);
    ~TReportExpression();
    TReportExpression(const TReportExpression&) = delete;
    TReportExpression& operator=(const TReportExpression&) = delete;

    const QString& Text() const;

    // The value for the current records of Scope; each SUM gives its running total.
    // Throws EExpressionError for an unknown name or mismatched types.
    TExprValue Evaluate(const TExprScope& Scope) const;
    // Adds the current detail record to every SUM of the expression.
    void Accumulate(const TExprScope& Scope);
    // True when the expression holds a SUM (the engine accumulates only those).
    bool HasAggregate() const;
    // Sets every running total back to zero (the start of a run).
    void Reset();

    // The text printed for a value: numbers plainly, dates in the short date format,
    // null as empty.
    static QString AsText(const TExprValue& Value);

private:
    struct TImpl;
    std::unique_ptr<TImpl> FImpl;
};
