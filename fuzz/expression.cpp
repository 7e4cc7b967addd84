// An expression text, read as a document stores it and as a user types it. A number is kept as
// its canonical text, which must read back as the same number and the same text; a refusal
// leaves the expression as it was.
#include <cstdint>
#include <cstring>
#include <string>

#include "fault.h"
#include "nox/result.h"
#include "process/expression.h"

namespace {

void CheckCanonical(const KMCExpression& expression, const std::string& input) {
    double value = 0;
    if (!expression.IsNumeric(value)) return;
    const std::string canonical = expression.ValueAsString(false);
    const KMCExpression back(canonical);
    double again = 0;
    if (!back.IsNumeric(again)) kmcfuzz::Fault("a number's canonical text is not a number", input, canonical);
    if (std::memcmp(&value, &again, sizeof value) != 0 && !(value == 0 && again == 0))
        kmcfuzz::Fault("a number's canonical text reads as another number", input, canonical);
    if (back.ValueAsString(false) != canonical)
        kmcfuzz::Fault("a canonical text is not its own canonical text", canonical,
                       back.ValueAsString(false));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    CheckCanonical(KMCExpression(input), input);

    for (auto level : {KMCExpression::AnyValue, KMCExpression::Positive, KMCExpression::NonNegative}) {
        KMCExpression edited(2.5);
        try {
            edited.SetValue(input, level, false);
        } catch (const NoxResult&) {
            if (edited.ValueAsString(false) != KMCExpression(2.5).ValueAsString(false))
                kmcfuzz::Fault("a refused value changed the expression", input, edited.ValueAsString(false));
            continue;
        }
        double value = 0;
        if (!edited.IsNumeric(value)) kmcfuzz::Fault("an accepted value is not a number", input);
        if ((level == KMCExpression::Positive && !(value > 0)) ||
            (level == KMCExpression::NonNegative && value < 0))
            kmcfuzz::Fault("an accepted value breaks its validation level", input,
                           edited.ValueAsString(false));
        CheckCanonical(edited, input);
    }
    return 0;
}
