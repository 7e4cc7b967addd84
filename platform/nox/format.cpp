#include "nox/format.h"

#include <cctype>
#include <charconv>

#include "nox/locale.h"
#include "com/utf.h"

NoxFormat::NoxFormat(std::string pattern)
    : pattern_(std::move(pattern)),
      locale_(nox::CurrentStreamLocale()),
      localized_(NoxLocalizationEnabler::Current() != nullptr) {}

std::ostream& NoxFormat::Stream() {
    if (!stream_) stream_.emplace().imbue(locale_);
    return *stream_;
}

// Outside a localization scope the stream writes plain C-locale digits, as to_chars does.
template <class Integer>
void NoxFormat::AppendIntegerText(Integer value) {
    if (localized_) {
        Stream() << value;
        AfterInsertion();
        return;
    }
    char buffer[24];
    arguments_.emplace_back(buffer, std::to_chars(buffer, buffer + sizeof buffer, value).ptr);
}

void NoxFormat::AppendInteger(long long value) { AppendIntegerText(value); }

void NoxFormat::AppendInteger(unsigned long long value) { AppendIntegerText(value); }

NoxFormat& NoxFormat::operator<<(std::string_view text) {
    arguments_.emplace_back(text);
    return *this;
}

// Read up to the terminator rather than from a length prefix, so that any 16-bit string is safe
// here, not only a BSTR.
NoxFormat& NoxFormat::operator<<(const OLECHAR* text) {
    arguments_.push_back(text != nullptr ? nox::Utf16ToUtf8(text) : std::string());
    return *this;
}

NoxFormat& NoxFormat::operator<<(double value) {
    arguments_.push_back(nox::FormatDouble(value));
    return *this;
}

void NoxFormat::AfterInsertion() {
    Stream();
    arguments_.push_back(stream_->str());
    stream_->str({});
}

std::string NoxFormat::str() const {
    std::string out;
    out.reserve(pattern_.size());
    for (size_t i = 0; i < pattern_.size(); ++i) {
        size_t digits = i + 1;
        while (digits < pattern_.size() && std::isdigit(static_cast<unsigned char>(pattern_[digits])))
            ++digits;
        if (pattern_[i] != '%' || digits == i + 1) {
            out += pattern_[i];
            continue;
        }
        size_t index = 0;
        std::from_chars(pattern_.data() + i + 1, pattern_.data() + digits, index);
        if (index >= 1 && index <= arguments_.size()) {
            out += arguments_[index - 1];
            i = digits - 1;
        } else {
            out += pattern_[i];
        }
    }
    return out;
}

namespace nox {

std::string FormatDouble(double value) {
    char buffer[32];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

}  // namespace nox
