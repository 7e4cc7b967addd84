// A processes document read from bytes: whatever loads must save, load back, and save again to
// the same bytes.
#include <cstdint>
#include <string>

#include "processes_document.h"
#include "round_trip.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    if (auto loaded = kmcfuzz::LoadedOrNull<kmcdoc::ProcessesDocument>(input))
        kmcfuzz::CheckRoundTrip(*loaded, input);
    return 0;
}
