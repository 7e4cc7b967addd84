// Expressions: which texts are numbers, what SetValue refuses, the stored and displayed texts
// in the C locale and in a locale with a decimal comma, and that stored text keeps every
// double. Parameters and their list.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdlib>
#include <iomanip>
#include <limits>
#include <locale>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "module/support.h"
#include "nox/locale.h"
#include "process/expression.h"
#include "process/parameters.h"

namespace {

using kmctest::DecimalCommaLocale;
using kmctest::Outcome;
using kmctest::Raised;

std::optional<double> NumberOf(const KMCExpression& expression) {
    double value = -1.0;
    const bool numeric = expression.IsNumeric(value);
    if (!numeric) {
        EXPECT_EQ(value, 0.0);
    }
    return numeric ? std::optional<double>(value) : std::nullopt;
}

TEST(ExpressionTest, TextIsANumberOnlyWhenTheWholeTextIsOne) {
    struct Case {
        std::string text;
        std::optional<double> number;
        std::string stored;
    };
    const std::nullopt_t no = std::nullopt;
    for (const Case& c : std::vector<Case>{{"1e13", 1e13, "1.00000e13"},
                                           {"+1E+13", 1e13, "1.00000e13"},
                                           {" \t1e13", 1e13, "1.00000e13"},
                                           {"-.5", -0.5, "-0.500000"},
                                           {"5.", 5.0, "5.00000"},
                                           {"", 0.0, "0.00000"},
                                           {"1e13 ", no, "1e13 "},
                                           {"abc", no, "abc"},
                                           {"1.0x", no, "1.0x"},
                                           {"1e", no, "1e"},
                                           {" ", no, " "},
                                           {"1,5", no, "1,5"},
                                           {std::string("1\0", 2), no, std::string("1\0", 2)}}) {
        KMCExpression expression(c.text);
        EXPECT_EQ(NumberOf(expression), c.number) << c.text;
        EXPECT_EQ(expression.ValueAsString(false), c.stored) << c.text;
    }
    EXPECT_TRUE(KMCExpression().IsEmpty());
    EXPECT_EQ(NumberOf(KMCExpression()), 0.0);
}

TEST(ExpressionTest, SetValueRefusesByLevelAndAFailureChangesNothing) {
    const Outcome empty{E_UNEXPECTED, "Input expression is empty."};
    const Outcome notNumeric{E_UNEXPECTED, "Input expression must be numeric."};
    const Outcome notPositive{E_UNEXPECTED, "Numeric value must be positive"};
    const Outcome negative{E_UNEXPECTED, "Numeric value must not be negative"};
    const Outcome ok{S_OK, ""};
    using L = KMCExpression::ValidationLevel;
    struct Case {
        std::string text;
        L level;
        Outcome outcome;
        std::string stored = {};
    };
    for (const Case& c : std::vector<Case>{{"", L::AnyValue, empty},
                                           {"abc", L::AnyValue, notNumeric},
                                           {"2 ", L::AnyValue, notNumeric},
                                           {"inf", L::AnyValue, notNumeric},
                                           {"-nan", L::AnyValue, notNumeric},
                                           {"1e999", L::Positive, notNumeric},
                                           {"0", L::Positive, notPositive},
                                           {"-1e-300", L::Positive, notPositive},
                                           {"-1", L::NonNegative, negative},
                                           {"0", L::NonNegative, ok, "0.00000"},
                                           {"1e-300", L::Positive, ok, "1.00000e-300"},
                                           {"-1", L::AnyValue, ok, "-1.00000"},
                                           {"20.0", L::AnyValue, ok, "20.0000"}}) {
        KMCExpression expression(7.0);
        EXPECT_EQ(Raised([&] { expression.SetValue(c.text, c.level, false); }), c.outcome) << c.text;
        const bool stored = c.outcome.first == S_OK;
        EXPECT_EQ(expression.ValueAsString(false), stored ? c.stored : "7.00000") << c.text;
        EXPECT_EQ(NumberOf(expression), stored ? std::strtod(c.text.c_str(), nullptr) : 7.0) << c.text;
    }
}

TEST(ExpressionTest, StoredTextKeepsSixDigitsUnlessTheyLoseTheValueAndDisplayTextIsShort) {
    struct Case {
        double value;
        std::string stored, shown;
    };
    for (const Case& c :
         std::vector<Case>{{20, "20.0000", "20"},
                           {0.5, "0.500000", "0.5"},
                           {-3, "-3.00000", "-3"},
                           {0, "0.00000", "0"},
                           {-0.0, "-0.00000", "-0"},
                           {1e13, "1.00000e13", "1e+13"},
                           {123456, "123456.0", "123456"},
                           {2.5e-4, "0.000250000", "0.00025"},
                           {1.5e-7, "1.50000e-07", "1.5e-07"},
                           // six digits would round these
                           {1.23456789e13, "1.23456789e13", "1.23457e+13"},
                           {123456.5, "123456.5", "123456"},
                           {1234567, "1234567.0", "1.23457e+06"},
                           {0.1 + 0.2, "0.30000000000000004", "0.3"},
                           {std::numeric_limits<double>::max(), "1.7976931348623157e308", "1.79769e+308"},
                           {std::numeric_limits<double>::denorm_min(), "4.94066e-324", "4.94066e-324"}}) {
        KMCExpression expression(c.value);
        EXPECT_EQ(expression.ValueAsString(false), c.stored) << c.value;
        EXPECT_EQ(expression.ValueAsString(true), c.shown) << c.value;
    }
    EXPECT_EQ(KMCExpression("abc").ValueAsString(true), "abc");
}

TEST(ExpressionTest, StoredTextReadsBackAsTheSameDouble) {
    std::mt19937_64 bits(20240607);
    using limits = std::numeric_limits<double>;
    std::vector<double> values = {-0.0, limits::denorm_min(), limits::min(), limits::lowest(), 1.0 / 3.0};
    while (values.size() < 20000) {
        const double value = std::bit_cast<double>(bits());
        if (std::isfinite(value)) values.push_back(value);
    }
    for (double value : values) {
        const std::string text = KMCExpression(value).ValueAsString(false);
        KMCExpression loaded(text), typed;
        typed.SetValue(text, KMCExpression::AnyValue, false);
        for (const KMCExpression& reread : {loaded, typed}) {
            ASSERT_EQ(std::bit_cast<uint64_t>(*NumberOf(reread)), std::bit_cast<uint64_t>(value)) << text;
            ASSERT_EQ(reread.ValueAsString(false), text);
        }
    }
}

// The canonical text as a classic-locale stream writes it, one precision after another until the
// text reads back: the definition the stored text must keep byte for byte.
std::string StreamCanonicalText(double value) {
    std::ostringstream stream;
    stream.imbue(std::locale::classic());
    stream << std::showpoint;
    for (int digits = 6;; ++digits) {
        stream.str({});
        stream << std::defaultfloat << std::setprecision(digits) << value;
        if (stream.str().back() == '.') {
            stream.str({});
            stream << std::fixed << std::setprecision(1) << value;
        }
        std::string text;
        for (size_t i = 0; i < stream.str().size(); ++i) {
            const std::string written = stream.str();
            if (!(written[i] == '+' && i > 0 && written[i - 1] == 'e')) text += written[i];
        }
        if (digits == 17 || std::strtod(text.c_str(), nullptr) == value) return text;
    }
}

TEST(ExpressionTest, StoredTextIsTheStreamsText) {
    std::vector<double> values = {0.0,      -0.0,     1.0,      20.0,      0.5,    1e13,    1.23456789e13,
                                  123456.0, 100000.0, 999999.5, 9.9999995, 0.0001, 0.00001, 1e-5,
                                  1.5e-7,   2.77,     1e300,    5e-324,    -273.15};
    for (int k = -12; k <= 20; ++k) {
        for (double mantissa : {1.0, 1.5, 9.999995, 9.9999995, 1.0000005, 123456.5, 3.0 / 7.0})
            values.push_back(mantissa * std::pow(10.0, k));
    }
    std::mt19937_64 bits(77);
    while (values.size() < 30000) {
        const double value = std::bit_cast<double>(bits());
        if (std::isfinite(value)) values.push_back(value);
        values.push_back(static_cast<double>(bits() % 2000001) /
                         std::pow(10.0, static_cast<int>(bits() % 9)));
    }
    for (double value : values)
        ASSERT_EQ(KMCExpression(value).ValueAsString(false), StreamCanonicalText(value)) << value;
}

TEST(ExpressionTest, OperatorsCombineNumbersAndOtherwiseWriteTheFormula) {
    const KMCExpression abc("abc"), two(2.0), three(3.0);
    struct Case {
        KMCExpression result;
        std::optional<double> number;
        std::string text;
    };
    for (const Case& c :
         std::vector<Case>{{abc + two, std::nullopt, "( abc + 2.00000 )"},
                           {two * three, 6.0, "6.00000"},
                           {(abc + two) * three, std::nullopt, "( ( abc + 2.00000 ) * 3.00000 )"},
                           {KMCExpression() + two, 2.0, "2.00000"},
                           {KMCExpression(0.1) + KMCExpression(0.2), 0.1 + 0.2, "0.30000000000000004"}}) {
        EXPECT_EQ(NumberOf(c.result), c.number) << c.text;
        EXPECT_EQ(c.result.ValueAsString(false), c.text);
    }
}

TEST(ExpressionTest, ZeroEmptinessAndDependencies) {
    EXPECT_TRUE(KMCExpression().IsZero());
    EXPECT_FALSE(KMCExpression("abc").IsZero());
    EXPECT_TRUE(KMCExpression(0.0).IsZero());
    EXPECT_FALSE(KMCExpression(1e-300).IsZero());
    std::vector<std::string> names{"stale"};
    EXPECT_TRUE(KMCExpression("k * 2").DependsOn(names));
    EXPECT_TRUE(names.empty());
}

// LC_ALL names a locale with a decimal comma for the test's duration; the scope reads it.
class DecimalCommaTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!comma_.Available())
            GTEST_SKIP() << "locale de_DE.UTF-8 is not installed (build.sh generates it)";
    }

private:
    DecimalCommaLocale comma_;
};

TEST_F(DecimalCommaTest, UserTextIsReadAndShownWithTheCommaButStoredInTheCLocale) {
    struct Case {
        double value;
        std::string shown;
        double typedBack;
    };
    for (const Case& c : std::vector<Case>{{1.5, "1,5", 1.5},
                                           {123456, "123456", 123456},
                                           {1234567, "1,23457e+06", 1234570},
                                           {-2.5e-4, "-0,00025", -2.5e-4}}) {
        const std::string shown = KMCExpression(c.value).ValueAsString(true);
        EXPECT_EQ(shown, c.shown);  // never grouped, or it could not be typed back
        KMCExpression typed;
        typed.SetValue(shown, KMCExpression::AnyValue, true);
        EXPECT_EQ(NumberOf(typed), c.typedBack) << shown;
        EXPECT_EQ(typed.ValueAsString(false), KMCExpression(c.typedBack).ValueAsString(false));
    }
    KMCExpression expression;
    for (const auto& [text, localized] : {std::pair{"2.5", true}, std::pair{"2,5", false}})
        EXPECT_EQ(Raised([&, text = text, localized = localized] {
                      expression.SetValue(text, KMCExpression::AnyValue, localized);
                  }),
                  Outcome(E_UNEXPECTED, "Input expression must be numeric."));
    NoxLocalizationEnabler enclosing;  // stored text and unlocalized reading ignore any scope
    expression.SetValue("1234567.5", KMCExpression::AnyValue, false);
    EXPECT_EQ(expression.ValueAsString(false), "1234567.5");
    EXPECT_EQ(KMCExpression(0.5).ValueAsString(false), "0.500000");
}

TEST(ParameterTest, ApplicationValueOverridesUntilReset) {
    KMCParameter parameter("k", "2");
    EXPECT_FALSE(parameter.IsApplicationValueModified());
    EXPECT_EQ(parameter.ApplicationValueAsString(), "2.00000");
    parameter.SetApplicationValue("5");
    EXPECT_TRUE(parameter.IsApplicationValueModified());
    EXPECT_EQ(parameter.ApplicationValue().ValueAsString(false), "5.00000");
    EXPECT_EQ(parameter.ValueAsString(), "2.00000");
    EXPECT_EQ(Raised([&] { parameter.SetValue("abc"); }),
              Outcome(E_UNEXPECTED, "Input expression must be numeric."));
    parameter.ResetApplicationValue();
    EXPECT_EQ(parameter.ApplicationValueAsString(), "2.00000");
    EXPECT_TRUE(parameter.IsApplicationValueDefined());
}

TEST(ParameterListTest, NamesMustBeUniqueButDuplicatesStayInTheList) {
    KMCParameterList list;
    EXPECT_FALSE(list.IsParameterKnown("k"));
    EXPECT_TRUE(list.AddParameter("k", "1"));
    EXPECT_TRUE(list.IsParameterKnown("k"));  // the name cache follows additions
    EXPECT_TRUE(list.AddParameter("K", "2"));
    EXPECT_FALSE(list.AddParameter("k", "3"));
    const KMCParameterList copy = list;
    EXPECT_FALSE(list.AddParameter("m", "4"));  // the duplicate was kept
    EXPECT_FALSE(copy.IsApplicationListValid());
    EXPECT_TRUE(copy.IsParameterKnown("K"));
    EXPECT_FALSE(copy.IsParameterKnown("m"));
    EXPECT_TRUE(list.IsParameterKnown("m"));
}

}  // namespace
