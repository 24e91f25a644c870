// libFuzzer target: the codec alone, on the arithmetic it is built with
// (the 32-bit program's, in the fuzz_codec_word32 build): any bytes as a
// container, decoded on every path, and as a file to pack and unpack.
#include "fuzz_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<uint8_t> input(data, data + size);  // an exact copy, so that ASan sees the input's true end
    input.shrink_to_fit();
    if (size <= UINT32_MAX) fuzzing::decodeDirectly(input);
    fuzzing::roundTrip(input);
    return 0;
}
