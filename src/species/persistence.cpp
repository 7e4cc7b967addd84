#include "species/persistence.h"

#include "nox/result.h"
#include "nox/strings.h"

namespace kmc::persistence {
namespace {

void CheckStep(HRESULT hr, const char* failure) {
    if (FAILED(hr)) throw NoxResult(E_UNEXPECTED, failure);
}

std::optional<std::string> ReadAttribute(IVxXMLToOstrel* reader, const char* attribute, const char* failure) {
    NoxBSTR text;
    HRESULT hr = reader->GetAttributeValue(NoxBSTR(attribute).Get(), text.Put());
    CheckStep(hr, failure);
    if (hr == S_FALSE) return std::nullopt;
    return text.ToTString();
}

template <class Number, class Read>
Number ReadNumber(IVxXMLToOstrel* reader, const char* attribute, const char* failure, Read read) {
    Number value{};
    CheckStep((reader->*read)(NoxBSTR(attribute).Get(), &value), failure);
    return value;
}

}  // namespace

void OpenObject(IVxOstrelToXML* writer, const char* element) {
    nox::Check(CheckNullDereference(writer)->OpenObject(NoxBSTR(element).Get()));
}

void AddText(IVxOstrelToXML* writer, const char* attribute, const std::string& value) {
    nox::Check(writer->AddAttribute(NoxBSTR(attribute).Get(), NoxBSTR(value).Get()));
}

void AddDouble(IVxOstrelToXML* writer, const char* attribute, double value) {
    nox::Check(writer->AddDoubleAttribute(NoxBSTR(attribute).Get(), value));
}

void AddLong(IVxOstrelToXML* writer, const char* attribute, LONG value) {
    nox::Check(writer->AddLongAttribute(NoxBSTR(attribute).Get(), value));
}

void AddColor(IVxOstrelToXML* writer, const char* attribute, ColorValue value) {
    AddText(writer, attribute, value.ToString());
}

void CloseObject(IVxOstrelToXML* writer) { nox::Check(writer->CloseObject()); }

void OpenElement(IVxXMLToOstrel* reader, const char* element, const char* failure) {
    if (CheckNullDereference(reader)->OpenNextElement(NoxBSTR(element).Get()) != S_OK)
        throw NoxResult(E_UNEXPECTED, failure);
}

std::string ReadText(IVxXMLToOstrel* reader, const char* attribute, const char* failure) {
    return ReadAttribute(reader, attribute, failure).value_or(std::string());
}

double ReadDouble(IVxXMLToOstrel* reader, const char* attribute, const char* failure) {
    return ReadNumber<double>(reader, attribute, failure, &IVxXMLToOstrel::GetDoubleAttributeValue);
}

LONG ReadLong(IVxXMLToOstrel* reader, const char* attribute, const char* failure) {
    return ReadNumber<LONG>(reader, attribute, failure, &IVxXMLToOstrel::GetLongAttributeValue);
}

ColorValue ReadColor(IVxXMLToOstrel* reader, const char* attribute, const char* failure,
                     ColorValue whenAbsent) {
    std::optional<std::string> text = ReadAttribute(reader, attribute, failure);
    if (!text) return whenAbsent;
    std::optional<ColorValue> color = ColorValue::Parse(*text);
    if (!color) throw NoxResult(E_UNEXPECTED, failure);
    return *color;
}

bool ElementsRemain(IVxXMLToOstrel* reader) {
    VARIANT_BOOL remaining = VARIANT_FALSE;
    nox::Check(reader->AreElementsRemaining(&remaining));
    return remaining != VARIANT_FALSE;
}

void CloseElement(IVxXMLToOstrel* reader) { nox::Check(reader->CloseElement()); }

}  // namespace kmc::persistence
