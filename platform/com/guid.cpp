#include <array>
#include <cstdio>
#include <optional>

#include "com/base.h"

namespace {

// The registry form "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}": its length and where its dashes stand.
constexpr size_t kTextLength = 38;
constexpr std::array<size_t, 4> kDashes{9, 14, 19, 24};

std::optional<uint8_t> HexValue(char c) {
    if (c >= '0' && c <= '9') return static_cast<uint8_t>(c - '0');
    if (c >= 'a' && c <= 'f') return static_cast<uint8_t>(c - 'a' + 10);
    if (c >= 'A' && c <= 'F') return static_cast<uint8_t>(c - 'A' + 10);
    return std::nullopt;
}

bool IsDashPosition(size_t i) {
    for (size_t dash : kDashes)
        if (i == dash) return true;
    return false;
}

// The 16 bytes in text order (Data1 and Data2/Data3 most significant byte first), or nothing
// when the text is not the braced registry form.
std::optional<std::array<uint8_t, 16>> TextBytes(std::string_view text) {
    if (text.size() != kTextLength || text.front() != '{' || text.back() != '}') return std::nullopt;
    std::array<uint8_t, 16> bytes{};
    size_t nibble = 0;
    for (size_t i = 1; i + 1 < kTextLength; ++i) {
        if (IsDashPosition(i)) {
            if (text[i] != '-') return std::nullopt;
            continue;
        }
        auto value = HexValue(text[i]);
        if (!value) return std::nullopt;
        bytes[nibble / 2] = static_cast<uint8_t>(bytes[nibble / 2] << 4 | *value);
        ++nibble;
    }
    return bytes;
}

uint32_t BigEndian(const uint8_t* bytes, size_t count) {
    uint32_t value = 0;
    for (size_t i = 0; i < count; ++i) value = value << 8 | bytes[i];
    return value;
}

}  // namespace

namespace nox {

std::string FormatGuid(const GUID& guid) {
    char text[kTextLength + 1];
    std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", guid.Data1,
                  guid.Data2, guid.Data3, guid.Data4[0], guid.Data4[1], guid.Data4[2], guid.Data4[3],
                  guid.Data4[4], guid.Data4[5], guid.Data4[6], guid.Data4[7]);
    return std::string(text, kTextLength);
}

bool ParseGuid(std::string_view text, GUID& out) {
    auto bytes = TextBytes(text);
    if (!bytes) return false;
    GUID guid{BigEndian(bytes->data(), 4),
              static_cast<uint16_t>(BigEndian(bytes->data() + 4, 2)),
              static_cast<uint16_t>(BigEndian(bytes->data() + 6, 2)),
              {}};
    for (size_t i = 0; i < 8; ++i) guid.Data4[i] = (*bytes)[8 + i];
    out = guid;
    return true;
}

}  // namespace nox
