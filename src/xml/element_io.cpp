#include "xml/element_io.h"

#include "nox/format.h"
#include "nox/result.h"
#include "nox/strings.h"
#include "xml/reader.h"
#include "xml/writer.h"

namespace kmc {

ElementWriter::ElementWriter(IVxOstrelToXML* writer, const char* element)
    : writer_(CheckNullDereference(writer)), direct_(OstrelToXML::FromInterface(writer_)) {
    nox::Check(direct_ ? direct_->OpenObject(std::string_view(element))
                       : writer_->OpenObject(NoxBSTR(element).Get()));
}

void ElementWriter::Text(const char* attribute, const std::string& value) {
    nox::Check(direct_ ? direct_->AddAttribute(std::string_view(attribute), value)
                       : writer_->AddAttribute(NoxBSTR(attribute).Get(), NoxBSTR(value).Get()));
}

void ElementWriter::Double(const char* attribute, double value) {
    nox::Check(direct_ ? direct_->AddDoubleAttribute(std::string_view(attribute), value)
                       : writer_->AddDoubleAttribute(NoxBSTR(attribute).Get(), value));
}

void ElementWriter::Long(const char* attribute, LONG value) {
    nox::Check(direct_ ? direct_->AddLongAttribute(std::string_view(attribute), value)
                       : writer_->AddLongAttribute(NoxBSTR(attribute).Get(), value));
}

void ElementWriter::Color(const char* attribute, ColorValue value) { Text(attribute, value.ToString()); }

void ElementWriter::Close() { nox::Check(writer_->CloseObject()); }

ElementReader::ElementReader(IVxXMLToOstrel* reader, const char* element)
    : reader_(CheckNullDereference(reader)), direct_(XMLToOstrel::FromInterface(reader_)), element_(element) {
    const HRESULT hr = direct_ ? direct_->OpenNextElement(std::string_view(element_))
                               : reader_->OpenNextElement(NoxBSTR(element_).Get());
    if (hr == E_OUTOFMEMORY)
        throw NoxResult(E_OUTOFMEMORY, NoxFormat("Out of memory while opening %1 element") << element_);
    if (hr != S_OK) throw NoxResult(E_UNEXPECTED, NoxFormat("Failed to open %1 element") << element_);
}

void ElementReader::FailAttribute(const char* attribute, const char* failure) const {
    if (failure != nullptr) throw NoxResult(E_UNEXPECTED, failure);
    throw NoxResult(E_UNEXPECTED, NoxFormat("Failed to obtain %1 attribute from %2 element")
                                      << attribute << element_);
}

// Running out of memory is no fault of the file, so it is not reported as one.
void ElementReader::CheckAttribute(HRESULT hr, const char* attribute, const char* failure) const {
    if (hr == E_OUTOFMEMORY) {
        throw NoxResult(E_OUTOFMEMORY, NoxFormat("Out of memory while reading %1 attribute from %2 element")
                                           << attribute << element_);
    }
    if (FAILED(hr)) FailAttribute(attribute, failure);
}

std::optional<std::string> ElementReader::Attribute(const char* attribute, const char* failure) {
    std::string value;
    HRESULT hr = S_OK;
    if (direct_) {
        hr = direct_->GetAttributeValue(std::string_view(attribute), &value);
    } else {
        NoxBSTR text;
        hr = reader_->GetAttributeValue(NoxBSTR(attribute).Get(), text.Put());
        value = text.ToTString();
    }
    CheckAttribute(hr, attribute, failure);
    if (hr == S_FALSE) return std::nullopt;
    return value;
}

template <class Number>
Number ElementReader::ReadNumber(const char* attribute, HRESULT (IVxXMLToOstrel::*read)(BSTR, Number*),
                                 HRESULT (XMLToOstrel::*direct)(std::string_view, Number*)) {
    Number value{};
    CheckAttribute(
        direct_ ? (direct_->*direct)(attribute, &value) : (reader_->*read)(NoxBSTR(attribute).Get(), &value),
        attribute);
    return value;
}

std::string ElementReader::Text(const char* attribute, const char* failure) {
    return Attribute(attribute, failure).value_or(std::string());
}

double ElementReader::Double(const char* attribute) {
    return ReadNumber<double>(attribute, &IVxXMLToOstrel::GetDoubleAttributeValue,
                              &XMLToOstrel::GetDoubleAttributeValue);
}

LONG ElementReader::Long(const char* attribute) {
    return ReadNumber<LONG>(attribute, &IVxXMLToOstrel::GetLongAttributeValue,
                            &XMLToOstrel::GetLongAttributeValue);
}

ColorValue ElementReader::Color(const char* attribute, ColorValue whenAbsent) {
    const std::optional<std::string> text = Attribute(attribute, nullptr);
    if (!text) return whenAbsent;
    const std::optional<ColorValue> color = ColorValue::Parse(*text);
    if (!color) FailAttribute(attribute, nullptr);
    return *color;
}

bool ElementReader::ChildrenRemain() {
    VARIANT_BOOL remaining = VARIANT_FALSE;
    nox::Check(reader_->AreElementsRemaining(&remaining));
    return remaining != VARIANT_FALSE;
}

void ElementReader::Close() { nox::Check(reader_->CloseElement()); }

}  // namespace kmc
