#include "strings/text.h"

namespace strings {
namespace {
constexpr std::string_view kWhiteSpace = " \t\n\v\f\r";
}

std::string Trim(std::string_view text) { return std::string(TrimView(text)); }

std::string_view TrimView(std::string_view text) {
    size_t first = text.find_first_not_of(kWhiteSpace);
    if (first == std::string_view::npos) return {};
    size_t last = text.find_last_not_of(kWhiteSpace);
    return text.substr(first, last - first + 1);
}

std::vector<std::string> Split(std::string_view text, std::string_view separators) {
    std::vector<std::string> pieces;
    size_t start = 0;
    for (size_t cut = text.find_first_of(separators); cut != std::string_view::npos;
         cut = text.find_first_of(separators, start)) {
        pieces.emplace_back(text.substr(start, cut - start));
        start = cut + 1;
    }
    pieces.emplace_back(text.substr(start));
    return pieces;
}

}  // namespace strings
