#pragma once

#include <iosfwd>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// One-line arithmetic formulas: numbers, + - * / ^, parentheses, variables of
// a calculator table and the built-in functions of FormulaFunctionTable().
// A formula is parsed once when it is built and may be evaluated any number
// of times. Errors never escape: they leave a code and a message (ending with
// a line break) in the formula object.

// ------------------------------------------------------------------ AVLTree

// Height-balanced search tree over opaque keys and values. A derived tree
// supplies the key comparison and says how its values are freed. The owner
// keeps the root link and passes it to every operation.
class AVLTree {
  public:
    struct Node {
        const void* key = nullptr;  // not owned
        Node* left = nullptr;
        Node* right = nullptr;
        void* value = nullptr;
        int balance = 0;  // height(right) - height(left): -1, 0 or +1
    };

    AVLTree() = default;
    AVLTree(const AVLTree&) = delete;
    AVLTree& operator=(const AVLTree&) = delete;
    virtual ~AVLTree() = default;

    // Negative when nodeKey sorts before key, 0 when equal, positive after.
    virtual int Compare(const void* nodeKey, const void* key) const = 0;
    // Frees a value for Remove(..., deleteValue = true).
    virtual void DeleteValue(void* value) = 0;

    // 0 when the key is present (foundValueSlot then addresses that node's
    // value, so the caller can replace it); 1 when a new node holding
    // newValue was linked in; -1 when no memory could be had.
    int Insert(const void* key, Node** root);
    // 0 when the key is absent, else 1 after the node is unlinked and freed.
    // Keys are never freed by the tree.
    int Remove(const void* key, Node** root, bool deleteValue);
    // The value stored under key, or null.
    void* Find(const void* key, Node* root) const;

    // Frees every node below *root (and, with deleteValues, their values).
    void DestroyAll(Node** root, bool deleteValues);

    void** foundValueSlot = nullptr;
    void* newValue = nullptr;

  private:
    bool InsertBelow(const void* key, Node** link, int* result);
    bool RemoveBelow(const void* key, Node** link, bool deleteValue, int* result);
};

// ------------------------------------------------------- variable tables

// A variable as the calculator's table stores it; tables may derive richer
// records from it.
struct VariableRecord {
    double value = 0.0;
};

// The calculator's table of named variables (keys are NUL-terminated names).
// The application supplies it.
class VariableTree : public AVLTree {
  public:
    using AVLTree::Find;
    virtual VariableRecord* Find(const char* name) = 0;
};

// How a formula reads variables. The bodies here are the defaults: with them
// every name is a variable that does not exist.
class VariableAccess {
  public:
    virtual ~VariableAccess() = default;
    virtual double GetValue(const VariableRecord* record);
    virtual double GetValueByName(const char* name);
    virtual bool HasVariable(const char* name);
    virtual VariableRecord* FindVariable(const char* name);
};

// The one process-wide access with only the defaults. It holds no data.
VariableAccess* DefaultVariableAccess();

// --------------------------------------------------------- function table

struct FormulaFunction {
    const char* name;
    int arity;
    double (*apply)(const double* args);
};

// The 74 built-in functions in their fixed order; names are case-sensitive.
std::span<const FormulaFunction> FormulaFunctionTable();
// Index into the table, or -1.
int FindFormulaFunction(std::string_view name);

// ------------------------------------------------------------- the tree

enum FormulaOperator {
    kOpCall = 0,
    kOpAdd = 1,
    kOpSubtract = 2,
    kOpMultiply = 3,
    kOpDivide = 4,
    kOpPower = 5,
    kOpNone = 6
};

// Precedence of each operator code, index = code.
inline constexpr int FormulaPrecedenceTable[7] = {0, 1, 2, 3, 3, 4, 5};

// A token at a leaf of the tree.
struct Operand {
    enum Kind { kNumber = 0, kVariable = 1, kFunction = 2, kUnaryMinus = 3, kNothing = 4 };
    int kind = kNothing;
    int function = -1;
    VariableRecord* record = nullptr;
    double number = 0.0;
    std::string name;
};

// A node: a leaf (operand set), an operator node (left, op 1 to 5, right), a
// call node (op 0: left the function's leaf, right the first argument, args
// the further arguments), a wrapper (left only, op none) or empty (value 0).
class FormulaTree {
  public:
    explicit FormulaTree(VariableAccess* variables);
    FormulaTree(const FormulaTree&) = delete;
    FormulaTree& operator=(const FormulaTree&) = delete;
    virtual ~FormulaTree();

    virtual void Clear();
    // Writes the tree as text, e.g. "(2*(3+x))" or "chi2cdf(1,-1)".
    std::ostream& Print(std::ostream& os) const;
    // May throw whatever a function throws.
    double EvaluateNode() const;

    std::unique_ptr<FormulaTree> left;
    std::unique_ptr<FormulaTree> right;
    std::unique_ptr<Operand> operand;
    int op = kOpNone;
    std::vector<std::unique_ptr<FormulaTree>> args;
    int argCount = 0;
    VariableAccess* variables;  // not owned; null stands for the defaults
    int height = 1;             // levels of nodes below and including this one

  protected:
    void PrintNode(std::ostream& os) const;
};

// ---------------------------------------------------------------- Formula

class Formula : public FormulaTree {
  public:
    enum Error {
        kValid = 0,
        kNotParsed = 2,
        kLeftOver = 3,  // characters after a complete expression
        kFunctionWithoutPar = 5,
        kUnknownFunction = 6,
        kUnbalancedPar = 7,
        kUnknownVariable = 8,
        kMissingArgument = 9,
        kMissingRightPar = 10,
        kMissingOperand = 11,
        kTooDeep = 12,  // nested or chained beyond what the evaluator recurses through
        kMathError = 30,
    };

    // `variables` may be null: the formula then knows no variable names.
    Formula(const char* text, VariableAccess* variables);

    // True when parsing failed. Each call starts from an empty tree.
    bool Parse(const char* text);
    // The value of the parsed tree; 0.0 when the formula has an error before
    // or after (a failed evaluation sets code 30).
    virtual double Evaluate();

    // "err " for a formula with an error, else the tree.
    std::ostream& Print(std::ostream& os) const;

    int GetError() const { return error; }
    const std::string& GetMessage() const { return message; }

    int error = kNotParsed;
    std::string message;
    std::string buffer;  // the text without blanks and control characters
    size_t cursor = 0;   // read position in buffer

  protected:
    Formula(VariableAccess* variables, int);  // unparsed, for VarFormula
};

// A formula bound to the calculator's variable table: names are looked up
// in the table whenever the formula is parsed and evaluated.
class VarFormula : public Formula, public VariableAccess {
  public:
    VarFormula(const char* text, VariableTree* table);

    double GetValue(const VariableRecord* record) override;
    double GetValueByName(const char* name) override;
    bool HasVariable(const char* name) override;
    VariableRecord* FindVariable(const char* name) override;

    VariableTree* table;  // not owned
};
