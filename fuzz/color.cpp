// Colour texts. A text that reads as a colour is that colour's one text form (in either case),
// and the form written reads back as the same colour.
#include <cstdint>
#include <string>
#include <string_view>

#include "fault.h"
#include "geometry/color.h"

namespace {

bool SameIgnoringCase(std::string_view a, std::string_view b) {
    auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
    if (a.size() != b.size()) return false;
    for (size_t k = 0; k < a.size(); ++k)
        if (upper(a[k]) != upper(b[k])) return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::optional<ColorValue> colour = ColorValue::Parse(text);
    if (!colour) return 0;
    const std::string written = colour->ToString();
    if (ColorValue::Parse(written) != colour)
        kmcfuzz::Fault("the written colour reads back differently", text, written);
    if (!SameIgnoringCase(text, written))
        kmcfuzz::Fault("a colour was read from a text not its own", text, written);
    return 0;
}
