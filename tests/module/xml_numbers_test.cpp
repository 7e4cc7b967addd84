// Numbers in XML: the reader's direct conversion against standard stream extraction on edge
// texts, and the writer's direct texts against the framework's formatter, through both of each
// object's entrances.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <climits>
#include <cstdint>
#include <limits>
#include <locale>
#include <sstream>

#include "nox/format.h"
#include "support.h"

using namespace kmctest;

namespace {

// What the reader's results are defined as: classic-locale stream extraction.
double StreamDouble(const std::string& text) {
    std::istringstream stream(text);
    stream.imbue(std::locale::classic());
    double value = 0;
    stream >> value;
    return value;
}

// The standard reads an int through a long and narrows the result to the int's range. The
// library's own operator>>(int&) narrows wrongly for text beyond the range of a long (it gives
// -1 for "99999999999999999999"), so the oracle applies the standard's rule itself.
LONG StreamLong(const std::string& text) {
    std::istringstream stream(text);
    stream.imbue(std::locale::classic());
    long value = 0;
    stream >> value;
    return static_cast<LONG>(std::clamp<long>(value, INT_MIN, INT_MAX));
}

std::vector<std::string> EdgeTexts() {
    const std::string bodies[] = {"0",
                                  "00",
                                  "007",
                                  "1",
                                  "12",
                                  "123456789",
                                  ".",
                                  ".5",
                                  "5.",
                                  "1.5",
                                  "1.5.3",
                                  "1..5",
                                  "1e",
                                  "1e5",
                                  "1E5",
                                  "1e+5",
                                  "1e-5",
                                  "1e+",
                                  "1e-",
                                  "1e+-5",
                                  "1ee5",
                                  "1e5e3",
                                  "1e5.5",
                                  "e5",
                                  ".e5",
                                  "1.e5",
                                  "0.e5",
                                  "-",
                                  "+",
                                  "0x1A",
                                  "0x",
                                  "0b1",
                                  "1e400",
                                  "-1e400",
                                  "1e-400",
                                  "0e-400",
                                  "4.9e-324",
                                  "2.4e-324",
                                  "2.5e-324",
                                  "2.2250738585072014e-308",
                                  "1.7976931348623157e308",
                                  "1.7976931348623159e308",
                                  "1.797693134862316e308",
                                  "2147483647",
                                  "2147483648",
                                  "4294967296",
                                  "4294967297",
                                  "9223372036854775807",
                                  "9223372036854775808",
                                  "99999999999",
                                  "99999999999999999999",
                                  "18446744073709551616",
                                  "inf",
                                  "INF",
                                  "infinity",
                                  "nan",
                                  "NaN",
                                  "abc",
                                  "1,000",
                                  "1 000",
                                  "1_000",
                                  "\xD9\xA1\xD9\xA2",
                                  "\xEF\xBC\x91",
                                  "1e0005",
                                  "1e-0005",
                                  "0.1",
                                  "0.30000000000000004",
                                  "9007199254740993",
                                  "1" + std::string(400, '0'),
                                  "0." + std::string(400, '0') + "1",
                                  "0." + std::string(300, '0') + "1",
                                  std::string(30, '9') + "e-30",
                                  "1e99999999999999999999",
                                  "1e-99999999999999999999",
                                  "123abc",
                                  "",
                                  " "};
    const std::string prefixes[] = {"", " ", "\t", "\n", "  \r\n", "+", "-", "+-", "--", " -", "- "};
    const std::string suffixes[] = {"", " ", "x", ".", "e", "5", " 7", "\t\n"};
    std::vector<std::string> texts;
    for (const std::string& prefix : prefixes)
        for (const std::string& body : bodies)
            for (const std::string& suffix : suffixes) texts.push_back(prefix + body + suffix);
    return texts;
}

// What each text reads as through each entrance of the reader: the double and the 32-bit
// integer, first through the automation interface and then through the 8-bit entrance.
struct Readings {
    double automationDouble, directDouble;
    LONG automationLong, directLong;
};

// Each text is the attribute "v" of an element of its own, as a document holds its numbers.
std::vector<Readings> ReadAll(const std::vector<std::string>& texts) {
    xmlTree tree;
    xmlElement* root = tree.AddElement(nullptr, tree.FindElementClass("Numbers"));
    for (const std::string& text : texts)
        tree.AddAttribute(tree.AddElement(root, tree.FindElementClass("N")), tree.FindAttributeClass("v"),
                          text);
    NoxComPtr<XMLToOstrel> reader = XMLToOstrel::Create();
    reader->Initialize(&tree);
    IVxXMLToOstrel* automation = reader.Get();
    NoxBSTR rootName, version, element(std::string_view("N")), name(std::string_view("v"));
    EXPECT_EQ(reader->InitializeLoader(rootName.Put(), version.Put()), S_OK);
    std::vector<Readings> readings(texts.size());
    for (Readings& r : readings) {
        EXPECT_EQ(automation->OpenNextElement(element.Get()), S_OK);
        EXPECT_EQ(automation->GetDoubleAttributeValue(name.Get(), &r.automationDouble), S_OK);
        EXPECT_EQ(reader->GetDoubleAttributeValue(std::string_view("v"), &r.directDouble), S_OK);
        EXPECT_EQ(automation->GetLongAttributeValue(name.Get(), &r.automationLong), S_OK);
        EXPECT_EQ(reader->GetLongAttributeValue(std::string_view("v"), &r.directLong), S_OK);
        EXPECT_EQ(automation->CloseElement(), S_OK);
    }
    return readings;
}

TEST(XmlNumbersTest, ReadingGivesWhatStreamExtractionGives) {
    const std::vector<std::string> texts = EdgeTexts();
    ASSERT_GT(texts.size(), 5000u);
    const std::vector<Readings> readings = ReadAll(texts);
    for (size_t i = 0; i < texts.size(); ++i) {
        const auto expected = std::bit_cast<uint64_t>(StreamDouble(texts[i]));
        EXPECT_EQ(std::bit_cast<uint64_t>(readings[i].automationDouble), expected) << '"' << texts[i] << '"';
        EXPECT_EQ(std::bit_cast<uint64_t>(readings[i].directDouble), expected) << '"' << texts[i] << '"';
        EXPECT_EQ(readings[i].automationLong, StreamLong(texts[i])) << '"' << texts[i] << '"';
        EXPECT_EQ(readings[i].directLong, StreamLong(texts[i])) << '"' << texts[i] << '"';
    }
}

TEST(XmlNumbersTest, IntegersBeyondTheRangeOfALongReadAsTheNearestLimit) {
    const std::vector<Readings> readings =
        ReadAll({"99999999999999999999", "-99999999999999999999", "99999999999"});
    for (const auto& [reading, expected] :
         {std::pair{readings[0], INT_MAX}, {readings[1], INT_MIN}, {readings[2], INT_MAX}}) {
        EXPECT_EQ(reading.automationLong, expected);
        EXPECT_EQ(reading.directLong, expected);
    }
}

std::vector<double> EdgeDoubles() {
    using limits = std::numeric_limits<double>;
    std::vector<double> values = {0.0,
                                  -0.0,
                                  0.1,
                                  -0.1,
                                  1.0 / 3,
                                  1e21,
                                  1e22,
                                  1e-7,
                                  123456789012345678.0,
                                  5e-324,
                                  limits::min(),
                                  limits::max(),
                                  -limits::max(),
                                  limits::epsilon(),
                                  limits::infinity(),
                                  -limits::infinity(),
                                  limits::quiet_NaN(),
                                  2.77,
                                  90};
    uint64_t state = 0x9E3779B97F4A7C15u;
    for (int i = 0; i < 2000; ++i) {
        state ^= state << 13, state ^= state >> 7, state ^= state << 17;
        values.push_back(std::bit_cast<double>(state));
        values.push_back(static_cast<double>(state % 100000) / 1000);
    }
    return values;
}

TEST(XmlNumbersTest, WritingGivesTheFormattersTexts) {
    xmlTree tree;
    NoxComPtr<OstrelToXML> writer = OstrelToXML::Create();
    writer->Initialize(&tree);
    ASSERT_EQ(writer->InitializeSaver(Text("Numbers").Get(), Text("1").Get()), S_OK);
    IVxOstrelToXML* automation = writer.Get();
    const auto written = [&](const char* name) {
        return std::string(tree.Root()->GetAttribute(name)->Value());
    };
    for (const double value : EdgeDoubles()) {
        ASSERT_EQ(automation->AddDoubleAttribute(Text("a").Get(), value), S_OK);
        ASSERT_EQ(writer->AddDoubleAttribute(std::string_view("d"), value), S_OK);
        const std::string expected = NoxFormat("%1") << value;
        EXPECT_EQ(written("a"), expected);
        EXPECT_EQ(written("d"), expected);
    }
    for (const LONG value : {0, 1, -1, 7, -42, 1000, 123456789, INT_MAX, INT_MIN, INT_MIN + 1}) {
        ASSERT_EQ(automation->AddLongAttribute(Text("a").Get(), value), S_OK);
        ASSERT_EQ(writer->AddLongAttribute(std::string_view("d"), value), S_OK);
        const std::string expected = NoxFormat("%1") << value;
        EXPECT_EQ(written("a"), expected);
        EXPECT_EQ(written("d"), expected);
    }
}

}  // namespace
