// The peers the codec is measured against, on the same data in the same
// run: zlib at level 9 and liblzma (xz) at preset 6.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

std::vector<uint8_t> zlibCompress(const std::vector<uint8_t>& input);
std::vector<uint8_t> zlibDecompress(const std::vector<uint8_t>& packed, size_t originalSize);
std::vector<uint8_t> lzmaCompress(const std::vector<uint8_t>& input);
std::vector<uint8_t> lzmaDecompress(const std::vector<uint8_t>& packed, size_t originalSize);
