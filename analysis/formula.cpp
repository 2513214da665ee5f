#include "analysis/formula.h"

#include <locale.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iostream>
#include <locale>
#include <new>
#include <sstream>

namespace {

// Recursion of the reader and of the evaluator is bounded, so that a long or
// deeply nested text is reported instead of exhausting the stack.
constexpr int kMaxNesting = 300;
constexpr int kMaxHeight = 2000;

bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

double ParseCNumber(const std::string& s) {
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", nullptr);
    return strtod_l(s.c_str(), nullptr, cLocale);
}

// A reading error: the code and message the formula keeps.
struct SyntaxError {
    int code;
    std::string message;
};

int OperatorCode(char c) {
    switch (c) {
        case '*':
            return kOpMultiply;
        case '+':
            return kOpAdd;
        case '-':
            return kOpSubtract;
        case '/':
            return kOpDivide;
        case '^':
            return kOpPower;
        default:
            return kOpNone;
    }
}

char OperatorChar(int op) {
    switch (op) {
        case kOpAdd:
            return '+';
        case kOpSubtract:
            return '-';
        case kOpMultiply:
            return '*';
        case kOpDivide:
            return '/';
        case kOpPower:
            return '^';
        default:
            return '?';
    }
}

using Node = std::unique_ptr<FormulaTree>;

// Precedence climbing over Formula::buffer; every operator groups from the
// left. The node shapes are those FormulaTree describes.
class Reader {
  public:
    Reader(Formula& formula, VariableAccess* variables) : f_(formula), variables_(variables) {}

    // A whole expression, up to a character that is no operator (such as
    // ")" or "," or the end). Null when nothing was read.
    Node ReadExpression() {
        NestingGuard guard(*this);
        Node lhs = ReadOperand(kOpNone);
        if (!lhs) return nullptr;
        for (;;) {
            const int op = OperatorCode(Peek());
            if (op == kOpNone) break;
            ++f_.cursor;
            Node rhs = ReadExpressionAfter(op);
            lhs = MakeBinary(op, std::move(lhs), std::move(rhs));
        }
        return lhs;
    }

  private:
    struct NestingGuard {
        explicit NestingGuard(Reader& r) : reader(r) {
            if (++reader.nesting_ > kMaxNesting) throw TooDeep();
        }
        ~NestingGuard() { --reader.nesting_; }
        Reader& reader;
    };

    static SyntaxError TooDeep() {
        return {Formula::kTooDeep, "Syntax error: Formula nested too deeply\n"};
    }

    char Peek() const { return f_.cursor < f_.buffer.size() ? f_.buffer[f_.cursor] : '\0'; }
    char PeekAt(size_t offset) const {
        return f_.cursor + offset < f_.buffer.size() ? f_.buffer[f_.cursor + offset] : '\0';
    }

    SyntaxError MissingOperand() const {
        return {Formula::kMissingOperand,
                "Syntax error: Missing operand at: " + f_.buffer.substr(f_.cursor) + "\n"};
    }

    // The right operand of `op`: everything that binds more tightly.
    Node ReadExpressionAfter(int op) {
        NestingGuard guard(*this);
        Node rhs = ReadOperand(op);
        if (!rhs) throw MissingOperand();
        for (;;) {
            const int next = OperatorCode(Peek());
            if (next == kOpNone || FormulaPrecedenceTable[next] <= FormulaPrecedenceTable[op])
                break;
            ++f_.cursor;
            Node further = ReadExpressionAfter(next);
            rhs = MakeBinary(next, std::move(rhs), std::move(further));
        }
        return rhs;
    }

    Node NewNode() const { return std::make_unique<FormulaTree>(variables_); }

    Node MakeLeaf(std::unique_ptr<Operand> operand) const {
        Node n = NewNode();
        n->operand = std::move(operand);
        return n;
    }

    Node MakeNumber(double v, int kind = Operand::kNumber) const {
        auto operand = std::make_unique<Operand>();
        operand->kind = kind;
        operand->number = v;
        return MakeLeaf(std::move(operand));
    }

    Node MakeBinary(int op, Node lhs, Node rhs) const {
        Node n = NewNode();
        n->height = 1 + std::max(lhs->height, rhs->height);
        if (n->height > kMaxHeight) throw TooDeep();
        n->left = std::move(lhs);
        n->right = std::move(rhs);
        n->op = op;
        return n;
    }

    // A minus that is not the sign of a number is the factor -1.
    Node Negate(Node operand) const {
        return MakeBinary(kOpMultiply, MakeNumber(-1.0, Operand::kUnaryMinus), std::move(operand));
    }

    // Reads one operand; `after` is the operator before it (none at the start
    // of an expression). Null when nothing was read.
    Node ReadOperand(int after) {
        NestingGuard guard(*this);
        const char c = Peek();
        if (c == '(') {
            ++f_.cursor;
            Node inner = ReadExpression();
            if (Peek() != ')')
                throw SyntaxError{Formula::kUnbalancedPar,
                                  "Syntax error: Unbalanced parentheses\n"};
            ++f_.cursor;
            Node wrapper = NewNode();
            if (inner) {
                wrapper->height = inner->height + 1;
                wrapper->left = std::move(inner);
            }
            return wrapper;
        }
        if (IsLetter(c)) return ReadName();
        if (IsDigit(c) || (c == '.' && IsDigit(PeekAt(1)))) return MakeNumber(ReadNumber());
        if (c == '-') {
            if (IsDigit(PeekAt(1))) {
                ++f_.cursor;
                return MakeNumber(-ReadNumber());
            }
            ++f_.cursor;
            if (after == kOpDivide || after == kOpPower) {
                // 2/-x is 2/(-x) and 2^-x is 2^(-x): the minus takes the
                // next operand only, as the sign of a number would.
                Node operand = ReadOperand(after);
                if (!operand) throw MissingOperand();
                return Negate(std::move(operand));
            }
            // Elsewhere the minus reaches up to the next + or - of its level:
            // -x^2 is -(x^2) and 2*-x*y is 2*(-(x*y)).
            Node operand = ReadExpressionAfter(kOpSubtract);
            return Negate(std::move(operand));
        }
        if (c == '+') {
            ++f_.cursor;
            return nullptr;
        }
        return nullptr;
    }

    // Digits, optional "." and digits, optional exponent with digits.
    double ReadNumber() {
        const size_t start = f_.cursor;
        while (IsDigit(Peek())) ++f_.cursor;
        if (Peek() == '.') {
            ++f_.cursor;
            while (IsDigit(Peek())) ++f_.cursor;
        }
        if (Peek() == 'e' || Peek() == 'E') {
            size_t k = 1;
            if (PeekAt(1) == '+' || PeekAt(1) == '-') k = 2;
            if (IsDigit(PeekAt(k))) {
                f_.cursor += k;
                while (IsDigit(Peek())) ++f_.cursor;
            }
        }
        return ParseCNumber(f_.buffer.substr(start, f_.cursor - start));
    }

    Node ReadName() {
        const size_t start = f_.cursor;
        while (IsLetter(Peek()) || IsDigit(Peek())) ++f_.cursor;
        std::string name = f_.buffer.substr(start, f_.cursor - start);
        const int function = FindFormulaFunction(name);
        if (function >= 0) {
            if (Peek() != '(') {
                throw SyntaxError{Formula::kFunctionWithoutPar,
                                  "Syntax Error: Function " + name + " must be called with ()\n"};
            }
            ++f_.cursor;
            return ReadCall(function, std::move(name));
        }
        if (Peek() == '(')
            throw SyntaxError{Formula::kUnknownFunction,
                              "Syntax Error: Unknown function " + name + "\n"};
        VariableAccess* access = variables_ ? variables_ : DefaultVariableAccess();
        if (!access->HasVariable(name.c_str())) {
            throw SyntaxError{Formula::kUnknownVariable,
                              "Syntax error: Unknown Variable " + name + "\n"};
        }
        auto operand = std::make_unique<Operand>();
        operand->kind = Operand::kVariable;
        operand->record = access->FindVariable(name.c_str());
        operand->name = std::move(name);
        return MakeLeaf(std::move(operand));
    }

    Node ReadArgument() {
        Node arg = ReadExpression();
        return arg ? std::move(arg) : NewNode();
    }

    Node ReadCall(int function, std::string name) {
        const int arity = FormulaFunctionTable()[function].arity;
        Node call = NewNode();
        call->op = kOpCall;
        call->argCount = arity;
        auto operand = std::make_unique<Operand>();
        operand->kind = Operand::kFunction;
        operand->function = function;
        operand->name = name;
        call->left = MakeLeaf(std::move(operand));
        call->right = ReadArgument();
        int height = call->right->height;
        for (int i = 1; i < arity; ++i) {
            if (Peek() != ',') {
                throw SyntaxError{Formula::kMissingArgument,
                                  "Syntax error: Missing argument for function " + name + "\n"};
            }
            ++f_.cursor;
            call->args.push_back(ReadArgument());
            height = std::max(height, call->args.back()->height);
        }
        if (Peek() != ')') {
            throw SyntaxError{
                Formula::kMissingRightPar,
                "Syntax error: Missing right parenthesis for function " + name + "\n"};
        }
        ++f_.cursor;
        call->height = height + 1;
        return call;
    }

    Formula& f_;
    VariableAccess* variables_;
    int nesting_ = 0;
};

}  // namespace

// ------------------------------------------------------------ VariableAccess

double VariableAccess::GetValue(const VariableRecord*) {
    return 0.0;
}
double VariableAccess::GetValueByName(const char*) {
    return 0.0;
}
bool VariableAccess::HasVariable(const char*) {
    return false;
}
VariableRecord* VariableAccess::FindVariable(const char*) {
    return nullptr;
}

VariableAccess* DefaultVariableAccess() {
    static VariableAccess defaults;
    return &defaults;
}

// --------------------------------------------------------------- FormulaTree

FormulaTree::FormulaTree(VariableAccess* v) : variables(v) {}

FormulaTree::~FormulaTree() = default;

void FormulaTree::Clear() {
    left.reset();
    right.reset();
    operand.reset();
    args.clear();
    argCount = 0;
    op = kOpNone;
    height = 1;
}

double FormulaTree::EvaluateNode() const {
    if (operand) {
        switch (operand->kind) {
            case Operand::kNumber:
            case Operand::kUnaryMinus:
                return operand->number;
            case Operand::kVariable: {
                VariableAccess* access = variables ? variables : DefaultVariableAccess();
                return operand->record ? access->GetValue(operand->record)
                                       : access->GetValueByName(operand->name.c_str());
            }
            default:
                return 0.0;
        }
    }
    if (op == kOpCall) {
        const FormulaFunction& function = FormulaFunctionTable()[left->operand->function];
        double values[4] = {0.0, 0.0, 0.0, 0.0};
        values[0] = right ? right->EvaluateNode() : 0.0;
        for (size_t i = 0; i < args.size() && i < 3; ++i) values[i + 1] = args[i]->EvaluateNode();
        return function.apply(values);
    }
    const double l = left ? left->EvaluateNode() : 0.0;
    const double r = right ? right->EvaluateNode() : 0.0;
    switch (op) {
        case kOpAdd:
            return l + r;
        case kOpSubtract:
            return l - r;
        case kOpMultiply:
            return l * r;
        case kOpDivide:
            return l / r;
        case kOpPower:
            return std::pow(l, r);
        default:
            return l;  // a wrapper stands for its left; empty gives 0
    }
}

std::ostream& FormulaTree::Print(std::ostream& os) const {
    PrintNode(os);
    return os;
}

void FormulaTree::PrintNode(std::ostream& os) const {
    if (operand) {
        switch (operand->kind) {
            case Operand::kNumber:
            case Operand::kUnaryMinus:
                os << operand->number;
                break;
            case Operand::kVariable:
                os << operand->name;
                break;
            case Operand::kFunction:
                os << operand->name << '(';
                break;
            default:
                os << '?';
        }
        return;
    }
    if (op == kOpCall) {
        left->PrintNode(os);
        if (right) right->PrintNode(os);
        for (const auto& arg : args) {
            os << ',';
            arg->PrintNode(os);
        }
        os << ')';
        return;
    }
    if (op != kOpNone && left && right) {
        os << '(';
        left->PrintNode(os);
        os << OperatorChar(op);
        right->PrintNode(os);
        os << ')';
        return;
    }
    if (left) left->PrintNode(os);
}

// ------------------------------------------------------------------- Formula

Formula::Formula(VariableAccess* v, int) : FormulaTree(v) {}

Formula::Formula(const char* text, VariableAccess* v) : FormulaTree(v) {
    Parse(text);
}

bool Formula::Parse(const char* text) {
    message.clear();
    error = kValid;
    buffer.clear();
    for (const char* p = text ? text : ""; *p; ++p) {
        const unsigned char c = static_cast<unsigned char>(*p);
        if (c <= 32 || c == 127) continue;  // blanks and control characters
        buffer.push_back(*p);
    }
    cursor = 0;
    Clear();
    try {
        Reader reader(*this, variables);
        std::unique_ptr<FormulaTree> root = reader.ReadExpression();
        if (root) {
            left = std::move(root->left);
            right = std::move(root->right);
            operand = std::move(root->operand);
            op = root->op;
            args = std::move(root->args);
            argCount = root->argCount;
            height = root->height;
        }
        if (cursor < buffer.size()) error = kLeftOver;
    } catch (const SyntaxError& e) {
        error = e.code;
        message = e.message;
        std::cout << message;
        Clear();
    } catch (const std::bad_alloc&) {
        error = kTooDeep;
        message = "Syntax error: Formula too long\n";
        Clear();
    }
    return error != kValid;
}

double Formula::Evaluate() {
    if (error != kValid) return 0.0;
    try {
        return EvaluateNode();
    } catch (...) {
        error = kMathError;
        std::ostringstream os;
        os.imbue(std::locale::classic());
        os << "Math error in formula ";
        FormulaTree::Print(os);
        os << '\n';
        message = os.str();
        std::cout << message;
        return 0.0;
    }
}

std::ostream& Formula::Print(std::ostream& os) const {
    if (error != kValid) return os << "err ";
    return FormulaTree::Print(os);
}

// ---------------------------------------------------------------- VarFormula

VarFormula::VarFormula(const char* text, VariableTree* t) : Formula(nullptr, 0), table(t) {
    variables = this;
    Parse(text);
}

double VarFormula::GetValue(const VariableRecord* record) {
    return record ? record->value : 0.0;
}

double VarFormula::GetValueByName(const char* name) {
    const VariableRecord* record = table ? table->Find(name) : nullptr;
    return record ? record->value : 0.0;
}

bool VarFormula::HasVariable(const char* name) {
    return table && table->Find(name) != nullptr;
}

VariableRecord* VarFormula::FindVariable(const char* name) {
    return table ? table->Find(name) : nullptr;
}
