#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

#include "com/oleauto.h"

namespace {

// A BSTR block: 4 bytes of padding and the 4-byte length, so that the text that follows keeps
// the 8-byte alignment of the allocation, then the text and a 16-bit NUL.
constexpr size_t kHeaderSize = 8;
constexpr size_t kTerminatorSize = sizeof(OLECHAR);

std::byte* BlockOf(BSTR text) { return reinterpret_cast<std::byte*>(text) - kHeaderSize; }

// Allocates room for `byteLength` bytes of text and writes the length and the terminator; an
// odd length gets one more zero byte so that the text still ends in a whole 16-bit NUL.
BSTR AllocateBlock(size_t byteLength) {
    if (byteLength > std::numeric_limits<uint32_t>::max()) return nullptr;
    const size_t textRoom = byteLength + byteLength % 2 + kTerminatorSize;
    auto* block = static_cast<std::byte*>(std::malloc(kHeaderSize + textRoom));
    if (block == nullptr) return nullptr;
    const auto length = static_cast<uint32_t>(byteLength);
    std::memcpy(block + kHeaderSize - sizeof length, &length, sizeof length);
    std::memset(block + kHeaderSize + byteLength, 0, textRoom - byteLength);
    return reinterpret_cast<BSTR>(block + kHeaderSize);
}

// Copies `byteLength` bytes from `source` into a new BSTR; a null source leaves zeros.
BSTR AllocateCopy(const void* source, size_t byteLength) {
    BSTR text = AllocateBlock(byteLength);
    if (text == nullptr) return nullptr;
    if (source != nullptr)
        std::memcpy(text, source, byteLength);
    else
        std::memset(text, 0, byteLength);
    return text;
}

}  // namespace

extern "C" {

BSTR SysAllocString(const OLECHAR* text) {
    if (text == nullptr) return nullptr;
    return AllocateCopy(text, std::char_traits<OLECHAR>::length(text) * sizeof(OLECHAR));
}

BSTR SysAllocStringLen(const OLECHAR* text, UINT length) {
    return AllocateCopy(text, size_t{length} * sizeof(OLECHAR));
}

BSTR SysAllocStringByteLen(const char* bytes, UINT byteLength) { return AllocateCopy(bytes, byteLength); }

void SysFreeString(BSTR text) {
    if (text != nullptr) std::free(BlockOf(text));
}

UINT SysStringByteLen(BSTR text) {
    if (text == nullptr) return 0;
    uint32_t length;
    std::memcpy(&length, BlockOf(text) + kHeaderSize - sizeof length, sizeof length);
    return length;
}

UINT SysStringLen(BSTR text) { return SysStringByteLen(text) / sizeof(OLECHAR); }

}  // extern "C"
