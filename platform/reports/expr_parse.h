// The syntax tree of a report expression and the parser that builds it. Names are
// resolved only when the expression is evaluated, against the scope of that moment.
#pragma once

#include <QString>
#include <QVariant>

#include <memory>
#include <vector>

enum TExprNodeKind {
    enLiteral,  // Value
    enName,     // Name, or Qualifier.Name
    enNegate,   // - Args[0]
    enNot,      // not Args[0]
    enBinary,   // Args[0] Op Args[1]
    enIf,       // if(Args[0], Args[1], Args[2])
    enSum,      // SUM(Args[0]), running total number SumIndex
    enCall      // Name(Args...): FormatNumeric, Upper, Lower, Str or an unknown function
};

enum TExprOp { eoAdd, eoSubtract, eoMultiply, eoDivide, eoEqual, eoNotEqual, eoLess, eoGreater,
               eoLessEqual, eoGreaterEqual, eoAnd, eoOr };

struct TExprNode {
    TExprNodeKind Kind = enLiteral;
    // 1-based place in the text that errors name: the operator, the name, the literal.
    int Pos = 1;
    QVariant Value;
    QString Qualifier;
    QString Name;
    TExprOp Op = eoAdd;
    int SumIndex = -1;
    // Height of the subtree, kept below a limit so that evaluation cannot exhaust the stack.
    int Depth = 1;
    std::vector<std::unique_ptr<TExprNode>> Args;
};

// The whole message of a fault: "Error in expression "<text>" at position <pos>: <what>".
QString ExprErrorMessage(const QString& Text, int Pos, const QString& What);
[[noreturn]] void ThrowExprError(const QString& Text, int Pos, const QString& What);

// Parses Text; SumCount receives the number of SUMs, which are numbered in order.
// Throws EExpressionError for malformed text, a wrong argument count or a SUM inside a SUM.
std::unique_ptr<TExprNode> ParseExpression(const QString& Text, int& SumCount);

const char* OpSymbol(TExprOp Op);
