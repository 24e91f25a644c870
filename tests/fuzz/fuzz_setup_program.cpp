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

#include "lzari.h"
#include "program_signature.h"
#include "setup_payloads.h"

namespace {

// A garbage stream stops where it runs out, whatever length it declares;
// lengths above this would only cost the fuzzer the memory of its blocks.
constexpr uint32_t longestLengthTried = 1 << 24;

// Both magics give a decode of exactly the length field, and the version
// the magic names; a null result has no size.
void decodeDirectly(const std::vector<uint8_t>& input)
{
    PayloadFields fields;
    bool wellFormed = readPayloadFields(input.data(), uint32_t(input.size()), &fields);
    if (wellFormed && fields.textLength > longestLengthTried) return;
    for (size_t fromEnd : {4, 12})
        if (input.size() >= fromEnd && readLittleEndian32(&input[input.size() - fromEnd]) > longestLengthTried) return;
    BufferResult result = lzariDecode(input.data(), uint32_t(input.size()));
    if (result.data && ((wellFormed && (result.size != fields.textLength || payloadFormatVersion != fields.version)) ||
                        result.size == 0))
        abort();
    if (!result.data && result.size != 0) abort();
    // Every path the processor takes decodes damaged streams alike too.
    const uint32_t endOfReading = lzariDecodeEndOfReading();
    static const LzariDecodePath best = lzariBestDecodePath();  // asks the processor (CPUID): once
    for (int path = lzariPlainPath; path < best; path++) {
        lzariDecodePath = LzariDecodePath(path);
        BufferResult other = lzariDecode(input.data(), uint32_t(input.size()));
        if (other.size != result.size || (other.size && memcmp(other.data, result.data, other.size) != 0) ||
            lzariDecodeEndOfReading() != endOfReading)
            abort();
        free(other.data);
    }
    lzariDecodePath = best;
    free(result.data);
}

// Both encoders' containers decode to the input, read as a well-formed
// stream is; the best parse's is never the larger.
void roundTrip(const std::vector<uint8_t>& input)
{
    BufferResult standard = lzariEncode(input.data(), uint32_t(input.size()));
    BufferResult best = lzariEncodeBest(input.data(), uint32_t(input.size()));
    if (!standard.data || !best.data || best.size > standard.size) abort();
    for (BufferResult container : {standard, best}) {
        BufferResult decoded = lzariDecode(container.data, container.size);
        if (decoded.size != input.size() || (!input.empty() && (memcmp(decoded.data, input.data(), input.size()) != 0 ||
                                                                !lzariDecodeConsumedExactly())))
            abort();
        free(decoded.data);
        free(container.data);
    }
}

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
