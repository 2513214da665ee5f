// libFuzzer target for the formula reader and evaluator: any byte string is
// parsed, printed and evaluated, with and without a variable table, and the
// result must keep the formula's contract.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>

#include "analysis/formula.h"
#include "analysis/property_input.h"

namespace {

class Table : public VariableTree {
  public:
    Table() {
        for (const char* name : {"x", "y", "n2"}) {
            newValue = new VariableRecord{std::strlen(name) * 1.5};
            Insert(name, &root);
        }
    }
    ~Table() override { DestroyAll(&root, true); }
    int Compare(const void* a, const void* b) const override {
        return std::strcmp(static_cast<const char*>(a), static_cast<const char*>(b));
    }
    void DeleteValue(void* v) override { delete static_cast<VariableRecord*>(v); }
    VariableRecord* Find(const char* name) override {
        return static_cast<VariableRecord*>(AVLTree::Find(name, root));
    }
    Node* root = nullptr;
};

void Require(bool condition) {
    if (!condition) std::abort();
}

void Check(Formula& f) {
    const int before = f.GetError();
    Require(before == 0 || before == 3 || (before >= 5 && before <= 12));
    Require((before == 0 || before == 3) == f.GetMessage().empty());
    std::ostringstream printed;
    f.Print(printed);
    const double v = f.Evaluate();
    const int after = f.GetError();
    if (before != 0) Require(after == before && v == 0.0);
    if (after == 30) Require(v == 0.0 && f.GetMessage().rfind("Math error in formula ", 0) == 0);
    if (!f.GetMessage().empty()) Require(f.GetMessage().back() == '\n');
    const double again = f.Evaluate();
    if (after != 0) {
        Require(again == 0.0);
    } else {
        Require(again == v || (again != again && v != v));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    Formula plain(text.c_str(), nullptr);
    Check(plain);
    Table table;
    VarFormula withVariables(text.c_str(), &table);
    Check(withVariables);
    const FormulaInputResult r = EvaluateFormulaText(text);
    Require(r.ok == r.error.empty());
    return 0;
}
