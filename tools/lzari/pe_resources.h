// The named raw-data (RCDATA) resources of a Windows program, read from the
// file's bytes alone with no Win32 call, so that a setup program can be
// looked into on any host.
//
// The file may be damaged or hostile. Every offset, RVA and size taken from
// it is checked against the file before it is used, in 64-bit arithmetic so
// that no sum wraps; the resource tree is walked three levels deep (type,
// name, language), each directory once, and refused when it has more
// entries than any real program. A file that fails a check gives a
// PeFormatError with a one-line reason; nothing outside `image` is read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "names.h"  // printableName, which every reader of resource names uses

struct PeFormatError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct RawDataResource {
    std::string name;     // the directory's UTF-16 name as UTF-8
    uint16_t language;    // the language entry's ID, e.g. 1033 for U.S. English
    const uint8_t* data;  // inside the image
    uint32_t size;
};

// What an Authenticode signature covers and where it lies: its digest
// leaves out the header's checksum field, the certificate table's entry
// among the data directories and the table itself (file offsets).
struct SignedRegions {
    uint64_t checksumOffset = 0;
    uint64_t certificateEntryOffset = 0;
    uint64_t tableOffset = 0;  // the certificate table, inside the file
    uint32_t tableSize = 0;
    uint32_t entryLength = 0;  // its first entry's WIN_CERTIFICATE length
    // The signature: the PKCS#7 SignedData of that entry (null when the
    // program is not signed), inside the image.
    const uint8_t* signature = nullptr;
    uint32_t signatureSize = 0;
};

struct PeResources {
    size_t directoryOffset;  // file offset of the resource tree's root
    uint32_t directorySize;  // as the data directory gives it
    std::vector<RawDataResource> rawData;  // string-named RCDATA, in directory order
    SignedRegions signing;
};

// Resources named by an ID rather than a string, and those of other types,
// are left out. A program without a resource directory has none.
PeResources readRawDataResources(const uint8_t* image, size_t imageSize);
