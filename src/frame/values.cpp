#include "frame/values.h"

#include <cctype>
#include <cmath>

#include "nox/result.h"
#include "nox/strings.h"
#include "xmltree/xmlchars.h"

namespace kmc {

std::string SavableText(BSTR text, const char* property) { return SavableText(BSTRToTString(text), property); }

std::string SavableText(std::string text, const char* property) {
    xmltree::CheckCharacterData(text, [&] { return std::string_view(property); });
    return text;
}

double FiniteNumber(double value, const char* property) {
    if (!std::isfinite(value)) {
        std::string sentence = std::string(property) + " must be a finite number.";
        sentence[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(sentence[0])));
        throw NoxResult(E_INVALIDARG, sentence);
    }
    return value;
}

}  // namespace kmc
