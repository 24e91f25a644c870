// The benchmark's corpus: data shaped like real payloads, taken from files
// that every machine of this kind has, so that runs compare like with like.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct CorpusFile {
    std::string name;    // short label for tables
    std::string source;  // where the bytes came from
    std::vector<uint8_t> bytes;
};

// An executable of the largest payload's size (2,873,856 bytes), a
// megabyte of C headers and half a megabyte of gzip files. A source that
// is missing is made up deterministically instead, and says so.
std::vector<CorpusFile> loadCorpus();

// Appends one file's bytes to `bytes`; false when it cannot be read.
bool readCorpusFile(const std::string& path, std::vector<uint8_t>* bytes);
