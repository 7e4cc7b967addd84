#include "nox/variant.h"

#include "nox/result.h"

NoxVariant::NoxVariant(const VARIANT& source) {
    VariantInit(&value_);
    nox::CheckStandard(VariantCopy(&value_, &source));
}

NoxVariant& NoxVariant::operator=(const NoxVariant& other) {
    if (this != &other) nox::CheckStandard(VariantCopy(&value_, &other.value_));
    return *this;
}

VARIANT* NoxVariant::Put() {
    VariantClear(&value_);
    return &value_;
}

NoxBSTR NoxVariant::Bstr() const {
    VARIANT text;
    VariantInit(&text);
    nox::CheckStandard(VariantChangeType(&text, &value_, 0, VT_BSTR));
    return NoxBSTR::Attach(text.bstrVal);
}
