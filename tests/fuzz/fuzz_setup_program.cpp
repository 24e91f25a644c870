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
    if (wellFormed && fields.decodedLength > longestLengthTried) return;
    for (size_t fromEnd : {4, 12})
        if (input.size() >= fromEnd && readLittleEndian32(&input[input.size() - fromEnd]) > longestLengthTried) return;
    LzariDecoded result = lzariDecode(input.data(), uint32_t(input.size()));
    const BufferResult& bytes = result.bytes;
    if (result.version != containerVersion(input.data(), uint32_t(input.size()))) abort();
    if (bytes.data && ((wellFormed && bytes.size != fields.decodedLength) || bytes.size == 0)) abort();
    if (!bytes.data && bytes.size != 0) abort();
    // Every path the processor takes decodes damaged streams alike too.
    for (int path = lzariPlainPath; path < lzariBestDecodePath(); path++) {
        LzariDecoded other = lzariDecode(input.data(), uint32_t(input.size()), nullptr, LzariDecodePath(path));
        if (other.bytes.size != bytes.size || (bytes.size && memcmp(other.bytes.data, bytes.data, bytes.size) != 0) ||
            other.endOfReading != result.endOfReading)
            abort();
        free(other.bytes.data);
    }
    free(bytes.data);
}

// Both encoders' containers decode to the input, read as a well-formed
// stream is; the best parse's is never the larger.
void roundTrip(const std::vector<uint8_t>& input)
{
    BufferResult standard = lzariEncode(input.data(), uint32_t(input.size()));
    BufferResult best = lzariEncodeBest(input.data(), uint32_t(input.size()));
    if (!standard.data || !best.data || best.size > standard.size) abort();
    for (BufferResult container : {standard, best}) {
        LzariDecoded decoded = lzariDecode(container.data, container.size);
        if (decoded.bytes.size != input.size() ||
            (!input.empty() && (memcmp(decoded.bytes.data, input.data(), input.size()) != 0 || !decoded.consumedExactly)))
            abort();
        free(decoded.bytes.data);
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
