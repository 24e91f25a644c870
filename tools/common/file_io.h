// Whole-file reads and all-or-nothing writes for the host tools. Failures
// throw std::runtime_error with a one-line message naming the file.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "packed_payload.h"

// A file's bytes, mapped read-only rather than copied into the heap, so
// that unpacking needs no memory beyond its output. A pipe or a device is
// read to its end instead (a pipe that no one writes is empty).
class MappedFile {
public:
    explicit MappedFile(const std::string& path);
    ~MappedFile();
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    const uint8_t* data() const { return data_; }
    size_t size() const { return size_; }

private:
    const uint8_t* data_ = nullptr;
    size_t size_ = 0;
    std::vector<uint8_t> copy_;  // what a pipe or a device gave
};

// The file's modification time as a FILETIME.
FILETIME fileModificationTime(const std::string& path);

// Writes `bytes` to a temporary file beside `path`, gives it the time stamp
// (if any) and renames it over `path`: a reader sees the old file or the
// whole new one, never a half-written one, and a failure leaves no trace.
// Standard output ("-"), a device or a pipe is written through instead; a
// symbolic link or a folder is refused.
void writeFileAtomically(const std::string& path, const uint8_t* bytes, size_t size,
                         std::optional<FILETIME> modificationTime);
