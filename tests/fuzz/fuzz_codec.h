// The codec's part of the fuzz targets: any bytes decoded as a container
// (on every path the processor takes, with the same bytes) and packed by
// both parses, which must give them back whole.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "lzari.h"

namespace fuzzing {

// A garbage stream stops where it runs out, whatever length it declares;
// lengths above this would only cost the fuzzer the memory of its blocks.
constexpr uint32_t longestLengthTried = 1 << 24;

// Both magics give a decode of exactly the length field, and the version
// the magic names; a null result has no size.
inline void decodeDirectly(const std::vector<uint8_t>& input)
{
    PayloadFields fields;
    bool wellFormed = readPayloadFields(input.data(), uint32_t(input.size()), &fields);
    if (wellFormed && fields.decodedLength > longestLengthTried) return;
    for (size_t fromEnd : {4, 12})
        if (input.size() >= fromEnd && readLittleEndian32(&input[input.size() - fromEnd]) > longestLengthTried) return;
    LzariDecoded result = lzariDecode(input.data(), uint32_t(input.size()));
    const BufferResult& bytes = result.bytes;
    if (result.version != containerVersion(input.data(), uint32_t(input.size()))) abort();
    if (bytes.data && ((wellFormed && bytes.size != fields.decodedLength) || bytes.size == 0)) abort();
    if (!bytes.data && bytes.size != 0) abort();
    // Every path the processor takes decodes damaged streams alike too.
    for (int path = lzariPlainPath; path < lzariBestDecodePath(); path++) {
        LzariDecoded other = lzariDecode(input.data(), uint32_t(input.size()), nullptr, LzariDecodePath(path));
        if (other.bytes.size != bytes.size || (bytes.size && memcmp(other.bytes.data, bytes.data, bytes.size) != 0) ||
            other.endOfReading != result.endOfReading)
            abort();
        free(other.bytes.data);
    }
    free(bytes.data);
}

// Both encoders' containers decode to the input, read as a well-formed
// stream is; the best parse's is never the larger.
inline void roundTrip(const std::vector<uint8_t>& input)
{
    BufferResult standard = lzariEncode(input.data(), uint32_t(input.size()));
    BufferResult best = lzariEncodeBest(input.data(), uint32_t(input.size()));
    if (!standard.data || !best.data || best.size > standard.size) abort();
    for (BufferResult container : {standard, best}) {
        LzariDecoded decoded = lzariDecode(container.data, container.size);
        if (decoded.bytes.size != input.size() ||
            (!input.empty() && (memcmp(decoded.bytes.data, input.data(), input.size()) != 0 || !decoded.consumedExactly)))
            abort();
        free(decoded.bytes.data);
        free(container.data);
    }
}

}  // namespace fuzzing
