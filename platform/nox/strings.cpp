#include "nox/strings.h"

#include <utility>

#include "com/utf.h"

std::string BSTRToTString(BSTR text) { return nox::BstrToUtf8(text); }

NoxBSTR::NoxBSTR(std::string_view utf8) : text_(nox::Utf8ToBstr(utf8)) {}

NoxBSTR::NoxBSTR(NoxBSTR&& other) noexcept : text_(std::exchange(other.text_, nullptr)) {}

NoxBSTR& NoxBSTR::operator=(NoxBSTR&& other) noexcept {
    if (this != &other) {
        SysFreeString(text_);
        text_ = std::exchange(other.text_, nullptr);
    }
    return *this;
}

NoxBSTR::~NoxBSTR() { SysFreeString(text_); }

NoxBSTR NoxBSTR::Attach(BSTR owned) {
    NoxBSTR result;
    result.text_ = owned;
    return result;
}

BSTR NoxBSTR::Detach() { return std::exchange(text_, nullptr); }

BSTR* NoxBSTR::Put() {
    SysFreeString(std::exchange(text_, nullptr));
    return &text_;
}
