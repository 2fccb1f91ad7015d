#include "platform/reports/expr_parse.h"

#include "platform/reports/expression.h"

#include <algorithm>

namespace {

// Deeper nesting than any report needs; the limit keeps recursion off the stack's end.
constexpr int MaxDepth = 200;

enum TTokenKind { tkEnd, tkNumber, tkString, tkName, tkSymbol };

struct TToken {
    TTokenKind Kind = tkEnd;
    int Pos = 1;
    QString Text;
    double Number = 0;
};

struct TKnownFunction {
    const char* Name;
    int ArgCount;
};
const TKnownFunction KnownFunctions[] = {
    {"if", 3}, {"sum", 1}, {"formatnumeric", 2}, {"upper", 1}, {"lower", 1}, {"str", 1}};

bool IsNameStart(QChar c) { return c.isLetter() || c == '_'; }
bool IsNamePart(QChar c) { return c.isLetterOrNumber() || c == '_'; }
bool IsDigit(QChar c) { return c >= '0' && c <= '9'; }

class TParser {
public:
    explicit TParser(const QString& text) : FText(text) { Advance(); }

    std::unique_ptr<TExprNode> Parse()
    {
        auto node = Or();
        if (FToken.Kind != tkEnd)
            Fail(FToken.Pos, "unexpected '" + FText.mid(FToken.Pos - 1, FAt - FToken.Pos + 1) + "'");
        return node;
    }
    int SumCount() const { return FSumCount; }

private:
    const QString& FText;
    int FAt = 0; // index of the next character to read
    TToken FToken;
    int FNesting = 0;
    int FSumCount = 0;
    bool FInSum = false;

    [[noreturn]] void Fail(int pos, const QString& what) { ThrowExprError(FText, pos, what); }

    void Advance()
    {
        while (FAt < FText.size() && FText[FAt].isSpace())
            ++FAt;
        FToken = TToken();
        FToken.Pos = FAt + 1;
        if (FAt >= FText.size())
            return;
        const int start = FAt;
        const QChar c = FText[FAt];
        if (IsDigit(c) || (c == '.' && FAt + 1 < FText.size() && IsDigit(FText[FAt + 1]))) {
            while (FAt < FText.size() && IsDigit(FText[FAt]))
                ++FAt;
            if (FAt < FText.size() && FText[FAt] == '.') {
                ++FAt;
                while (FAt < FText.size() && IsDigit(FText[FAt]))
                    ++FAt;
            }
            if (FAt < FText.size() && IsNameStart(FText[FAt]))
                Fail(FAt + 1, "malformed number");
            FToken.Kind = tkNumber;
            FToken.Text = FText.mid(start, FAt - start);
            // Always a '.' here, whatever the program's decimal separator.
            FToken.Number = FToken.Text.toDouble();
        } else if (IsNameStart(c)) {
            while (FAt < FText.size() && IsNamePart(FText[FAt]))
                ++FAt;
            FToken.Kind = tkName;
            FToken.Text = FText.mid(start, FAt - start);
        } else if (c == '\'') {
            ++FAt;
            QString value;
            for (;;) {
                if (FAt >= FText.size())
                    Fail(start + 1, "unterminated string");
                if (FText[FAt] == '\'') {
                    if (FAt + 1 < FText.size() && FText[FAt + 1] == '\'') {
                        value += '\'';
                        FAt += 2;
                        continue;
                    }
                    ++FAt;
                    break;
                }
                value += FText[FAt++];
            }
            FToken.Kind = tkString;
            FToken.Text = value;
        } else {
            static const QString twoChar[] = {"<>", "<=", ">="};
            FToken.Kind = tkSymbol;
            for (const QString& s : twoChar)
                if (FText.mid(FAt, 2) == s)
                    FToken.Text = s;
            if (FToken.Text.isEmpty()) {
                if (!QString("+-*/=<>(),.").contains(c))
                    Fail(FAt + 1, QString("unexpected character '") + c + "'");
                FToken.Text = c;
            }
            FAt += int(FToken.Text.size());
        }
    }

    bool IsSymbol(const char* s) const { return FToken.Kind == tkSymbol && FToken.Text == QLatin1String(s); }
    bool IsWord(const char* w) const
    {
        return FToken.Kind == tkName && FToken.Text.compare(QLatin1String(w), Qt::CaseInsensitive) == 0;
    }

    void Expect(const char* symbol)
    {
        if (!IsSymbol(symbol))
            Fail(FToken.Pos, QString("'") + symbol + "' expected");
        Advance();
    }

    void Enter(int pos)
    {
        if (++FNesting > MaxDepth)
            Fail(pos, "expression nested too deeply");
    }

    std::unique_ptr<TExprNode> Binary(TExprOp op, int pos, std::unique_ptr<TExprNode> left, std::unique_ptr<TExprNode> right)
    {
        auto node = std::make_unique<TExprNode>();
        node->Kind = enBinary;
        node->Op = op;
        node->Pos = pos;
        node->Args.push_back(std::move(left));
        node->Args.push_back(std::move(right));
        CheckDepth(*node);
        return node;
    }

    // Long chains of operators grow the tree without nesting in the text.
    void CheckDepth(TExprNode& node)
    {
        int depth = 0;
        for (const auto& a : node.Args)
            depth = std::max(depth, a->Depth);
        node.Depth = depth + 1;
        if (node.Depth > MaxDepth)
            Fail(node.Pos, "expression nested too deeply");
    }

    std::unique_ptr<TExprNode> Or()
    {
        auto node = And();
        while (IsWord("or")) {
            int pos = FToken.Pos;
            Advance();
            node = Binary(eoOr, pos, std::move(node), And());
        }
        return node;
    }

    std::unique_ptr<TExprNode> And()
    {
        auto node = Comparison();
        while (IsWord("and")) {
            int pos = FToken.Pos;
            Advance();
            node = Binary(eoAnd, pos, std::move(node), Comparison());
        }
        return node;
    }

    std::unique_ptr<TExprNode> Comparison()
    {
        static const std::pair<const char*, TExprOp> ops[] = {
            {"=", eoEqual}, {"<>", eoNotEqual}, {"<", eoLess}, {">", eoGreater}, {"<=", eoLessEqual}, {">=", eoGreaterEqual}};
        auto node = Additive();
        for (;;) {
            const TExprOp* found = nullptr;
            for (const auto& [symbol, op] : ops)
                if (IsSymbol(symbol))
                    found = &op;
            if (!found)
                return node;
            int pos = FToken.Pos;
            Advance();
            node = Binary(*found, pos, std::move(node), Additive());
        }
    }

    std::unique_ptr<TExprNode> Additive()
    {
        auto node = Multiplicative();
        while (IsSymbol("+") || IsSymbol("-")) {
            TExprOp op = IsSymbol("+") ? eoAdd : eoSubtract;
            int pos = FToken.Pos;
            Advance();
            node = Binary(op, pos, std::move(node), Multiplicative());
        }
        return node;
    }

    std::unique_ptr<TExprNode> Multiplicative()
    {
        auto node = Unary();
        while (IsSymbol("*") || IsSymbol("/")) {
            TExprOp op = IsSymbol("*") ? eoMultiply : eoDivide;
            int pos = FToken.Pos;
            Advance();
            node = Binary(op, pos, std::move(node), Unary());
        }
        return node;
    }

    std::unique_ptr<TExprNode> Unary()
    {
        if (!IsSymbol("-") && !IsWord("not"))
            return Primary();
        auto node = std::make_unique<TExprNode>();
        node->Kind = IsSymbol("-") ? enNegate : enNot;
        node->Pos = FToken.Pos;
        Enter(node->Pos);
        Advance();
        node->Args.push_back(Unary());
        --FNesting;
        CheckDepth(*node);
        return node;
    }

    std::unique_ptr<TExprNode> Primary()
    {
        auto node = std::make_unique<TExprNode>();
        node->Pos = FToken.Pos;
        switch (FToken.Kind) {
        case tkNumber:
            node->Value = FToken.Number;
            Advance();
            return node;
        case tkString:
            node->Value = FToken.Text;
            Advance();
            return node;
        case tkName:
            if (IsWord("true") || IsWord("false")) {
                node->Value = IsWord("true");
                Advance();
                return node;
            }
            if (IsWord("and") || IsWord("or") || IsWord("not"))
                Fail(FToken.Pos, "operand expected");
            return NameOrCall(std::move(node));
        case tkSymbol:
            if (IsSymbol("(")) {
                Enter(node->Pos);
                Advance();
                auto inner = Or();
                Expect(")");
                --FNesting;
                return inner;
            }
            break;
        case tkEnd:
            break;
        }
        Fail(FToken.Pos, "operand expected");
    }

    std::unique_ptr<TExprNode> NameOrCall(std::unique_ptr<TExprNode> node)
    {
        node->Kind = enName;
        node->Name = FToken.Text;
        Advance();
        if (IsSymbol(".")) {
            Advance();
            if (FToken.Kind != tkName)
                Fail(FToken.Pos, "field name expected");
            node->Qualifier = node->Name;
            node->Name = FToken.Text;
            Advance();
            return node;
        }
        if (!IsSymbol("("))
            return node;

        Enter(node->Pos);
        Advance();
        const bool isSum = node->Name.compare("sum", Qt::CaseInsensitive) == 0;
        if (isSum && FInSum)
            Fail(node->Pos, "SUM inside SUM");
        const bool wasInSum = FInSum;
        FInSum = FInSum || isSum;
        if (!IsSymbol(")")) {
            node->Args.push_back(Or());
            while (IsSymbol(",")) {
                Advance();
                node->Args.push_back(Or());
            }
        }
        Expect(")");
        FInSum = wasInSum;
        --FNesting;

        node->Kind = enCall;
        for (const TKnownFunction& f : KnownFunctions) {
            if (node->Name.compare(QLatin1String(f.Name), Qt::CaseInsensitive) != 0)
                continue;
            if (int(node->Args.size()) != f.ArgCount)
                Fail(node->Pos, QString("'%1' takes %2 argument%3, not %4")
                                    .arg(node->Name).arg(f.ArgCount).arg(f.ArgCount == 1 ? "" : "s")
                                    .arg(node->Args.size()));
        }
        if (isSum) {
            node->Kind = enSum;
            node->SumIndex = FSumCount++;
        } else if (node->Name.compare("if", Qt::CaseInsensitive) == 0) {
            node->Kind = enIf;
        }
        CheckDepth(*node);
        return node;
    }
};

} // namespace

QString ExprErrorMessage(const QString& Text, int Pos, const QString& What)
{
    return QString("Error in expression \"%1\" at position %2: %3").arg(Text).arg(Pos).arg(What);
}

void ThrowExprError(const QString& Text, int Pos, const QString& What)
{
    throw EExpressionError(ExprErrorMessage(Text, Pos, What).toStdString());
}

std::unique_ptr<TExprNode> ParseExpression(const QString& Text, int& SumCount)
{
    TParser parser(Text);
    auto root = parser.Parse();
    SumCount = parser.SumCount();
    return root;
}

const char* OpSymbol(TExprOp Op)
{
    switch (Op) {
    case eoAdd: return "+";
    case eoSubtract: return "-";
    case eoMultiply: return "*";
    case eoDivide: return "/";
    case eoEqual: return "=";
    case eoNotEqual: return "<>";
    case eoLess: return "<";
    case eoGreater: return ">";
    case eoLessEqual: return "<=";
    case eoGreaterEqual: return ">=";
    case eoAnd: return "and";
    case eoOr: return "or";
    }
    return "?";
}
