// libFuzzer target: any bytes as what lzari reads, a container (unpack,
// info) and a setup program (list, extract, verify: its resources, its
// check records and each payload decoded and judged). Under
// AddressSanitizer a read outside the input is a crash; beyond that, every
// payload must lie inside the input and every refusal must be one line.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "setup_payloads.h"

namespace {

void expectOneLine(const std::runtime_error& error)
{
    if (strchr(error.what(), '\n')) abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<uint8_t> input(data, data + size);  // an exact copy, so that ASan sees the input's true end
    input.shrink_to_fit();
    try {
        unpackContainer(input.data(), input.size(), "container");
    } catch (const std::runtime_error& error) {
        expectOneLine(error);
    }
    try {
        SetupContents contents = readSetupContents(input.data(), input.size(), "setup.exe");
        for (const SetupPayload& payload : contents.payloads) {
            size_t offset = size_t(payload.container - input.data());
            if (payload.container < input.data() || offset > size || payload.size > size - offset) abort();
            try {
                checksumProblem(decodePayload(payload, "setup.exe"), payload, "setup.exe");
            } catch (const std::runtime_error& error) {
                expectOneLine(error);
            }
        }
    } catch (const std::runtime_error& error) {
        expectOneLine(error);
    }
    return 0;
}
