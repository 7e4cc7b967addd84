#include "frame/parent.h"

#include <string>

namespace kmc {

void ThrowParentAlreadySet(const char* className) {
    throw NoxResult(E_UNEXPECTED, std::string("Parent is already set for ") + className + ".");
}

}  // namespace kmc
