// The extraction pass: every payload resource decoded into its row, on a
// worker thread, while the caller's thread shows the bar and reports.
#include "engine.h"  // windows.h comes first

#include <atomic>

#include "lzari.h"
#include "payload_checks.h"
#include "payload_verdict.h"

namespace {

constexpr WORD rcDataType = 10;  // RT_RCDATA

// The worker's state. The caller's thread reads the counters while the
// worker runs, and the rest only once the worker has ended.
HANDLE worker;
std::atomic<uint32_t> finishedBytes{0};  // decoded bytes of the rows done
std::atomic<uint32_t> rowBytes{0};       // decoded bytes of the row under way
std::atomic<uint32_t> totalBytes{0};     // of every row, as the length fields give them
// The end of the pass is told once, by whichever of the two threads comes
// second: the worker ending, or the caller asking to be told.
std::atomic<bool> finished{false}, asked{false}, told{false};

void tellTheEnd()
{
    if (finished && asked && !told.exchange(true)) installReport.extractionEnded();
}

struct Failure {
    int code;  // 0: none
    const char* name;
    DWORD error;  // the system's, for a resource's codes
} failure;

// The decoded length a row's container promises, for the bar: 0 when it
// cannot be found or read, whose failure shows in its turn.
uint32_t promisedLength(const char* name)
{
    ResourceData packed;
    PayloadFields fields;
    if (findResourceData(name, rcDataType, &packed) || !readPayloadFields(packed.data, packed.size, &fields)) return 0;
    return fields.decodedLength <= payloadLengthBound(fields.streamSize) ? fields.decodedLength : 0;
}

// One row decoded into its place: 0, or the code it fails with.
int extractRow(PayloadEntry& row, ResourceData checks)
{
    ResourceData packed;
    if (int code = findResourceData(row.fileName, rcDataType, &packed)) return code;
    PayloadVerdict verdict = judgePayload(packed.data, packed.size, row.fileName, checks.data, checks.size, &rowBytes);
    row.data = verdict.container.decoded.data;
    row.size = verdict.container.decoded.size;
    if (verdict.code) return verdict.code;
    row.fileTime = verdict.container.fields.fileTime;
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
    tellTheEnd();
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

void tellWhenExtracted()
{
    asked = true;
    tellTheEnd();
}

int extractionPosition()
{
    // Between two rows the sum may count the last row twice for a moment:
    // the bar never moves back, and its end is the pass's.
    static int shown = 0;
    uint64_t done = uint64_t(finishedBytes) + rowBytes.load(std::memory_order_relaxed);
    uint32_t total = totalBytes;
    int position = total ? int(done * extractionRange / total) : 0;
    if (position > shown) shown = position < extractionRange ? position : extractionRange - 1;
    return shown;
}

void awaitExtraction()
{
    if (worker != INVALID_HANDLE_VALUE) WaitForSingleObject(worker, INFINITE);
    if (failure.code) reportResourceFailure(failure.code, failure.name, failure.error);
}

void finishExtraction()
{
    installReport.passSteps(extractionPass, extractionRange);
    installReport.passEnds(extractionPass);
}

void extractPayloads()
{
    startExtraction();
    installReport.passBegins(extractionPass, extractionRange);
    awaitExtraction();
    finishExtraction();
}
