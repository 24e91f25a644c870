// libFuzzer target: any bytes as a container, to the decoder and to lzari
// (unpack, info), and as a setup program (list, extract, verify: its
// resources, its check records and each payload decoded and judged); and as
// a file to pack, which both parses must give back whole. Under
// AddressSanitizer a read outside the input or a write outside a decoded
// block is a crash; beyond that, the decoder must keep its promises (on
// every path the processor takes, with the same bytes), every
// payload must lie inside the input and every refusal must be one line.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <vector>

#include "fuzz_codec.h"
#include "program_signature.h"
#include "setup_payloads.h"

namespace {

using fuzzing::decodeDirectly;
using fuzzing::roundTrip;

void expectOneLine(const std::runtime_error& error)
{
    if (strchr(error.what(), '\n')) abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<uint8_t> input(data, data + size);  // an exact copy, so that ASan sees the input's true end
    input.shrink_to_fit();
    if (size <= UINT32_MAX) decodeDirectly(input);
    roundTrip(input);
    try {
        unpackContainer(input.data(), input.size(), "container");
    } catch (const std::runtime_error& error) {
        expectOneLine(error);
    }
    try {
        SetupContents contents = readSetupContents(input.data(), input.size(), "setup.exe");
        if (strchr(checkSignature(input.data(), input.size(), contents.signing).line.c_str(), '\n')) abort();
        for (const SetupPayload& payload : contents.payloads) {
            size_t offset = size_t(payload.container - input.data());
            if (payload.container < input.data() || offset > size || payload.size > size - offset) abort();
            if (decodePayload(payload, contents, "setup.exe").problem.find('\n') != std::string::npos) abort();
        }
    } catch (const std::runtime_error& error) {
        expectOneLine(error);
    }
    return 0;
}
