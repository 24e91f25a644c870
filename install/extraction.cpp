// The extraction pass: every payload resource decoded into its row, on a
// worker thread, while the dialog's thread shows the bar and reports.
#include "engine.h"  // windows.h comes first

#include <atomic>
#include <cstdlib>
#include <cstring>

#include "control_ids.h"
#include "crc32.h"
#include "fatal_error.h"
#include "lzari.h"
#include "payload_checks.h"

namespace {

constexpr WORD rcDataType = 10;  // RT_RCDATA

// The worker's state. The dialog's thread reads the counters while the
// worker runs, and the rest only once the worker has ended.
HANDLE worker;
std::atomic<uint32_t> finishedBytes{0};  // decoded bytes of the rows done
std::atomic<uint32_t> totalBytes{0};     // of every row, as the length fields give them
// The end of the pass is told to the dialog once, by whichever of the two
// threads comes second: the worker ending, or the dialog asking to be told.
std::atomic<bool> finished{false}, told{false};
std::atomic<HWND> listener{nullptr};
UINT listenerMessage;
WPARAM listenerStep;

void tellTheDialog()
{
    HWND dialog = listener;
    if (dialog && finished && !told.exchange(true)) PostMessageA(dialog, listenerMessage, listenerStep, 0);
}
struct Failure {
    int code;  // 0: none
    const char* name;
    DWORD error;  // the system's, for a resource's codes
} failure;

// Decodes one container. A length field that no stream of the container's
// size can honestly fill is not decoded at all (it could only allocate and
// decode garbage), and a stream that does not end where a well-formed one
// ends is damaged: both count as failed decodes.
BufferResult decodePayload(ResourceData packed)
{
    PayloadFields fields;
    bool wellFormed = readPayloadFields(packed.data, packed.size, &fields);
    if (wellFormed && fields.textLength > payloadLengthBound(fields.streamSize)) {
        // Classified as the decoder would, so that the version test still
        // applies first.
        payloadFormatVersion = fields.version;
        return BufferResult{nullptr, 0};
    }
    BufferResult decoded = lzariDecode(packed.data, packed.size);
    if (decoded.data && !lzariDecodeConsumedExactly()) {
        free(decoded.data);
        return BufferResult{nullptr, 0};
    }
    return decoded;
}

bool beginsWithAMagic(ResourceData packed)
{
    return packed.size >= 4 &&
           (memcmp(packed.data, magicVersion0, 4) == 0 || memcmp(packed.data, magicVersion1, 4) == 0);
}

// An empty file's container: well-formed, with a length of 0 and an empty
// stream. A zeroed length over a stream is damage, not an empty file.
bool holdsAnEmptyFile(ResourceData packed)
{
    PayloadFields fields;
    return readPayloadFields(packed.data, packed.size, &fields) && fields.textLength == 0 && fields.streamSize == 0;
}

// The decoded bytes against the check value the build recorded from the
// file itself: the containers have no checksum, and a damaged stream can
// decode to the right length with wrong bytes.
bool matchesItsCheck(const PayloadEntry& row, ResourceData checks)
{
    uint32_t expected;
    return findPayloadCheck(checks.data, checks.size, row.fileName, &expected) &&
           crc32Update(0, row.data, row.size) == expected;
}

// The decoded length a row's container promises, for the bar: 0 when it
// cannot be found or read, whose failure shows in its turn.
uint32_t promisedLength(const char* name)
{
    ResourceData packed;
    PayloadFields fields;
    if (findResourceData(name, rcDataType, &packed) || !readPayloadFields(packed.data, packed.size, &fields)) return 0;
    return fields.textLength <= payloadLengthBound(fields.streamSize) ? fields.textLength : 0;
}

// One row decoded into its place: 0, or the code it fails with.
int extractRow(PayloadEntry& row, ResourceData checks)
{
    ResourceData packed;
    if (int code = findResourceData(row.fileName, rcDataType, &packed)) return code;
    BufferResult decoded = decodePayload(packed);
    row.data = decoded.data;
    row.size = decoded.size;
    // Only a version-1 container is accepted. One with neither magic
    // leaves the version of the previous decode in place, so it is
    // refused by its magic, not judged by another payload's version.
    if (payloadFormatVersion < 1 || !beginsWithAMagic(packed)) return 344;
    // A non-empty payload without its bytes must not be installed as an
    // empty file.
    if (!row.data && !holdsAnEmptyFile(packed)) return 346;
    if (!matchesItsCheck(row, checks)) return 348;
    row.fileTime = payloadFileTime;
    return 0;
}

void extractEveryRow()
{
    ResourceData checks;
    if (int code = findResourceData(payloadChecksName, rcDataType, &checks)) {
        failure = Failure{code, payloadChecksName, GetLastError()};
        return;
    }
    uint32_t total = 0;
    for (int i = 0; payloadTable[i].fileName; i++) total += promisedLength(payloadTable[i].fileName);
    totalBytes = total;
    for (int i = 0; payloadTable[i].fileName; i++) {
        if (int code = extractRow(payloadTable[i], checks)) {
            failure = Failure{code, payloadTable[i].fileName, GetLastError()};
            return;
        }
        finishedBytes += payloadTable[i].size;
    }
}

DWORD WINAPI extractAll(LPVOID)
{
    traceMark("setup: decoding");
    extractEveryRow();
    traceMark("setup: decoded");
    finished = true;
    tellTheDialog();
    return 0;
}

}  // namespace

void startExtraction()
{
    if (worker) return;
    // Without a thread the pass runs here, at once.
    worker = CreateThread(nullptr, 0, extractAll, nullptr, 0, nullptr);
    if (!worker) extractAll(nullptr);
    if (!worker) worker = INVALID_HANDLE_VALUE;
}

void tellWhenExtracted(HWND dialog, UINT message, WPARAM step)
{
    listenerMessage = message;
    listenerStep = step;
    listener = dialog;
    tellTheDialog();
}

int extractionPosition()
{
    // Between two rows the sum may count the last row twice for a moment:
    // the bar never moves back, and its end is the pass's.
    static int shown = 0;
    uint64_t done = uint64_t(finishedBytes) + lzariDecodedBytes.load(std::memory_order_relaxed);
    uint32_t total = totalBytes;
    int position = total ? int(done * extractionRange / total) : 0;
    if (position > shown) shown = position < extractionRange ? position : extractionRange - 1;
    return shown;
}

void awaitExtraction()
{
    if (worker != INVALID_HANDLE_VALUE) WaitForSingleObject(worker, INFINITE);
    switch (failure.code) {
    case 0: break;
    case 344: reportFatal(344, "resource was compressed with the wrong version of LZARI");
    case 346: reportFatal(346, "can't decode resource %s", failure.name);
    case 348: reportFatal(348, "resource %s is damaged", failure.name);
    default: reportResourceFailure(failure.code, failure.name, failure.error);
    }
}

void finishExtraction(HWND dialog)
{
    showProgress(dialog, IDC_EXTRACT_PROGRESS, extractionRange);
    endProgress(dialog, IDC_EXTRACT_PROGRESS);
}

void extractPayloads(HWND dialog)
{
    startExtraction();
    beginProgress(dialog, "extracting files", IDC_EXTRACT_PROGRESS, extractionRange);
    awaitExtraction();
    finishExtraction(dialog);
}
