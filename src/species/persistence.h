// The writer and reader steps of the species classes' elements. A failed writer call ends a
// save with the writer's own description; a failed reader step ends a load with E_UNEXPECTED
// and the step's own sentence, so the caller learns which element and attribute broke.
#pragma once

#include <optional>
#include <string>

#include "geometry/color.h"
#include "vxostrel/xml.h"

namespace kmc::persistence {

void OpenObject(IVxOstrelToXML* writer, const char* element);
void AddText(IVxOstrelToXML* writer, const char* attribute, const std::string& value);
void AddDouble(IVxOstrelToXML* writer, const char* attribute, double value);
void AddLong(IVxOstrelToXML* writer, const char* attribute, LONG value);
void AddColor(IVxOstrelToXML* writer, const char* attribute, ColorValue value);
void CloseObject(IVxOstrelToXML* writer);

// An absent element fails too: reading on would read the parent's attributes and close the
// parent's element.
void OpenElement(IVxXMLToOstrel* reader, const char* element, const char* failure);
// Absent attributes are no failure: the text reads empty, the numbers 0.
std::string ReadText(IVxXMLToOstrel* reader, const char* attribute, const char* failure);
double ReadDouble(IVxXMLToOstrel* reader, const char* attribute, const char* failure);
LONG ReadLong(IVxXMLToOstrel* reader, const char* attribute, const char* failure);
// An absent colour reads as `whenAbsent`; text that is not a colour fails.
ColorValue ReadColor(IVxXMLToOstrel* reader, const char* attribute, const char* failure,
                     ColorValue whenAbsent);
// Whether the current element has children that were not read.
bool ElementsRemain(IVxXMLToOstrel* reader);
void CloseElement(IVxXMLToOstrel* reader);

}  // namespace kmc::persistence
