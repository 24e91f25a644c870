#include "peers.h"

#include <lzma.h>
#include <zlib.h>

#include <stdexcept>

std::vector<uint8_t> zlibCompress(const std::vector<uint8_t>& input)
{
    uLongf size = compressBound(uLong(input.size()));
    std::vector<uint8_t> packed(size);
    if (compress2(packed.data(), &size, input.data(), uLong(input.size()), 9) != Z_OK)
        throw std::runtime_error("zlib failed");
    packed.resize(size);
    return packed;
}

std::vector<uint8_t> zlibDecompress(const std::vector<uint8_t>& packed, size_t originalSize)
{
    std::vector<uint8_t> output(originalSize);
    uLongf size = uLongf(originalSize);
    if (uncompress(output.data(), &size, packed.data(), uLong(packed.size())) != Z_OK || size != originalSize)
        throw std::runtime_error("zlib failed");
    return output;
}

std::vector<uint8_t> lzmaCompress(const std::vector<uint8_t>& input)
{
    std::vector<uint8_t> packed(lzma_stream_buffer_bound(input.size()));
    size_t size = 0;
    if (lzma_easy_buffer_encode(6, LZMA_CHECK_CRC32, nullptr, input.data(), input.size(), packed.data(), &size,
                                packed.size()) != LZMA_OK)
        throw std::runtime_error("liblzma failed");
    packed.resize(size);
    return packed;
}

std::vector<uint8_t> lzmaDecompress(const std::vector<uint8_t>& packed, size_t originalSize)
{
    std::vector<uint8_t> output(originalSize);
    uint64_t memoryLimit = UINT64_MAX;
    size_t inPos = 0, outPos = 0;
    if (lzma_stream_buffer_decode(&memoryLimit, 0, nullptr, packed.data(), &inPos, packed.size(), output.data(),
                                  &outPos, output.size()) != LZMA_OK ||
        outPos != originalSize)
        throw std::runtime_error("liblzma failed");
    return output;
}
