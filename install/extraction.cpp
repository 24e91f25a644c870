// The extraction pass: every payload resource decoded into its row.
#include "engine.h"  // windows.h comes first

#include <cstdlib>
#include <cstring>

#include "control_ids.h"
#include "crc32.h"
#include "fatal_error.h"
#include "lzari.h"
#include "payload_checks.h"

namespace {

constexpr WORD rcDataType = 10;  // RT_RCDATA

// Decodes one container. A length field that no stream of the container's
// size can honestly fill is not decoded at all (it could only allocate and
// decode garbage), and a stream that does not end where a well-formed one
// ends is damaged: both count as failed decodes.
BufferResult decodePayload(ResourceData packed)
{
    PayloadFields fields;
    bool wellFormed = readPayloadFields(packed.data, packed.size, &fields);
    if (wellFormed && fields.textLength > payloadLengthBound(fields.streamSize)) {
        // Classified as the decoder would, so that the version test still
        // applies first.
        payloadFormatVersion = fields.version;
        return BufferResult{nullptr, 0};
    }
    BufferResult decoded = lzariDecode(packed.data, packed.size);
    if (decoded.data && !lzariDecodeConsumedExactly()) {
        free(decoded.data);
        return BufferResult{nullptr, 0};
    }
    return decoded;
}

bool beginsWithAMagic(ResourceData packed)
{
    return packed.size >= 4 &&
           (memcmp(packed.data, magicVersion0, 4) == 0 || memcmp(packed.data, magicVersion1, 4) == 0);
}

// An empty file's container: well-formed, with a length of 0 and an empty
// stream. A zeroed length over a stream is damage, not an empty file.
bool holdsAnEmptyFile(ResourceData packed)
{
    PayloadFields fields;
    return readPayloadFields(packed.data, packed.size, &fields) && fields.textLength == 0 && fields.streamSize == 0;
}

// The decoded bytes against the check value the build recorded from the
// file itself: the containers have no checksum, and a damaged stream can
// decode to the right length with wrong bytes.
bool matchesItsCheck(const PayloadEntry& row, ResourceData checks)
{
    uint32_t expected;
    return findPayloadCheck(checks.data, checks.size, row.fileName, &expected) &&
           crc32Update(0, row.data, row.size) == expected;
}

}  // namespace

void extractPayloads(HWND dialog)
{
    beginProgress(dialog, "extracting files", IDC_EXTRACT_PROGRESS);
    ResourceData checks = loadResourceData(payloadChecksName, rcDataType);
    for (int i = 0; payloadTable[i].fileName; i++) {
        PayloadEntry& row = payloadTable[i];
        showProgress(dialog, IDC_EXTRACT_PROGRESS, i);
        ResourceData packed = loadResourceData(row.fileName, rcDataType);
        BufferResult decoded = decodePayload(packed);
        row.data = decoded.data;
        row.size = decoded.size;
        // Only a version-1 container is accepted. One with neither magic
        // leaves the version of the previous decode in place, so it is
        // refused by its magic, not judged by another payload's version.
        if (payloadFormatVersion < 1 || !beginsWithAMagic(packed))
            reportFatal(344, "resource was compressed with the wrong version of LZARI");
        // A non-empty payload without its bytes must not be installed as an
        // empty file.
        if (!row.data && !holdsAnEmptyFile(packed)) reportFatal(346, "can't decode resource %s", row.fileName);
        if (!matchesItsCheck(row, checks)) reportFatal(348, "resource %s is damaged", row.fileName);
        row.fileTime = payloadFileTime;
    }
    endProgress(dialog, IDC_EXTRACT_PROGRESS);
}
