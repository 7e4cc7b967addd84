// KMCExpression: a rate quantity or an energy as the user typed it or a document stored it. A
// number is kept as its canonical text, which documents and the engine's input use, so stored
// text never depends on the user's locale; the user's locale applies only to the display form
// and to text read with `localized`.
#pragma once

#include <string>
#include <vector>

#include "com/base.h"

class NOX_EXPORT KMCExpression {
public:
    // How strictly SetValue checks a number.
    enum ValidationLevel { AnyValue = 0, Positive = 1, NonNegative = 2 };

    // The empty expression: no text, numeric with the value 0.
    KMCExpression() = default;
    explicit KMCExpression(double value);
    // Never fails: a text that is not one number is kept as it is and is not numeric.
    explicit KMCExpression(const std::string& text);
    KMCExpression(const KMCExpression&) = default;
    KMCExpression& operator=(const KMCExpression&) = default;
    virtual ~KMCExpression() = default;

    // Stores the number in `text`, read in the user's locale when `localized`. Raised with
    // E_UNEXPECTED, leaving the expression as it was: "Input expression is empty.", "Input
    // expression must be numeric." (also for infinities and NaN, which no rate or energy can
    // be), "Numeric value must be positive", "Numeric value must not be negative".
    void SetValue(const std::string& text, ValidationLevel level, bool localized);

    // Whether the expression is a number, with that number in `value` (0 when it is not).
    bool IsNumeric(double& value) const;
    bool IsEmpty() const { return text_.empty(); }
    // True for the empty expression, false for one that is not a number.
    bool IsZero() const;
    // Empties `names` and returns true: a literal refers to no parameter.
    bool DependsOn(std::vector<std::string>& names) const;
    // The stored text; with `forDisplay` a number is shown in the user's locale instead.
    std::string ValueAsString(bool forDisplay) const;

private:
    // Whether the whole text is one number (the empty text counts as 0), with the number in
    // `value` and the text to store in `canonical`: the canonical text of the number, otherwise
    // the input unchanged.
    static bool IsExpressionNumeric(const std::string& text, double& value, std::string& canonical,
                                    bool localized);
    // The numeric test, and whether SetValue may store the text; `message` says why not.
    static bool IsExpressionValid(const std::string& text, double& value, std::string& canonical,
                                  std::string& message, bool localized);
    // Six significant digits with the decimal point always shown ("20.0000", "1.00000e13"),
    // with more digits only when six would not read back as the same double.
    static std::string FormatForVelkor(double value);

    std::string text_;
    bool numeric_ = true;
    double value_ = 0.0;
};

// Numbers combine into a number; otherwise the result is the text "( a + b )" or "( a * b )".
NOX_EXPORT KMCExpression operator+(const KMCExpression& a, const KMCExpression& b);
NOX_EXPORT KMCExpression operator*(const KMCExpression& a, const KMCExpression& b);
