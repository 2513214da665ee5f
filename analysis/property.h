#pragma once

#include <string>
#include <string_view>
#include <vector>

// A named, typed parameter: `text` is what the user sees and types, and the
// typed value is derived from it by ParseText whenever the text is set.
// Numbers are always read and written in the C locale.
class Property {
  public:
    enum Type { kBase = 0, kLong = 1, kSelection = 2, kString = 3, kDouble = 4, kExDouble = 7 };

    explicit Property(std::string name);
    virtual ~Property() = default;

    virtual void ParseText() {}
    virtual int GetType() const { return kBase; }
    virtual Property* Clone() const;

    void SetText(std::string newText);
    void SetHelpText(std::string newText) { helpText = std::move(newText); }
    void CopyStrings(Property& target) const;

    std::string name;
    std::string text;
    std::string helpText;

  protected:
    Property(const Property&) = default;
    Property& operator=(const Property&) = default;
};

class PropertyLong : public Property {
  public:
    PropertyLong(std::string name, std::string text);
    PropertyLong(std::string name, long value);

    // A text containing "=" is a formula read elsewhere: the value is kept.
    // A number beyond the 32-bit range is held at the nearer end of it, and
    // a text that reads as NaN gives 0.
    void ParseText() override;
    int GetType() const override { return kLong; }
    Property* Clone() const override;

    long GetValue() const { return value; }
    // Keeps a formula text; otherwise the text becomes "%ld" of the value.
    void SetValue(long v);

    long value = 0;
};

class PropertyDouble : public Property {
  public:
    PropertyDouble(std::string name, std::string text, bool integral);
    PropertyDouble(std::string name, double value, int digits, bool integral);
    PropertyDouble(std::string name, double value, bool integral);

    void ParseText() override;
    int GetType() const override { return kDouble; }
    Property* Clone() const override;

    double GetValue() const { return value; }
    // Text "%.16g" of the value; the stored value is the one read back.
    void SetValue(double v);
    // The display rule of every output: counts as whole numbers (exponent form
    // from 1e12 on), other values fixed with `digits` decimals between 0.01 and
    // 100 (exclusive) and in "%g" form with `digits` significant digits
    // elsewhere. The stored value is the value read back from the text.
    void SetValueWithDigits(double v, int digits);

    double value = 0.0;
    bool integral = false;
};

// The digits every output of a calculation is shown with.
inline constexpr int kOutputDigits = 7;
// The number an output row of real numbers shows for v: its text, read back.
double ShownOutputValue(double v);
// The smallest number an output row of real numbers can show that is not
// below v.
double ShownOutputAtLeast(double v);

// A double input whose value an effect-size panel can compute.
class PropertyExDouble : public PropertyDouble {
  public:
    using PropertyDouble::PropertyDouble;

    int GetType() const override { return kExDouble; }
    Property* Clone() const override;

    int testId = 0;
};

class PropertySelection : public Property {
  public:
    explicit PropertySelection(std::string name);

    // The position of the last option equal to the text, or -1.
    void ParseText() override;
    int GetType() const override { return kSelection; }
    Property* Clone() const override;

    virtual bool IsSelectionValid() const;
    virtual std::string EnsureValidSelection(std::string s);
    virtual void SelectText(std::string s);

    void AddOption(std::string option) { options.push_back(std::move(option)); }
    int GetOptionCount() const { return static_cast<int>(options.size()); }
    // Option i modulo the option count (a negative i counts from the end);
    // an empty string when there are no options.
    std::string GetOption(int i) const;
    // index = i modulo the option count; returns i divided by the count.
    // Without options the index becomes -1 and 0 is returned.
    int SetIndex(int i);
    // The option at index; an empty string when index selects none.
    std::string GetSelectedText() const;

    std::vector<std::string> options;
    int index = -1;
};

class PropertyString : public Property {
  public:
    PropertyString(std::string name, std::string value);

    int GetType() const override { return kString; }
    Property* Clone() const override;

    std::string value;
};

// Owning, insertion-ordered list of properties, searched by exact name (the
// first match wins).
class PropertyList : public std::vector<Property*> {
  public:
    PropertyList() = default;
    PropertyList(const PropertyList&) = delete;
    PropertyList& operator=(const PropertyList&) = delete;
    ~PropertyList();

    void CopyTo(PropertyList& destination) const;
    void Clear();
    // The first element named exactly `name`; the name is compared as it
    // stands, so a label given as a literal builds no string.
    Property* Find(std::string_view name) const;
    Property* FindWithIndex(std::string_view name, int* index) const;
};

// The nearest whole number to x, halves upward, when it lies in the 32-bit
// range of PropertyLong values; false (and *out untouched) for NaN and for
// values beyond that range.
bool RoundToWhole(double x, long* out);

// A PropertyList used as a key-value store. A key is read and written with
// the getter and setter of one type only.
bool GetNamedLong(PropertyList* store, const char* key, long* out);
bool GetNamedDouble(PropertyList* store, const char* key, double* out);
bool GetNamedString(PropertyList* store, const char* key, std::string* out);
void SetNamedLong(PropertyList* store, const char* key, long value);
void SetNamedDouble(PropertyList* store, const char* key, double value);
// An empty value neither creates nor changes an entry.
void SetNamedString(PropertyList* store, const char* key, std::string value);
