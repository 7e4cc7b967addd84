#include "com/utf.h"

#include <limits>
#include <new>
#include <type_traits>

#include "com/oleauto.h"

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsHighSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }
bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

void AppendUtf8(std::string& out, char32_t c) {
    auto put = [&out](unsigned value) { out.push_back(static_cast<char>(value)); };
    if (c < 0x80) {
        put(c);
    } else if (c < 0x800) {
        put(0xC0 | c >> 6);
        put(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        put(0xE0 | c >> 12);
        put(0x80 | (c >> 6 & 0x3F));
        put(0x80 | (c & 0x3F));
    } else {
        put(0xF0 | c >> 18);
        put(0x80 | (c >> 12 & 0x3F));
        put(0x80 | (c >> 6 & 0x3F));
        put(0x80 | (c & 0x3F));
    }
}

void AppendUtf16(std::u16string& out, char32_t c) {
    if (c < 0x10000) {
        out.push_back(static_cast<char16_t>(c));
    } else {
        c -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 | c >> 10));
        out.push_back(static_cast<char16_t>(0xDC00 | (c & 0x3FF)));
    }
}

// What a UTF-8 lead byte announces: the number of continuation bytes, the bits it carries, and
// the range the first continuation byte must fall in (which excludes overlong forms, surrogates
// and values past U+10FFFF).
struct LeadByte {
    int continuations;
    char32_t bits;
    unsigned char firstMin;
    unsigned char firstMax;
};

bool DescribeLead(unsigned char byte, LeadByte& lead) {
    if (byte >= 0xC2 && byte <= 0xDF)
        lead = {1, byte & 0x1Fu, 0x80, 0xBF};
    else if (byte == 0xE0)
        lead = {2, 0, 0xA0, 0xBF};
    else if (byte == 0xED)
        lead = {2, 0xD, 0x80, 0x9F};
    else if (byte >= 0xE1 && byte <= 0xEF)
        lead = {2, byte & 0x0Fu, 0x80, 0xBF};
    else if (byte == 0xF0)
        lead = {3, 0, 0x90, 0xBF};
    else if (byte >= 0xF1 && byte <= 0xF3)
        lead = {3, byte & 0x07u, 0x80, 0xBF};
    else if (byte == 0xF4)
        lead = {3, 4, 0x80, 0x8F};
    else
        return false;
    return true;
}

// Decodes the character at `pos` and advances past it. An ill-formed sequence yields U+FFFD and
// advances past its longest valid prefix only (at least one byte), so that the byte that broke
// it starts the next character.
char32_t DecodeUtf8(std::string_view text, size_t& pos) {
    const auto byte = static_cast<unsigned char>(text[pos++]);
    if (byte < 0x80) return byte;
    LeadByte lead;
    if (!DescribeLead(byte, lead)) return kReplacement;
    char32_t c = lead.bits;
    for (int i = 0; i < lead.continuations; ++i) {
        if (pos == text.size()) return kReplacement;
        const auto next = static_cast<unsigned char>(text[pos]);
        const bool valid = i == 0 ? next >= lead.firstMin && next <= lead.firstMax : IsContinuation(next);
        if (!valid) return kReplacement;
        c = c << 6 | (next & 0x3F);
        ++pos;
    }
    return c;
}

// Decodes the character at `pos` and advances past it; an unpaired surrogate yields U+FFFD.
char32_t DecodeUtf16(std::u16string_view text, size_t& pos) {
    const char32_t unit = text[pos++];
    if (IsLowSurrogate(unit)) return kReplacement;
    if (!IsHighSurrogate(unit)) return unit;
    if (pos == text.size() || !IsLowSurrogate(text[pos])) return kReplacement;
    const char32_t low = text[pos++];
    return 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
}

// Copies the run of ASCII characters at `pos` in one step (most text in documents is ASCII) and
// advances past it; false when the character at `pos` is not ASCII.
template <class Out, class In>
bool AppendAsciiRun(Out& out, In text, size_t& pos) {
    size_t end = pos;
    while (end < text.size() &&
           static_cast<char32_t>(static_cast<std::make_unsigned_t<typename In::value_type>>(text[end])) <
               0x80)
        ++end;
    if (end == pos) return false;
    out.append(text.begin() + static_cast<std::ptrdiff_t>(pos),
               text.begin() + static_cast<std::ptrdiff_t>(end));
    pos = end;
    return true;
}

}  // namespace

namespace nox {

std::string Utf16ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t pos = 0; pos < text.size();) {
        if (AppendAsciiRun(out, text, pos)) continue;
        AppendUtf8(out, DecodeUtf16(text, pos));
    }
    return out;
}

std::u16string Utf8ToUtf16(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (size_t pos = 0; pos < text.size();) {
        if (AppendAsciiRun(out, text, pos)) continue;
        AppendUtf16(out, DecodeUtf8(text, pos));
    }
    return out;
}

std::string BstrToUtf8(BSTR text) {
    if (text == nullptr) return {};
    return Utf16ToUtf8(std::u16string_view(text, SysStringLen(text)));
}

BSTR Utf8ToBstr(std::string_view text) {
    const std::u16string wide = Utf8ToUtf16(text);
    if (wide.size() > std::numeric_limits<UINT>::max()) throw std::bad_alloc();
    BSTR result = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
    if (result == nullptr) throw std::bad_alloc();
    return result;
}

}  // namespace nox
