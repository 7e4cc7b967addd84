// VARIANT lifetime and coercion. A conversion reads its source into one of four number kinds
// (or handles it as text, an object or a marker), then writes the target from that, so each
// source and each target type is described once in a table rather than once per pair.
#include <stdlib.h>

#include <locale.h>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>
#include <string>
#include <utility>
#include <variant>

#include "com/holders.h"
#include "com/oleauto.h"
#include "com/vartype.h"

namespace {

using nox::UniqueVariant;
using nox::detail::IsValidVarType;

// ---------------------------------------------------------------------------------------------
// Raw access to the value union.

template <class T>
T ValueOf(const VARIANT& v) {
    T value;
    std::memcpy(&value, &v.llVal, sizeof value);
    return value;
}

template <class T>
void SetValue(VARIANT& v, VARTYPE vt, T value) {
    v.vt = vt;
    std::memcpy(&v.llVal, &value, sizeof value);
}

// ---------------------------------------------------------------------------------------------
// Lifetime.

// Only a by-value array is owned by its variant; a reference owns nothing.
bool OwnsArray(VARTYPE vt) { return (vt & (VT_ARRAY | VT_BYREF)) == VT_ARRAY; }
bool IsInterface(VARTYPE vt) { return vt == VT_DISPATCH || vt == VT_UNKNOWN; }

HRESULT ReleaseValue(VARIANT& v) {
    if (OwnsArray(v.vt)) return SafeArrayDestroy(v.parray);
    if (v.vt == VT_BSTR) SysFreeString(v.bstrVal);
    if (IsInterface(v.vt) && v.punkVal) v.punkVal->Release();
    return S_OK;
}

// Writes into `out` a copy that owns its own resources: strings and arrays duplicated,
// interfaces AddRef'd, references copied as pointers. `out` is written only on success.
HRESULT Duplicate(const VARIANT& src, VARIANT& out) {
    VARIANT copy = src;
    if (OwnsArray(src.vt) && src.parray) {
        if (HRESULT hr = SafeArrayCopy(src.parray, &copy.parray); FAILED(hr)) return hr;
    } else if (src.vt == VT_BSTR) {
        // A NULL string is the empty string; its copy is an allocated empty one.
        copy.bstrVal =
            SysAllocStringByteLen(reinterpret_cast<const char*>(src.bstrVal), SysStringByteLen(src.bstrVal));
        if (copy.bstrVal == nullptr) return E_OUTOFMEMORY;
    } else if (IsInterface(src.vt) && src.punkVal) {
        src.punkVal->AddRef();
    }
    out = copy;
    return S_OK;
}

// Clears `dst` and moves `value` into it; on failure `dst` keeps what it had.
HRESULT Replace(VARIANT* dst, UniqueVariant& value) {
    if (HRESULT hr = VariantClear(dst); FAILED(hr)) return hr;
    *dst = value.release();
    return S_OK;
}

// A by-reference source seen as the value it points at. The view owns nothing.
HRESULT Dereference(const VARIANT& src, VARIANT& view) {
    if (!(src.vt & VT_BYREF)) {
        view = src;
        return S_OK;
    }
    if (src.byref == nullptr) return DISP_E_TYPEMISMATCH;
    const VARTYPE base = src.vt & ~VT_BYREF;
    if (base == VT_VARIANT) {
        const VARIANT& inner = *src.pvarVal;
        if (!IsValidVarType(inner.vt)) return DISP_E_BADVARTYPE;
        if (inner.vt == (VT_BYREF | VT_VARIANT)) return DISP_E_TYPEMISMATCH;
        return Dereference(inner, view);
    }
    const size_t size = (base & VT_ARRAY) ? sizeof(SAFEARRAY*) : nox::detail::ValueSize(base);
    if (size == 0 || size > sizeof view.llVal) return DISP_E_TYPEMISMATCH;
    view = VARIANT{};
    view.vt = base;
    std::memcpy(&view.llVal, src.byref, size);
    return S_OK;
}

// ---------------------------------------------------------------------------------------------
// Numbers: every numeric source widens to one of these, every numeric target narrows from one.

using Number = std::variant<int64_t, uint64_t, float, double>;

template <class T>
Number Widen(T value) {
    if constexpr (std::is_floating_point_v<T>)
        return value;
    else if constexpr (std::is_signed_v<T>)
        return int64_t{value};
    else
        return uint64_t{value};
}

// Ties go to the even neighbour; IEEE remainder is exact, so the result is too.
double RoundHalfEven(double value) { return value - std::remainder(value, 1.0); }

constexpr double PowerOfTwo(int exponent) {
    double value = 1.0;
    for (int i = 0; i < exponent; ++i) value *= 2.0;
    return value;
}

template <class T>
HRESULT NarrowReal(double value, T& out) {
    if constexpr (std::is_integral_v<T>) {
        // Rounded, T holds exactly [lower, upper): for I4 that accepts [-2147483648.5, 2147483647.5).
        constexpr double upper = PowerOfTwo(std::numeric_limits<T>::digits);
        constexpr double lower = std::is_signed_v<T> ? -upper : 0.0;
        const double rounded = RoundHalfEven(value);
        if (!(rounded >= lower && rounded < upper)) return DISP_E_OVERFLOW;
        out = static_cast<T>(rounded);
    } else {
        if (std::isfinite(value) && std::fabs(value) > std::numeric_limits<T>::max()) return DISP_E_OVERFLOW;
        out = static_cast<T>(value);
    }
    return S_OK;
}

template <class T>
HRESULT Narrow(const Number& number, T& out) {
    return std::visit(
        [&out](auto value) -> HRESULT {
            if constexpr (std::is_floating_point_v<decltype(value)>) {
                return NarrowReal(static_cast<double>(value), out);
            } else if constexpr (std::is_integral_v<T>) {
                if (!std::in_range<T>(value)) return DISP_E_OVERFLOW;
                out = static_cast<T>(value);
                return S_OK;
            } else {
                out = static_cast<T>(value);
                return S_OK;
            }
        },
        number);
}

bool IsNonZero(const Number& number) {
    return std::visit([](auto value) { return value != 0; }, number);
}

template <class T>
Number ReadNumber(const VARIANT& v) {
    return Widen(ValueOf<T>(v));
}

template <class T>
HRESULT WriteNumber(const Number& number, VARTYPE vt, VARIANT& out) {
    T value;
    if (HRESULT hr = Narrow(number, value); FAILED(hr)) return hr;
    SetValue(out, vt, value);
    return S_OK;
}

HRESULT WriteBool(const Number& number, VARTYPE vt, VARIANT& out) {
    SetValue(out, vt, IsNonZero(number) ? VARIANT_TRUE : VARIANT_FALSE);
    return S_OK;
}

struct NumericType {
    VARTYPE vt;
    Number (*read)(const VARIANT&);
    HRESULT (*write)(const Number&, VARTYPE, VARIANT&);
};

template <class T>
constexpr NumericType Numeric(VARTYPE vt) {
    return {vt, ReadNumber<T>, WriteNumber<T>};
}

constexpr NumericType kNumericTypes[] = {
    Numeric<int8_t>(VT_I1),
    Numeric<uint8_t>(VT_UI1),
    Numeric<int16_t>(VT_I2),
    Numeric<uint16_t>(VT_UI2),
    Numeric<int32_t>(VT_I4),
    Numeric<uint32_t>(VT_UI4),
    Numeric<int32_t>(VT_INT),
    Numeric<uint32_t>(VT_UINT),
    Numeric<int64_t>(VT_I8),
    Numeric<uint64_t>(VT_UI8),
    Numeric<float>(VT_R4),
    Numeric<double>(VT_R8),
    {VT_BOOL, ReadNumber<VARIANT_BOOL>, WriteBool},
};

const NumericType* FindNumeric(VARTYPE vt) {
    for (const NumericType& type : kNumericTypes)
        if (type.vt == vt) return &type;
    return nullptr;
}

// ---------------------------------------------------------------------------------------------
// Text.

constexpr std::u16string_view kWhiteSpace = u" \t\n\v\f\r";

std::u16string_view BstrText(BSTR text) { return {text ? text : u"", SysStringLen(text)}; }

std::u16string_view Trim(std::u16string_view text) {
    const size_t first = text.find_first_not_of(kWhiteSpace);
    if (first == std::u16string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(kWhiteSpace) - first + 1);
}

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// Reads a run of digits starting at `pos` into `ascii`; returns how many there were.
size_t TakeDigits(std::u16string_view text, size_t& pos, std::string& ascii) {
    const size_t start = pos;
    for (; pos < text.size() && IsDigit(text[pos]); ++pos) ascii.push_back(static_cast<char>(text[pos]));
    return pos - start;
}

void TakeSign(std::u16string_view text, size_t& pos, std::string& ascii) {
    if (pos < text.size() && (text[pos] == u'+' || text[pos] == u'-'))
        ascii.push_back(static_cast<char>(text[pos++]));
}

struct DecimalText {
    std::string ascii;
    bool integral;
};

// Accepts [sign] digits [. digits] [e [sign] digits] with at least one mantissa digit, and
// nothing else; the result is the same text in ASCII.
std::optional<DecimalText> ScanDecimal(std::u16string_view text) {
    DecimalText result{{}, true};
    size_t pos = 0;
    TakeSign(text, pos, result.ascii);
    size_t mantissaDigits = TakeDigits(text, pos, result.ascii);
    if (pos < text.size() && text[pos] == u'.') {
        result.ascii.push_back('.');
        result.integral = false;
        mantissaDigits += TakeDigits(text, ++pos, result.ascii);
    }
    if (mantissaDigits == 0) return std::nullopt;
    if (pos < text.size() && (text[pos] == u'e' || text[pos] == u'E')) {
        result.ascii.push_back('e');
        result.integral = false;
        TakeSign(text, ++pos, result.ascii);
        if (TakeDigits(text, pos, result.ascii) == 0) return std::nullopt;
    }
    if (pos != text.size()) return std::nullopt;
    return result;
}

locale_t CLocale() {
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", locale_t{});
    return locale;
}

// Whole numbers that fit 64 bits are read exactly, everything else as a double.
template <class T>
bool ParseExact(std::string_view ascii, Number& out) {
    if (!ascii.empty() && ascii.front() == '+') ascii.remove_prefix(1);
    T value;
    const auto [end, error] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
    if (error != std::errc{} || end != ascii.data() + ascii.size()) return false;
    out = value;
    return true;
}

HRESULT ParseNumber(BSTR text, Number& out) {
    const auto decimal = ScanDecimal(Trim(BstrText(text)));
    if (!decimal) return DISP_E_TYPEMISMATCH;
    if (decimal->integral &&
        (ParseExact<int64_t>(decimal->ascii, out) || ParseExact<uint64_t>(decimal->ascii, out)))
        return S_OK;
    errno = 0;
    const double value = strtod_l(decimal->ascii.c_str(), nullptr, CLocale());
    if (errno == ERANGE && std::isinf(value)) return DISP_E_OVERFLOW;
    out = value;
    return S_OK;
}

bool EqualsIgnoringCase(std::u16string_view text, std::u16string_view lowerWord) {
    if (text.size() != lowerWord.size()) return false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i] >= u'A' && text[i] <= u'Z' ? text[i] - u'A' + u'a' : text[i];
        if (c != lowerWord[i]) return false;
    }
    return true;
}

std::optional<Number> BoolWord(BSTR text) {
    const std::u16string_view word = Trim(BstrText(text));
    if (EqualsIgnoringCase(word, u"true")) return int64_t{VARIANT_TRUE};
    if (EqualsIgnoringCase(word, u"false")) return int64_t{VARIANT_FALSE};
    return std::nullopt;
}

BSTR AsciiToBstr(std::string_view ascii) {
    BSTR text = SysAllocStringLen(nullptr, static_cast<UINT>(ascii.size()));
    if (text != nullptr)
        for (size_t i = 0; i < ascii.size(); ++i) text[i] = static_cast<OLECHAR>(ascii[i]);
    return text;
}

// Real numbers keep up to 15 (double) or 7 (float) significant digits, as "%G" would write
// them in the C locale; a negative zero is written "0".
std::string FormatReal(double value, int digits) {
    if (value == 0) return "0";
    char buffer[32];
    const auto end =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, digits).ptr;
    std::string text(buffer, end);
    for (char& c : text)
        if (c == 'e') c = 'E';
    return text;
}

std::string FormatNumber(const Number& number) {
    return std::visit(
        [](auto value) -> std::string {
            using T = decltype(value);
            if constexpr (std::is_floating_point_v<T>) {
                return FormatReal(value, std::is_same_v<T, float> ? 7 : 15);
            } else {
                char buffer[24];
                return std::string(buffer, std::to_chars(buffer, buffer + sizeof buffer, value).ptr);
            }
        },
        number);
}

// ---------------------------------------------------------------------------------------------
// Conversions. Each target type has one routine; `src` is never a reference and never owns what
// the result holds.

HRESULT Convert(const VARIANT& src, USHORT flags, VARTYPE vt, VARIANT& out);

// The numeric value of a source for a numeric or boolean target.
HRESULT SourceNumber(const VARIANT& src, VARTYPE target, Number& out) {
    if (src.vt == VT_EMPTY) {
        out = int64_t{0};
        return S_OK;
    }
    if (src.vt == VT_BSTR) {
        const auto word = target == VT_BOOL ? BoolWord(src.bstrVal) : std::nullopt;
        if (!word) return ParseNumber(src.bstrVal, out);
        out = *word;
        return S_OK;
    }
    const NumericType* type = FindNumeric(src.vt);
    if (type == nullptr) return DISP_E_TYPEMISMATCH;
    out = type->read(src);
    return S_OK;
}

HRESULT ToNumeric(const NumericType& target, const VARIANT& src, VARIANT& out) {
    Number number;
    if (HRESULT hr = SourceNumber(src, target.vt, number); FAILED(hr)) return hr;
    return target.write(number, target.vt, out);
}

HRESULT ToBstr(const VARIANT& src, USHORT flags, VARIANT& out) {
    std::string ascii;
    if (src.vt == VT_BOOL && (flags & VARIANT_ALPHABOOL)) {
        ascii = src.boolVal ? "True" : "False";
    } else if (src.vt != VT_EMPTY) {
        const NumericType* type = FindNumeric(src.vt);
        if (type == nullptr) return DISP_E_TYPEMISMATCH;
        ascii = FormatNumber(type->read(src));
    }
    BSTR text = AsciiToBstr(ascii);
    if (text == nullptr) return E_OUTOFMEMORY;
    SetValue(out, VT_BSTR, text);
    return S_OK;
}

// DISPATCH to UNKNOWN keeps the pointer; UNKNOWN to DISPATCH asks the object.
HRESULT ToInterface(const VARIANT& src, VARTYPE vt, VARIANT& out) {
    IUnknown* object = src.punkVal;
    if (vt == VT_UNKNOWN && src.vt == VT_DISPATCH) {
        if (object) object->AddRef();
    } else if (vt == VT_DISPATCH && src.vt == VT_UNKNOWN) {
        if (object)
            if (HRESULT hr = object->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&object));
                FAILED(hr))
                return hr;
    } else {
        return DISP_E_TYPEMISMATCH;
    }
    SetValue(out, vt, object);
    return S_OK;
}

// EMPTY takes anything but NULL and ERROR; NULL takes anything but ERROR.
HRESULT ToMarker(const VARIANT& src, VARTYPE vt, VARIANT& out) {
    if (src.vt == VT_ERROR || (vt == VT_EMPTY && src.vt == VT_NULL)) return DISP_E_TYPEMISMATCH;
    out = VARIANT{};
    out.vt = vt;
    return S_OK;
}

// An object converts to a scalar through its default member.
HRESULT ConvertDefaultValue(IDispatch* object, USHORT flags, VARTYPE vt, VARIANT& out) {
    if (object == nullptr || (flags & VARIANT_NOVALUEPROP)) return DISP_E_TYPEMISMATCH;
    DISPPARAMS noArguments{};
    UniqueVariant value;
    if (FAILED(object->Invoke(DISPID_VALUE, IID_NULL, 0, DISPATCH_METHOD | DISPATCH_PROPERTYGET, &noArguments,
                              value.Put(), nullptr, nullptr)))
        return DISP_E_TYPEMISMATCH;
    // A default value that is itself an object is not followed further.
    return Convert(value.get(), flags | VARIANT_NOVALUEPROP, vt, out);
}

HRESULT ConvertScalar(const VARIANT& src, USHORT flags, VARTYPE vt, VARIANT& out) {
    switch (vt) {
        case VT_EMPTY:
        case VT_NULL:
            return ToMarker(src, vt, out);
        case VT_DISPATCH:
        case VT_UNKNOWN:
            return ToInterface(src, vt, out);
    }
    if (src.vt == VT_DISPATCH) return ConvertDefaultValue(src.pdispVal, flags, vt, out);
    if (vt == VT_BSTR) return ToBstr(src, flags, out);
    if (const NumericType* target = FindNumeric(vt)) return ToNumeric(*target, src, out);
    return DISP_E_TYPEMISMATCH;
}

HRESULT Convert(const VARIANT& src, USHORT flags, VARTYPE vt, VARIANT& out) {
    VARIANT value;
    if (HRESULT hr = Dereference(src, value); FAILED(hr)) return hr;
    if (value.vt == vt) return Duplicate(value, out);
    if ((value.vt | vt) & (VT_ARRAY | VT_BYREF)) return DISP_E_TYPEMISMATCH;
    return ConvertScalar(value, flags, vt, out);
}

}  // namespace

extern "C" {

void VariantInit(VARIANT* v) { v->vt = VT_EMPTY; }

HRESULT VariantClear(VARIANT* v) {
    if (v == nullptr) return E_INVALIDARG;
    if (!IsValidVarType(v->vt)) return DISP_E_BADVARTYPE;
    // A failure (a locked array) leaves the variant as it was, so it can be cleared later.
    if (HRESULT hr = ReleaseValue(*v); FAILED(hr)) return hr;
    v->vt = VT_EMPTY;
    return S_OK;
}

HRESULT VariantCopy(VARIANT* dst, const VARIANT* src) {
    if (dst == nullptr || src == nullptr) return E_INVALIDARG;
    if (!IsValidVarType(src->vt)) return DISP_E_BADVARTYPE;
    if (dst == src) return S_OK;
    UniqueVariant copy;
    if (HRESULT hr = Duplicate(*src, copy.get()); FAILED(hr)) return hr;
    return Replace(dst, copy);
}

HRESULT VariantChangeType(VARIANT* dst, const VARIANT* src, USHORT flags, VARTYPE vt) {
    if (dst == nullptr || src == nullptr) return E_INVALIDARG;
    if (!IsValidVarType(src->vt) || !IsValidVarType(vt)) return DISP_E_BADVARTYPE;
    UniqueVariant result;
    if (HRESULT hr = Convert(*src, flags, vt, result.get()); FAILED(hr)) return hr;
    return Replace(dst, result);
}

}  // extern "C"
