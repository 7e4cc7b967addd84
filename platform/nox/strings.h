// NoxBSTR: an owned automation string, and the conversions between automation strings and
// the library's 8-bit (UTF-8) text.
#pragma once

#include <string>
#include <string_view>

#include "com/oleauto.h"

// UTF-8 text of an automation string; NULL reads as the empty string.
NOX_EXPORT std::string BSTRToTString(BSTR text);

class NOX_EXPORT NoxBSTR {
public:
    NoxBSTR() = default;
    // Throws std::bad_alloc when the string cannot be allocated.
    explicit NoxBSTR(std::string_view utf8);
    NoxBSTR(NoxBSTR&& other) noexcept;
    NoxBSTR& operator=(NoxBSTR&& other) noexcept;
    NoxBSTR(const NoxBSTR&) = delete;
    NoxBSTR& operator=(const NoxBSTR&) = delete;
    ~NoxBSTR();

    static NoxBSTR Attach(BSTR owned);
    // Hands the string to the caller (an output argument), leaving this empty.
    [[nodiscard]] BSTR Detach();
    BSTR Get() const { return text_; }
    // Frees the current string and returns the slot for a callee's output.
    BSTR* Put();
    std::string ToTString() const { return BSTRToTString(text_); }
    unsigned Length() const { return SysStringLen(text_); }

private:
    BSTR text_ = nullptr;
};
