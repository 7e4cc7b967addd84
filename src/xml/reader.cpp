#include "xml/reader.h"

#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <span>

#include "nox/format.h"
#include "nox/strings.h"

namespace {

const char* const kNoOpenElement = "No elements are currently open in the tree";

// How the text of a number read; anything but kClean loads a value other than the text says.
enum class Reading { kClean, kNotANumber, kOutOfRange, kTooSmall, kTextAfter };

template <class Number>
struct NumberRead {
    Number value;
    Reading reading;
};

// What the stream skips before a number in the C locale.
bool IsStreamSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool OnlySpaceFrom(std::string_view text, size_t position) {
    for (; position < text.size(); ++position)
        if (!IsStreamSpace(text[position])) return false;
    return true;
}

size_t SkipSpace(std::string_view text, size_t position) {
    while (position < text.size() && IsStreamSpace(text[position])) ++position;
    return position;
}

// The classic-locale stream reads a double by taking, greedily and without stepping back, an
// optional sign, digits, one point with more digits, and - once there was a digit - an exponent
// marker with an optional sign and digits; what it took must then convert whole, or the result
// is 0. Out of range gives the largest double of that sign; below the smallest it gives what
// the conversion rounds to (0 when nothing is left). Text after the number is ignored.
class DoubleText {
public:
    explicit DoubleText(std::string_view text) : text_(text) {
        size_t i = start_ = SkipSpace(text, 0);
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
        i = Digits(i);
        if (i < text.size() && text[i] == '.') i = Digits(i + 1);
        if (digits_ && i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
            if (++i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
            const size_t exponent = i;
            while (i < text.size() && IsDigit(text[i])) ++i;
            complete_ = i > exponent;
        }
        end_ = i;
    }

    NumberRead<double> Read() const {
        if (!digits_ || !complete_) return {0.0, Reading::kNotANumber};
        const double value = Convert();
        if (std::isinf(value))
            return {std::copysign(std::numeric_limits<double>::max(), value), Reading::kOutOfRange};
        if (value == 0 && nonZero_) return {value, Reading::kTooSmall};
        return {value, OnlySpaceFrom(text_, end_) ? Reading::kClean : Reading::kTextAfter};
    }

private:
    size_t Digits(size_t i) {
        for (; i < text_.size() && IsDigit(text_[i]); ++i) {
            digits_ = true;
            nonZero_ |= text_[i] != '0';
        }
        return i;
    }

    // Correctly rounded either way; strtod only for the rare text beyond the range of a double,
    // where from_chars reports no value.
    double Convert() const {
        std::string_view number = text_.substr(start_, end_ - start_);
        if (number.starts_with('+')) number.remove_prefix(1);
        double value = 0;
        const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
        if (error != std::errc::result_out_of_range) return value;
        static const locale_t c = newlocale(LC_NUMERIC_MASK, "C", static_cast<locale_t>(0));
        return strtod_l(std::string(number).c_str(), nullptr, c);
    }

    std::string_view text_;
    size_t start_ = 0;
    size_t end_ = 0;
    bool digits_ = false;
    bool nonZero_ = false;
    bool complete_ = true;
};

// The stream reads a 32-bit integer as a long (optional sign, decimal digits) and then narrows
// it: no digits read as 0, and anything beyond the range - of an int or of a long - reads as the
// nearest limit. Text after the number is ignored.
NumberRead<LONG> ReadLong(std::string_view text) {
    size_t i = SkipSpace(text, 0);
    const bool negative = i < text.size() && text[i] == '-';
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    const size_t first = i;
    // Past 2^32 every value clamps alike, so the magnitude stops growing there.
    constexpr uint64_t kCap = uint64_t{1} << 32;
    uint64_t magnitude = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i)
        magnitude = std::min(kCap, magnitude * 10 + static_cast<uint64_t>(text[i] - '0'));
    if (i == first) return {0, Reading::kNotANumber};
    constexpr auto kMax = static_cast<uint64_t>(std::numeric_limits<LONG>::max());
    if (magnitude > kMax + (negative ? 1 : 0)) {
        return {negative ? std::numeric_limits<LONG>::min() : std::numeric_limits<LONG>::max(),
                Reading::kOutOfRange};
    }
    const auto value =
        static_cast<LONG>(negative ? -static_cast<int64_t>(magnitude) : static_cast<int64_t>(magnitude));
    return {value, OnlySpaceFrom(text, i) ? Reading::kClean : Reading::kTextAfter};
}

NumberRead<double> ReadNumberText(std::string_view text, double*) { return DoubleText(text).Read(); }
NumberRead<LONG> ReadNumberText(std::string_view text, LONG*) { return ReadLong(text); }

// An attribute's text for a message: quoted, and shortened when long.
std::string Quoted(std::string_view text) {
    constexpr size_t kShown = 40;
    if (text.size() <= kShown) return "\"" + std::string(text) + "\"";
    size_t cut = kShown;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;  // whole characters
    return "\"" + std::string(text.substr(0, cut)) + "...\"";
}

std::string_view Trimmed(std::string_view text) {
    const auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
    while (!text.empty() && isSpace(text.front())) text.remove_prefix(1);
    while (!text.empty() && isSpace(text.back())) text.remove_suffix(1);
    return text;
}

std::string Describe(Reading reading) {
    switch (reading) {
        case Reading::kNotANumber:
            return "is not a number";
        case Reading::kOutOfRange:
            return "is out of range";
        case Reading::kTooSmall:
            return "is too small to be told from zero";
        default:
            return "has text after its number";
    }
}

std::string NumberText(double value) { return nox::FormatDouble(value); }
std::string NumberText(LONG value) { return std::to_string(value); }

}  // namespace

void XMLToOstrel::Initialize(const xmlTree* tree) {
    if (tree_ != nullptr) throw NoxResult(E_UNEXPECTED, "XMLToOstrel has already been initialised.");
    if (tree == nullptr) throw NoxResult(E_POINTER, "No XML tree supplied to XMLToOstrel.");
    tree_ = tree;
}

void XMLToOstrel::Finalize() { Pop(); }

const XMLToOstrel::ElementRecord& XMLToOstrel::Current() const {
    if (stack_.empty()) throw NoxResult(E_UNEXPECTED, kNoOpenElement);
    return stack_.back();
}

const xmlNode* XMLToOstrel::NextChild() const {
    const ElementRecord& record = Current();
    if (record.cursor >= record.element->GetNumChildren()) return nullptr;
    return record.element->Children()[record.cursor];
}

std::string XMLToOstrel::PathOf(size_t depth) const {
    if (depth == 1) return stack_.front().element->Name();
    std::string path;
    for (size_t level = 1; level < depth; ++level) {
        if (level > 1) path += '/';
        path += stack_[level].element->Name();
    }
    return path;
}

template <class Message>
void XMLToOstrel::Note(size_t line, Message message) {
    if (diagnostics_.size() == kMaxDiagnostics) {
        ++omittedDiagnostics_;
        return;
    }
    diagnostics_.push_back({line, PathOf(stack_.size()), message()});
}

// Closing an element drops what its class did not read; the diagnostics say what that was.
void XMLToOstrel::Pop() {
    if (stack_.empty()) return;
    const ElementRecord& record = stack_.back();
    for (const xmlNode* child :
         record.element->Children().subspan(std::min(record.cursor, record.element->GetNumChildren()))) {
        if (const xmlElement* element = child->AsElement()) {
            Note(element->SourceLine(),
                 [element] { return "element \"" + element->Name() + "\" is not read and is dropped"; });
        } else {
            Note(record.element->SourceLine(), [child] {
                return "text " + Quoted(Trimmed(child->AsText()->Text())) + " is not read and is dropped";
            });
        }
    }
    stack_.pop_back();
}

std::optional<XMLToOstrel::Location> XMLToOstrel::CurrentLocation() const {
    if (stack_.empty()) return std::nullopt;
    return Location{stack_.back().element->SourceLine(), PathOf(stack_.size())};
}

HRESULT XMLToOstrel::InitializeLoader(BSTR* rootName, BSTR* version) {
    return Boundary([&] {
        kmc::Out(rootName);
        kmc::Out(version);
        if (tree_ == nullptr) throw NoxResult(E_UNEXPECTED, "XMLToOstrel has not been initialised.");
        const xmlElement* root = tree_->Root();
        if (root == nullptr) throw NoxResult(E_UNEXPECTED, "The XML tree has no root element.");
        const xmlAttribute* versionAttribute = root->GetAttribute("Version");
        const std::string_view versionText = versionAttribute != nullptr ? versionAttribute->Value() : "";
        NoxBSTR rootOut(root->Name());
        NoxBSTR versionOut(versionText);
        stack_.push_back({root, 0});
        rootName_ = root->Name();
        version_ = versionText;
        *rootName = rootOut.Detach();
        *version = versionOut.Detach();
    });
}

HRESULT XMLToOstrel::OpenNext(std::string_view name) {
    const xmlNode* next = NextChild();
    const xmlElement* element = next != nullptr ? next->AsElement() : nullptr;
    if (element == nullptr || element->Name() != name) return S_FALSE;
    ++stack_.back().cursor;
    stack_.push_back({element, 0});
    return S_OK;
}

HRESULT XMLToOstrel::OpenNextElement(BSTR name) {
    return Boundary([&] { return OpenNext(BSTRToTString(name)); });
}

HRESULT XMLToOstrel::OpenNextElement(std::string_view name) {
    return Boundary([&] { return OpenNext(name); });
}

HRESULT XMLToOstrel::CloseElement() {
    return Boundary([&] { Pop(); });
}

HRESULT XMLToOstrel::AreElementsRemaining(VARIANT_BOOL* remaining) {
    return Boundary([&] {
        kmc::Out(remaining);
        *remaining = NextChild() != nullptr ? VARIANT_TRUE : VARIANT_FALSE;
    });
}

const xmlAttribute* XMLToOstrel::Find(std::string_view name) const {
    const ElementRecord& record = Current();
    const std::span<const xmlAttribute> attributes = record.element->Attributes();
    size_t position = record.attributeHint;
    if (position >= attributes.size() || attributes[position].Name() != name) {
        const xmlAttribute* found = record.element->GetAttribute(name);
        if (found == nullptr) return nullptr;
        position = static_cast<size_t>(found - attributes.data());
    }
    record.attributeHint = position + 1;
    return &attributes[position];
}

HRESULT XMLToOstrel::GetAttributeValue(BSTR name, BSTR* value) {
    return Boundary([&] {
        kmc::Out(value);
        const xmlAttribute* attribute = Find(BSTRToTString(name));
        if (attribute == nullptr) return S_FALSE;
        *value = NoxBSTR(attribute->Value()).Detach();
        return S_OK;
    });
}

HRESULT XMLToOstrel::GetAttributeValue(std::string_view name, std::string* value) {
    return Boundary([&] {
        kmc::Out(value);
        const xmlAttribute* attribute = Find(name);
        if (attribute == nullptr) return S_FALSE;
        *value = attribute->Value();
        return S_OK;
    });
}

template <class Number>
HRESULT XMLToOstrel::ReadNumber(std::string_view name, Number* value) {
    kmc::Out(value);
    const xmlAttribute* attribute = Find(name);
    if (attribute == nullptr) return S_FALSE;
    const NumberRead<Number> read = ReadNumberText(attribute->Value(), value);
    *value = read.value;
    if (read.reading != Reading::kClean) {
        Note(Current().element->SourceLine(), [&] {
            return "attribute " + std::string(name) + "=" + Quoted(attribute->Value()) + " " +
                   Describe(read.reading) + "; it loads as " + NumberText(read.value);
        });
    }
    return S_OK;
}

HRESULT XMLToOstrel::GetDoubleAttributeValue(BSTR name, double* value) {
    return Boundary([&] { return ReadNumber(BSTRToTString(name), value); });
}

HRESULT XMLToOstrel::GetDoubleAttributeValue(std::string_view name, double* value) {
    return Boundary([&] { return ReadNumber(name, value); });
}

HRESULT XMLToOstrel::GetLongAttributeValue(BSTR name, LONG* value) {
    return Boundary([&] { return ReadNumber(BSTRToTString(name), value); });
}

HRESULT XMLToOstrel::GetLongAttributeValue(std::string_view name, LONG* value) {
    return Boundary([&] { return ReadNumber(name, value); });
}

HRESULT XMLToOstrel::ReadBool(std::string_view name, VARIANT_BOOL* value) {
    kmc::Out(value);
    const xmlAttribute* attribute = Find(name);
    const std::string_view text = attribute != nullptr ? attribute->Value() : "";
    if (text == "true") {
        *value = VARIANT_TRUE;
        return S_OK;
    }
    if (text == "false") return S_OK;
    if (attribute != nullptr) {
        Note(Current().element->SourceLine(), [&] {
            return "attribute " + std::string(name) + "=" + Quoted(text) +
                   " is neither \"true\" nor \"false\"; it loads as if absent";
        });
    }
    return S_FALSE;
}

HRESULT XMLToOstrel::GetBoolAttributeValue(BSTR name, VARIANT_BOOL* value) {
    return Boundary([&] { return ReadBool(BSTRToTString(name), value); });
}

HRESULT XMLToOstrel::GetBoolAttributeValue(std::string_view name, VARIANT_BOOL* value) {
    return Boundary([&] { return ReadBool(name, value); });
}

HRESULT XMLToOstrel::GetValue(BSTR* value) {
    return Boundary([&] {
        kmc::Out(value);
        const xmlNode* next = NextChild();
        if (next == nullptr) return S_FALSE;
        const xmlText* text = next->AsText();
        if (text == nullptr)
            throw NoxResult(E_UNEXPECTED, "The next node of the current element is an element, not text.");
        *value = NoxBSTR(text->Text()).Detach();
        ++stack_.back().cursor;
        return S_OK;
    });
}
