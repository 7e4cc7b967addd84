// The outputs of a verdict query: a flag and a message that explains a "no" (empty for "yes").
#pragma once

#include <string>

#include "com/base.h"
#include "frame/component.h"
#include "nox/strings.h"

namespace kmc {

// Clears the message when it is given, then checks and clears the flag, then checks the message:
// a missing pointer raises E_POINTER with the flag already false.
inline void ClearVerdict(BSTR* message, VARIANT_BOOL* flag) {
    if (message != nullptr) *message = nullptr;
    Out(flag);
    Out(message);
}

// An empty failure means the verdict holds.
inline void GiveVerdict(const std::string& failure, BSTR* message, VARIANT_BOOL* flag) {
    *message = NoxBSTR(failure).Detach();
    *flag = AsFlag(failure.empty());
}

}  // namespace kmc
