#include "container_unpack.h"

#include <stdexcept>

#include "lzari.h"

Unpacked unpackContainer(const uint8_t* container, size_t size, const std::string& label)
{
    if (size > UINT32_MAX) throw std::runtime_error(label + ": too large to be a container");
    Unpacked unpacked;
    if (!readPayloadFields(container, uint32_t(size), &unpacked.fields))
        throw std::runtime_error(label + ": not an LZARI container");
    const PayloadFields& fields = unpacked.fields;
    // Refused before decoding: a lying length would otherwise be allocated.
    if (fields.textLength > payloadLengthBound(fields.streamSize))
        throw std::runtime_error(label + ": damaged container: its length field (" +
                                 std::to_string(fields.textLength) + " bytes) is more than its stream can hold");
    if (fields.textLength == 0 && fields.streamSize != 0)  // an empty file's stream is empty too
        throw std::runtime_error(label + ": damaged container: its length field reads 0 but its stream is not empty");
    if (fields.textLength == 0) return unpacked;
    BufferResult result = lzariDecode(container, uint32_t(size));
    unpacked.data.reset(result.data);
    if (!result.data) throw std::runtime_error(label + ": can't decode: bad stream or out of memory");
    if (!lzariDecodeConsumedExactly()) throw std::runtime_error(label + ": damaged or truncated container");
    return unpacked;
}
