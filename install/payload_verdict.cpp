#include "payload_verdict.h"

#include <cstdlib>
#include <cstring>

#include "crc32.h"
#include "fatal_codes.h"
#include "payload_checks.h"

DecodedContainer decodeContainer(const uint8_t* container, uint32_t size, LzariProgress* progress)
{
    DecodedContainer result{{nullptr, 0}, containerVersion(container, size), nullptr, false, false, {}};
    result.hasFields = readPayloadFields(container, size, &result.fields);
    const PayloadFields& fields = result.fields;
    if (result.version < 0) result.fault = "not an LZARI container";
    else if (!result.hasFields) result.fault = "a container cut short before its fields";
    // A lying length would otherwise be allocated, and garbage decoded.
    else if (fields.decodedLength > payloadLengthBound(fields.streamSize))
        result.fault = "damaged container: its length field is more than its stream can hold";
    if (result.fault) return result;
    LzariDecoded decoded = lzariDecode(container, size, progress);
    result.decoded = decoded.bytes;
    if (fields.decodedLength == 0) {
        // An empty file's stream is empty too.
        if (fields.streamSize != 0) result.fault = "damaged container: its length field reads 0 but its stream is not empty";
    } else if (decoded.outOfMemory) {
        result.outOfMemory = true;
        result.fault = "not enough memory for its decoded bytes";
    } else if (!decoded.consumedExactly) {
        free(result.decoded.data);
        result.decoded = BufferResult{nullptr, 0};
        result.fault = "damaged or truncated container";
    }
    return result;
}

PayloadVerdict judgePayload(const uint8_t* container, uint32_t size, const char* name, const uint8_t* checks,
                            uint32_t checksSize, LzariProgress* progress)
{
    PayloadVerdict verdict{0, "", decodeContainer(container, size, progress), false, 0, 0};
    const DecodedContainer& decoded = verdict.container;
    // The check value comes from the file itself: the containers have no
    // checksum, and a damaged stream can decode to the right length with
    // wrong bytes.
    bool checked = !decoded.fault && checks;
    if (checked) {
        verdict.recorded = findPayloadCheck(checks, checksSize, name, &verdict.recordedCrc);
        verdict.crc = crc32Update(0, decoded.decoded.data, decoded.decoded.size);
    }
    if (decoded.version < 1) {
        verdict.code = wrongLzariVersion.code;
        verdict.reason = decoded.version < 0 ? decoded.fault : "a container of version 0";
    } else if (decoded.outOfMemory) {
        verdict.code = noMemoryForResource.code;
        verdict.reason = decoded.fault;
    } else if (decoded.fault) {
        verdict.code = cantDecodeResource.code;
        verdict.reason = decoded.fault;
    } else if (checked && !verdict.recorded) {
        verdict.code = resourceDamaged.code;
        verdict.reason = "PAYLOADCRC has no record for it";
    } else if (checked && verdict.crc != verdict.recordedCrc) {
        verdict.code = resourceDamaged.code;
        verdict.reason = "CRC-32 of the decoded bytes differs from its record";
    }
    return verdict;
}
