// The installer's conditional-statement language, parsed and evaluated in one
// pass by recursive descent.
//
// Precedence, loosest first: IMP, EQV, XOR, OR, AND, NOT, then a comparison
// or a single operand; each binary operator groups to the left, and NOT
// applies to a whole comparison ("NOT A = 1" is "NOT (A = 1)").
//
// Operands and how they compare:
// - an integer literal ("-12") is an integer;
// - a "literal" is a string and never turns into a number;
// - a property name or %ENVIRONMENT variable is a string (unset reads as ""),
//   which counts as a number when compared with an integer if its whole text
//   is an optional minus and digits, or when compared with another string
//   that is numeric too;
// - !Feature, &Feature, ?Component, $Component are integer states; a name the
//   package does not know reads as an empty string, so "&Missing" is false and
//   "&Missing<>3" is true.
// An integer compared with a string that is not a number satisfies only "<>".
// ><, << and >> test contains / starts with / ends with on strings (false when
// the left side is empty, true when the right side is empty), and on integers
// a common bit / the high 16 bits / the low 16 bits. A "~" written directly in
// front of an operator makes the string comparison ignore (ASCII) case.
// A bare operand is true when it is a non-zero integer or a non-empty string.
#include "platform/sim/engine/condition.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>

namespace veltra::sim::engine {
namespace {

// Deep nesting of parentheses or NOTs is refused rather than allowed to
// exhaust the stack; no real condition comes near it.
constexpr int kMaxDepth = 200;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsNameStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool IsNameChar(char c) { return IsNameStart(c) || IsDigit(c) || c == '.'; }
char Fold(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string Folded(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), Fold);
    return out;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return Fold(x) == Fold(y); });
}

// Digits accumulate modulo 2^32, like the installer's 32-bit integers, so an
// oversized number is a defined (wrapped) value rather than overflow.
std::int32_t DigitsToInt(std::string_view digits, bool negative) {
    std::uint32_t value = 0;
    for (const char c : digits) value = value * 10u + static_cast<std::uint32_t>(c - '0');
    if (negative) value = 0u - value;
    return static_cast<std::int32_t>(value);
}

// A property value counts as a number only when it is exactly an optional
// minus followed by digits: "0 ", "+0", "0x00" and "1.0" stay strings.
std::optional<std::int32_t> AsInteger(std::string_view text) {
    const bool negative = !text.empty() && text.front() == '-';
    const std::string_view digits = negative ? text.substr(1) : text;
    if (digits.empty() || !std::all_of(digits.begin(), digits.end(), IsDigit)) return std::nullopt;
    return DigitsToInt(digits, negative);
}

enum class Relation { Equal, NotEqual, Less, Greater, LessEqual, GreaterEqual, Contains, StartsWith, EndsWith };

struct Operator {
    Relation relation = Relation::Equal;
    bool ignoreCase = false;
};

struct Value {
    enum class Kind { Integer, Symbol, Literal } kind = Kind::Literal;
    std::int32_t number = 0;
    std::string text;
};

bool Truth(const Value& value) {
    return value.kind == Value::Kind::Integer ? value.number != 0 : !value.text.empty();
}

bool CompareIntegers(std::int32_t a, Relation relation, std::int32_t b) {
    const auto bits = static_cast<std::uint32_t>(a);
    switch (relation) {
    case Relation::Equal: return a == b;
    case Relation::NotEqual: return a != b;
    case Relation::Less: return a < b;
    case Relation::Greater: return a > b;
    case Relation::LessEqual: return a <= b;
    case Relation::GreaterEqual: return a >= b;
    case Relation::Contains: return (a & b) != 0;
    case Relation::StartsWith: return static_cast<std::int32_t>(bits >> 16) == b;
    case Relation::EndsWith: return static_cast<std::int32_t>(bits & 0xFFFFu) == b;
    }
    return false;
}

bool CompareStrings(std::string_view a, Operator op, std::string_view b) {
    std::string foldedA;
    std::string foldedB;
    if (op.ignoreCase) {
        foldedA = Folded(a);
        foldedB = Folded(b);
        a = foldedA;
        b = foldedB;
    }
    switch (op.relation) {
    case Relation::Contains:
    case Relation::StartsWith:
    case Relation::EndsWith:
        if (a.empty()) return false;
        if (b.empty()) return true;
        if (op.relation == Relation::Contains) return a.find(b) != std::string_view::npos;
        if (op.relation == Relation::StartsWith) return a.starts_with(b);
        return a.ends_with(b);
    default: break;
    }
    // Byte order, as unsigned characters.
    const int order = a.compare(b);
    switch (op.relation) {
    case Relation::Equal: return order == 0;
    case Relation::NotEqual: return order != 0;
    case Relation::Less: return order < 0;
    case Relation::Greater: return order > 0;
    case Relation::LessEqual: return order <= 0;
    case Relation::GreaterEqual: return order >= 0;
    default: return false;
    }
}

bool Compare(const Value& left, Operator op, const Value& right) {
    using Kind = Value::Kind;
    const bool leftInt = left.kind == Kind::Integer;
    const bool rightInt = right.kind == Kind::Integer;
    if (leftInt && rightInt) return CompareIntegers(left.number, op.relation, right.number);
    if (leftInt || rightInt) {
        const Value& text = leftInt ? right : left;
        const auto number = text.kind == Kind::Symbol ? AsInteger(text.text) : std::nullopt;
        if (!number) return op.relation == Relation::NotEqual;
        return leftInt ? CompareIntegers(left.number, op.relation, *number)
                       : CompareIntegers(*number, op.relation, right.number);
    }
    if (left.kind == Kind::Symbol || right.kind == Kind::Symbol) {
        const auto a = AsInteger(left.text);
        const auto b = AsInteger(right.text);
        if (a && b) return CompareIntegers(*a, op.relation, *b);
    }
    return CompareStrings(left.text, op, right.text);
}

enum class Tok {
    End, LeftParen, RightParen, Not, And, Or, Xor, Eqv, Imp, Compare,
    Name, Number, Literal, Percent, Dollar, Question, Ampersand, Exclamation
};

struct Token {
    Tok kind = Tok::End;
    std::size_t start = 0;
    std::string_view text;   // the name, the digits (with sign) or the literal's contents
    Operator op;
};

// Thrown inside the parser only; EvaluateCondition turns it into the result.
struct SyntaxError {
    std::size_t position;    // 0-based offset into the condition
    std::string message;
};

class Parser {
public:
    Parser(std::string_view text, const SessionView& session) : text_(text), session_(session) {
        Advance();
    }

    bool Condition() {
        const bool value = Expression();
        if (token_.kind != Tok::End) Fail(token_.start, "unexpected " + Describe(token_));
        return value;
    }

private:
    // --- grammar -----------------------------------------------------------

    bool Expression() { return Implication(); }

    bool Implication() {
        bool value = Equivalence();
        while (token_.kind == Tok::Imp) {
            Advance();
            const bool right = Equivalence();
            value = !value || right;
        }
        return value;
    }

    bool Equivalence() {
        bool value = Exclusion();
        while (token_.kind == Tok::Eqv) {
            Advance();
            value = value == Exclusion();
        }
        return value;
    }

    bool Exclusion() {
        bool value = Disjunction();
        while (token_.kind == Tok::Xor) {
            Advance();
            value = value != Disjunction();
        }
        return value;
    }

    bool Disjunction() {
        bool value = Conjunction();
        while (token_.kind == Tok::Or) {
            Advance();
            const bool right = Conjunction();   // always parsed: a later syntax error still counts
            value = value || right;
        }
        return value;
    }

    bool Conjunction() {
        bool value = Factor();
        while (token_.kind == Tok::And) {
            Advance();
            const bool right = Factor();
            value = value && right;
        }
        return value;
    }

    bool Factor() {
        const DepthGuard guard(*this);
        if (token_.kind == Tok::Not) {
            Advance();
            return !Factor();
        }
        if (token_.kind == Tok::LeftParen) {
            const std::size_t open = token_.start;
            Advance();
            const bool value = Expression();
            if (token_.kind == Tok::End) {
                Fail(token_.start, "missing ')' for the '(' at position " + std::to_string(open + 1));
            }
            if (token_.kind != Tok::RightParen) Fail(token_.start, "expected ')' but found " + Describe(token_));
            Advance();
            return value;
        }
        const Value left = Operand();
        if (token_.kind != Tok::Compare) return Truth(left);
        const Operator op = token_.op;
        Advance();
        const Value right = Operand();
        return Compare(left, op, right);
    }

    Value Operand() {
        const Token token = token_;
        switch (token.kind) {
        case Tok::Number:
            Advance();
            return Integer(DigitsToInt(token.text.front() == '-' ? token.text.substr(1) : token.text,
                                       token.text.front() == '-'));
        case Tok::Literal:
            Advance();
            return Value{Value::Kind::Literal, 0, std::string(token.text)};
        case Tok::Name:
            Advance();
            return Value{Value::Kind::Symbol, 0, session_.Property(token.text).value_or("")};
        case Tok::Percent:
            Advance();
            return Value{Value::Kind::Symbol, 0, session_.Environment(token.text).value_or("")};
        case Tok::Exclamation: Advance(); return State(session_.FeatureInstalled(token.text));
        case Tok::Ampersand: Advance(); return State(session_.FeatureAction(token.text));
        case Tok::Question: Advance(); return State(session_.ComponentInstalled(token.text));
        case Tok::Dollar: Advance(); return State(session_.ComponentAction(token.text));
        case Tok::End:
            Fail(token.start, "expected a value but the condition ends");
        default:
            Fail(token.start, "expected a value but found " + Describe(token));
        }
    }

    static Value Integer(std::int32_t number) { return Value{Value::Kind::Integer, number, {}}; }

    static Value State(int state) {
        if (state == kStateUnknown) return Value{Value::Kind::Literal, 0, {}};
        return Integer(state);
    }

    // --- tokens --------------------------------------------------------------

    void Advance() { token_ = Lex(); }

    Token Lex() {
        while (pos_ < text_.size() && IsBlank(text_[pos_])) ++pos_;
        Token token;
        token.start = pos_;
        if (pos_ == text_.size()) return token;
        const char c = text_[pos_];
        switch (c) {
        case '(': ++pos_; token.kind = Tok::LeftParen; return token;
        case ')': ++pos_; token.kind = Tok::RightParen; return token;
        case '"': {
            const std::size_t close = text_.find('"', pos_ + 1);
            if (close == std::string_view::npos) Fail(pos_, "unterminated string");
            token.kind = Tok::Literal;
            token.text = text_.substr(pos_ + 1, close - pos_ - 1);
            pos_ = close + 1;
            return token;
        }
        case '%': return Sigil(token, Tok::Percent, "an environment variable name");
        case '$': return Sigil(token, Tok::Dollar, "a component name");
        case '?': return Sigil(token, Tok::Question, "a component name");
        case '&': return Sigil(token, Tok::Ampersand, "a feature name");
        case '!': return Sigil(token, Tok::Exclamation, "a feature name");
        case '~': {
            ++pos_;
            if (!LexOperator(token)) Fail(token.start, "'~' must be followed directly by a comparison operator");
            token.op.ignoreCase = true;
            return token;
        }
        case '=': case '<': case '>':
            LexOperator(token);
            return token;
        default: break;
        }
        if (IsDigit(c) || (c == '-' && pos_ + 1 < text_.size() && IsDigit(text_[pos_ + 1]))) {
            std::size_t end = pos_ + 1;
            while (end < text_.size() && IsDigit(text_[end])) ++end;
            token.kind = Tok::Number;
            token.text = text_.substr(pos_, end - pos_);
            pos_ = end;
            return token;
        }
        if (IsNameStart(c)) {
            token.text = Name();
            token.kind = Keyword(token.text);
            return token;
        }
        Fail(pos_, std::string("unexpected character '") + c + "'");
    }

    Token Sigil(Token token, Tok kind, const char* what) {
        ++pos_;
        if (pos_ >= text_.size() || !IsNameStart(text_[pos_])) {
            Fail(token.start, std::string("'") + text_[token.start] + "' must be followed by " + what);
        }
        token.kind = kind;
        token.text = Name();
        return token;
    }

    std::string_view Name() {
        const std::size_t start = pos_;
        while (pos_ < text_.size() && IsNameChar(text_[pos_])) ++pos_;
        return text_.substr(start, pos_ - start);
    }

    static Tok Keyword(std::string_view word) {
        if (EqualsIgnoringCase(word, "NOT")) return Tok::Not;
        if (EqualsIgnoringCase(word, "AND")) return Tok::And;
        if (EqualsIgnoringCase(word, "OR")) return Tok::Or;
        if (EqualsIgnoringCase(word, "XOR")) return Tok::Xor;
        if (EqualsIgnoringCase(word, "EQV")) return Tok::Eqv;
        if (EqualsIgnoringCase(word, "IMP")) return Tok::Imp;
        return Tok::Name;
    }

    // The longest operator at pos_; false (nothing consumed) when there is none.
    bool LexOperator(Token& token) {
        static constexpr struct {
            std::string_view spelling;
            Relation relation;
        } kOperators[] = {
            {"<>", Relation::NotEqual}, {"<=", Relation::LessEqual}, {"<<", Relation::StartsWith},
            {">=", Relation::GreaterEqual}, {"><", Relation::Contains}, {">>", Relation::EndsWith},
            {"=", Relation::Equal}, {"<", Relation::Less}, {">", Relation::Greater},
        };
        const std::string_view rest = text_.substr(pos_);
        for (const auto& candidate : kOperators) {
            if (rest.starts_with(candidate.spelling)) {
                pos_ += candidate.spelling.size();
                token.kind = Tok::Compare;
                token.op.relation = candidate.relation;
                token.text = text_.substr(token.start, pos_ - token.start);
                return true;
            }
        }
        return false;
    }

    std::string Describe(const Token& token) const {
        if (token.kind == Tok::End) return "the end of the condition";
        if (token.kind == Tok::Literal) return "\"" + std::string(token.text) + "\"";
        std::size_t end = token.start + 1;
        if (!token.text.empty()) end = static_cast<std::size_t>(token.text.data() - text_.data()) + token.text.size();
        return "'" + std::string(text_.substr(token.start, end - token.start)) + "'";
    }

    [[noreturn]] static void Fail(std::size_t position, std::string message) {
        throw SyntaxError{position, std::move(message)};
    }

    struct DepthGuard {
        explicit DepthGuard(Parser& parser) : parser_(parser) {
            if (++parser_.depth_ > kMaxDepth) Fail(parser_.token_.start, "nested too deeply");
        }
        ~DepthGuard() { --parser_.depth_; }
        DepthGuard(const DepthGuard&) = delete;
        DepthGuard& operator=(const DepthGuard&) = delete;
        Parser& parser_;
    };

    std::string_view text_;
    const SessionView& session_;
    std::size_t pos_ = 0;
    Token token_;
    int depth_ = 0;
};

}  // namespace

ConditionResult EvaluateCondition(std::string_view condition, const SessionView& session) {
    if (std::all_of(condition.begin(), condition.end(), IsBlank)) return {true, {}};
    try {
        Parser parser(condition, session);
        return {parser.Condition(), {}};
    } catch (const SyntaxError& error) {
        return {false, "malformed condition \"" + std::string(condition) + "\" at position " +
                           std::to_string(error.position + 1) + ": " + error.message};
    }
}

}  // namespace veltra::sim::engine
