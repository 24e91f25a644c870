// Times the codec on one file with nothing but the standard library, so
// that the same program builds for the host and for 32-bit Windows and the
// two can be compared on the same machine. Prints the best of several
// runs of each direction, in MB/s of unpacked bytes, and what the setup
// program's CRC-32 check of each decoded payload adds to its decoding; then
// the same for the best parse's stream of the file, which this build
// decodes and compares too.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "crc32.h"
#include "lzari.h"

namespace {

std::vector<uint8_t> readFile(const char* path)
{
    std::vector<uint8_t> bytes;
    FILE* file = std::fopen(path, "rb");
    if (!file) return bytes;
    uint8_t chunk[65536];
    for (size_t count; (count = std::fread(chunk, 1, sizeof chunk, file)) > 0;)
        bytes.insert(bytes.end(), chunk, chunk + count);
    std::fclose(file);
    return bytes;
}

template <typename Work>
double bestSeconds(int runs, Work work)
{
    double best = 1e9;
    for (int run = 0; run < runs; run++) {
        auto start = std::chrono::steady_clock::now();
        work();
        std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        if (elapsed.count() < best) best = elapsed.count();
    }
    return best;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: codec_timing FILE [RUNS [decode]]\n");
        return 2;
    }
    std::vector<uint8_t> input = readFile(argv[1]);
    int runs = argc > 2 ? std::atoi(argv[2]) : 7;
    if (input.empty()) {
        std::fprintf(stderr, "codec_timing: can't read %s\n", argv[1]);
        return 1;
    }
    BufferResult packed = {nullptr, 0};
    double encode = bestSeconds(runs, [&] {
        std::free(packed.data);
        packed = lzariEncode(input.data(), uint32_t(input.size()));
    });
    bool same = true;
    double decode = bestSeconds(runs, [&] {
        BufferResult unpacked = lzariDecode(packed.data, packed.size).bytes;
        same = same && unpacked.size == input.size() && std::memcmp(unpacked.data, input.data(), input.size()) == 0;
        std::free(unpacked.data);
    });
    double megabytes = double(input.size()) / 1e6;
    // "decode": the decoding's speed alone, for runs that alternate builds.
    if (argc > 3 && std::strcmp(argv[3], "decode") == 0) {
        std::printf("decode %.1f MB/s\n", megabytes / decode);
        return same ? 0 : 1;
    }
    // Decoding and checking, as the extraction pass does; the runs of the
    // two alternate so that both meet the same moments of load.
    volatile uint32_t crc = 0;
    double decodeOnly = 1e9, decodeAndCheck = 1e9;
    for (int run = 0; run < runs; run++) {
        decodeOnly = std::min(decodeOnly, bestSeconds(1, [&] { std::free(lzariDecode(packed.data, packed.size).bytes.data); }));
        decodeAndCheck = std::min(decodeAndCheck, bestSeconds(1, [&] {
            BufferResult unpacked = lzariDecode(packed.data, packed.size).bytes;
            crc = crc32Update(0, unpacked.data, unpacked.size);
            std::free(unpacked.data);
        }));
    }
    std::free(packed.data);
    BufferResult best = {nullptr, 0};
    double encodeBest = bestSeconds(runs, [&] {
        std::free(best.data);
        best = lzariEncodeBest(input.data(), uint32_t(input.size()));
    });
    double decodeBest = bestSeconds(runs, [&] {
        BufferResult unpacked = lzariDecode(best.data, best.size).bytes;
        same = same && unpacked.size == input.size() && std::memcmp(unpacked.data, input.data(), input.size()) == 0;
        std::free(unpacked.data);
    });
    std::free(best.data);
    if (!same) {
        std::fprintf(stderr, "codec_timing: the round trip changed the data\n");
        return 1;
    }
    std::printf("%zu-bit: encode %.1f MB/s, decode %.1f MB/s\n", sizeof(void*) * 8, megabytes / encode,
                megabytes / decode);
    std::printf("%zu-bit: decode with the CRC-32 check %.1f MB/s: the check adds %.1f%% to decoding\n",
                sizeof(void*) * 8, megabytes / decodeAndCheck, 100.0 * (decodeAndCheck / decodeOnly - 1));
    std::printf("%zu-bit: the best parse: encode %.1f MB/s, decode %.1f MB/s (%.2fx the standard stream's), %u bytes\n",
                sizeof(void*) * 8, megabytes / encodeBest, megabytes / decodeBest, decode / decodeBest, best.size);
    return 0;
}
