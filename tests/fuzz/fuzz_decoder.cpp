// libFuzzer target: any bytes as a container. Under AddressSanitizer a read
// outside the container or a write outside the decoded block is a crash;
// the checks below catch a decode that breaks the decoder's promises.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "lzari.h"

namespace {

// A garbage stream stops where it runs out, whatever length it declares;
// lengths above this would only cost the fuzzer the memory of its blocks.
constexpr uint32_t longestLengthTried = 1 << 24;

uint32_t lengthAt(const uint8_t* data, size_t size, size_t fromEnd)
{
    return size >= fromEnd ? readLittleEndian32(data + size - fromEnd) : 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > UINT32_MAX) return 0;
    if (lengthAt(data, size, 4) > longestLengthTried || lengthAt(data, size, 12) > longestLengthTried) return 0;

    // An exact copy, so that ASan sees the container's true end.
    uint8_t* container = static_cast<uint8_t*>(malloc(size ? size : 1));
    if (size) memcpy(container, data, size);

    PayloadFields fields;
    bool wellFormed = readPayloadFields(container, uint32_t(size), &fields);
    BufferResult result = lzariDecode(container, uint32_t(size));
    if (result.data) {
        // Both magics give a decode of exactly the length field; an upper-
        // and lower-case mix of the letters is decoded too.
        if (wellFormed && result.size != fields.textLength) abort();
        if (result.size == 0) abort();
        if (wellFormed && payloadFormatVersion != fields.version) abort();
    } else if (result.size != 0) {
        abort();
    }
    free(result.data);
    free(container);
    return 0;
}
