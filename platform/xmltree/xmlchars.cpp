#include "xmltree/xmlchars.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <utility>

#include "nox/result.h"

namespace xmltree {
namespace {

using Range = std::pair<char32_t, char32_t>;

constexpr std::array kNameStartRanges{
    Range{':', ':'},       Range{'A', 'Z'},       Range{'_', '_'},       Range{'a', 'z'},
    Range{0xC0, 0xD6},     Range{0xD8, 0xF6},     Range{0xF8, 0x2FF},    Range{0x370, 0x37D},
    Range{0x37F, 0x1FFF},  Range{0x200C, 0x200D}, Range{0x2070, 0x218F}, Range{0x2C00, 0x2FEF},
    Range{0x3001, 0xD7FF}, Range{0xF900, 0xFDCF}, Range{0xFDF0, 0xFFFD}, Range{0x10000, 0xEFFFF},
};

constexpr std::array kNameOnlyRanges{
    Range{'-', '.'}, Range{'0', '9'}, Range{0xB7, 0xB7}, Range{0x300, 0x36F}, Range{0x203F, 0x2040},
};

template <size_t N>
bool InRanges(const std::array<Range, N>& ranges, char32_t c) {
    return std::ranges::any_of(ranges, [c](const Range& r) { return r.first <= c && c <= r.second; });
}

bool IsNameStartChar(char32_t c) { return InRanges(kNameStartRanges, c); }
bool IsNameChar(char32_t c) { return IsNameStartChar(c) || InRanges(kNameOnlyRanges, c); }

// Decodes the code point at `pos` and advances past it; returns false, leaving `pos`, when
// the bytes there are not valid UTF-8 (overlong forms and surrogates included).
bool DecodeUtf8(std::string_view text, size_t& pos, char32_t& out) {
    const auto lead = static_cast<unsigned char>(text[pos]);
    if (lead < 0x80) {
        out = lead;
        ++pos;
        return true;
    }
    size_t length = 0;
    char32_t smallest = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2, smallest = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, smallest = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, smallest = 0x10000;
    } else {
        return false;
    }
    if (text.size() - pos < length) return false;
    char32_t c = lead & (0x7F >> length);
    for (size_t i = 1; i < length; ++i) {
        const auto byte = static_cast<unsigned char>(text[pos + i]);
        if ((byte & 0xC0) != 0x80) return false;
        c = (c << 6) | (byte & 0x3F);
    }
    if (c < smallest || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
    out = c;
    pos += length;
    return true;
}

std::string Hex(unsigned value, int digits) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%0*X", digits, value);
    return buffer;
}

[[noreturn]] void Reject(std::string_view subject, std::string_view problem) {
    throw NoxResult(E_INVALIDARG, "Invalid " + std::string(subject) + ": " + std::string(problem));
}

// Walks `text` one code point at a time and returns the first problem: invalid UTF-8, or
// what `judge(c, offset)` says about a code point. Empty when there is none.
template <class Judge>
std::string FirstProblem(std::string_view text, Judge judge) {
    for (size_t pos = 0; pos < text.size();) {
        const size_t start = pos;
        char32_t c = 0;
        if (!DecodeUtf8(text, pos, c)) {
            return "byte 0x" + Hex(static_cast<unsigned char>(text[start]), 2) + " at offset " +
                   std::to_string(start) + " is not valid UTF-8";
        }
        if (std::string problem = judge(c, start); !problem.empty()) return problem;
    }
    return {};
}

}  // namespace

bool IsXmlChar(char32_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
           (c >= 0x10000 && c <= 0x10FFFF);
}

bool IsXmlSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
        return;
    }
    const int length = c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
    static constexpr unsigned char kLeadMarks[] = {0, 0, 0xC0, 0xE0, 0xF0};
    out += static_cast<char>(kLeadMarks[length] | (c >> (6 * (length - 1))));
    for (int shift = 6 * (length - 2); shift >= 0; shift -= 6) {
        out += static_cast<char>(0x80 | ((c >> shift) & 0x3F));
    }
}

std::string DescribeCodePoint(char32_t c) {
    if (c > 0x20 && c < 0x7F) return std::string{'\'', static_cast<char>(c), '\''};
    return "U+" + Hex(static_cast<unsigned>(c), 4);
}

std::string NameProblem(std::string_view name) {
    if (name.empty()) return "a name cannot be empty";
    return FirstProblem(name, [](char32_t c, size_t offset) -> std::string {
        if (offset == 0 && !IsNameStartChar(c)) return DescribeCodePoint(c) + " cannot start a name";
        if (!IsNameChar(c)) return DescribeCodePoint(c) + " is not allowed in a name";
        return {};
    });
}

void CheckName(std::string_view name, std::string_view subject) {
    if (std::string problem = NameProblem(name); !problem.empty()) {
        Reject(std::string(subject) + " \"" + std::string(name) + "\"", problem);
    }
}

std::string CharacterDataProblem(std::string_view text) {
    // Most text is printable ASCII, which needs no decoding.
    const auto plain = [](char c) { return (c >= 0x20 && c < 0x7F) || c == '\t' || c == '\n' || c == '\r'; };
    if (std::ranges::all_of(text, plain)) return {};
    return FirstProblem(text, [](char32_t c, size_t offset) -> std::string {
        if (IsXmlChar(c)) return {};
        return DescribeCodePoint(c) + " at offset " + std::to_string(offset) + " is not allowed in XML";
    });
}

void RejectCharacterData(std::string_view subject, std::string_view problem) { Reject(subject, problem); }

}  // namespace xmltree
