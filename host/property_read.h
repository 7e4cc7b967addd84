// Reading a property of an automation object in the host's reports: the value, or a failure
// raised with the object's own description.
#pragma once

#include <string>

#include "nox/result.h"
#include "nox/strings.h"

namespace kmcdoc {

template <class Value, class Object, class Getter>
Value Read(Object& object, Getter getter) {
    Value value{};
    nox::Check((object.*getter)(&value));
    return value;
}

template <class Object, class Getter>
std::string ReadText(Object& object, Getter getter) {
    NoxBSTR text;
    nox::Check((object.*getter)(text.Put()));
    return text.ToTString();
}

}  // namespace kmcdoc
