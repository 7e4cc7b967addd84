// What a harness does when the library breaks one of its promises without crashing: print both
// sides and abort, which libFuzzer records as a fault with the input that caused it.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace kmcfuzz {

[[noreturn]] inline void Fault(const char* what, std::string_view first = {}, std::string_view second = {}) {
    std::fprintf(stderr, "FAULT: %s\n--- first\n%.*s\n--- second\n%.*s\n", what,
                 static_cast<int>(first.size()), first.data(), static_cast<int>(second.size()),
                 second.data());
    std::abort();
}

}  // namespace kmcfuzz
