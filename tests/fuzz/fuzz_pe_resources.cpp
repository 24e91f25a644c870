// libFuzzer target: any bytes as a program file for the resource reader
// behind lzari list, extract and verify. Under AddressSanitizer a read
// outside the file is a crash; beyond that, the reader must either refuse
// the file with PeFormatError or return resources that lie inside it. A
// PAYLOADCRC among them is read too, as the commands read it.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "payload_checksums.h"
#include "pe_resources.h"

namespace {

bool liesInside(const RawDataResource& resource, const uint8_t* image, size_t size)
{
    if (resource.data < image) return false;
    size_t offset = size_t(resource.data - image);
    return offset <= size && resource.size <= size - offset;
}

// Reads every byte of the resource, so that AddressSanitizer checks them.
uint8_t touch(const RawDataResource& resource)
{
    uint8_t sum = 0;
    for (uint32_t i = 0; i < resource.size; i++) sum = uint8_t(sum + resource.data[i]);
    return sum;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // An exact copy, so that ASan sees the file's true end.
    uint8_t* image = static_cast<uint8_t*>(malloc(size ? size : 1));
    if (size) memcpy(image, data, size);
    volatile uint8_t seen = 0;
    try {
        for (const RawDataResource& resource : readRawDataResources(image, size).rawData) {
            if (!liesInside(resource, image, size)) abort();
            seen = uint8_t(seen + touch(resource));
            if (upperCaseName(resource.name) != payloadChecksName) continue;
            try {
                readPayloadChecksums(resource.data, resource.size);
            } catch (const std::runtime_error& error) {
                if (strchr(error.what(), '\n')) abort();
            }
        }
    } catch (const PeFormatError& error) {
        if (strchr(error.what(), '\n')) abort();  // every refusal is one line
    }
    free(image);
    return 0;
}
