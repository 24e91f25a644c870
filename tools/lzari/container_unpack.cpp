#include "container_unpack.h"

#include <stdexcept>

#include "payload_verdict.h"

Unpacked unpackContainer(const uint8_t* container, size_t size, const std::string& label)
{
    if (size > UINT32_MAX) throw std::runtime_error(label + ": too large to be a container");
    DecodedContainer decoded = decodeContainer(container, uint32_t(size));
    Unpacked unpacked;
    unpacked.data.reset(decoded.decoded.data);
    if (decoded.fault) throw std::runtime_error(label + ": " + decoded.fault);
    unpacked.fields = decoded.fields;
    return unpacked;
}
