// The extraction pass: every payload resource decoded into its row, by a
// pool of workers (one a processor), while the caller's thread shows the
// bar and reports. The pool is led by a thread of its own, which takes rows
// too, so that the caller never waits for the pool to start.
#include "engine.h"  // windows.h comes first

#include <atomic>
#include <cstdlib>
#include <new>

#include "extraction_plan.h"
#include "fatal_codes.h"
#include "lzari.h"
#include "payload_checks.h"
#include "payload_verdict.h"
#include "platform_calls.h"

namespace {

constexpr WORD rcDataType = 10;  // RT_RCDATA
// Each worker's stack: the decoder's state takes a few KiB of it; a
// reservation this small leaves the address space to the payloads.
constexpr SIZE_T workerStack = 256 * 1024;

// The pass's state. The caller's thread reads the rows' counts while the
// workers run, and the rest only once the pool has ended.
HANDLE leader;
ExtractionPlan plan;
std::atomic<bool> planned{false};  // the plan is there for the caller's thread to read
ResourceData checks;
struct Failure {
    int code;  // 0: none
    const char* name;
    DWORD error;  // the system's, for a resource's codes
} failure;
// The end of the pass is told once, by whichever of the two threads comes
// second: the pool ending, or the caller asking to be told.
std::atomic<bool> finished{false}, asked{false}, told{false};

void tellTheEnd()
{
    if (finished && asked && !told.exchange(true)) installReport.extractionEnded();
}

// The decoded length a row's container promises, for its turn and the bar:
// 0 when it cannot be found or read, whose failure shows in its turn.
uint32_t promisedLength(const char* resourceName)
{
    ResourceData packed;
    PayloadFields fields;
    if (findResourceData(resourceName, rcDataType, &packed) || !readPayloadFields(packed.data, packed.size, &fields)) return 0;
    return fields.decodedLength <= payloadLengthBound(fields.streamSize) ? fields.decodedLength : 0;
}

// One row decoded into its place: 0, or the code it fails with.
int extractRow(int index)
{
    PayloadEntry& row = payloadTable[index];
    ResourceData packed;
    if (int code = findResourceData(row.resourceName, rcDataType, &packed)) return code;
    PayloadVerdict verdict = judgePayload(packed.data, packed.size, row.fileName, checks.data, checks.size,
                                          &plan.rows[index].progress);
    row.data = verdict.container.decoded.data;
    row.size = verdict.container.decoded.size;
    if (verdict.code) return verdict.code;
    row.fileTime = verdict.container.fields.fileTime;
    return 0;
}

DWORD WINAPI work(LPVOID)
{
    workOnRows(plan, extractRow, GetLastError);
    return 0;
}

// How many processors the system has, at least one (a benchmark's build
// of the pass as it was before its pool: one).
int processorCount()
{
#ifdef SETUP_ONE_WORKER
    return 1;
#endif
    SYSTEM_INFO system = {};
    platform.getSystemInfo(&system);
    return system.dwNumberOfProcessors > 0 ? int(system.dwNumberOfProcessors) : 1;
}

// Plans the rows, starts the other workers, works beside them, waits.
void extractEveryRow()
{
    if (int code = findResourceData(payloadChecksName, rcDataType, &checks)) {
        failure = Failure{code, payloadChecksName, GetLastError()};
        return;
    }
    int count = payloadCount();
    ExtractionRow* rows = static_cast<ExtractionRow*>(calloc(count + !count, sizeof(ExtractionRow)));
    int* order = static_cast<int*>(calloc(count + !count, sizeof(int)));
    if (!rows || !order) {  // (count is above 0: a block of one byte is always there)
        failure = Failure{noMemoryForResource.code, payloadTable[0].fileName, GetLastError()};
        return;
    }
    for (int i = 0; i < count; i++) new (&rows[i]) ExtractionRow{promisedLength(payloadTable[i].resourceName), {}, 0, 0};
    planExtraction(plan, rows, order, count);
    planned = true;

    HANDLE others[mostExtractionWorkers];
    int started = 0;
    for (int n = extractionWorkers(processorCount(), count); started < n - 1; started++) {
        others[started] = CreateThread(nullptr, workerStack, work, nullptr, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
        if (!others[started]) break;  // fewer workers: the rows are all taken all the same
    }
    work(nullptr);
    if (started) WaitForMultipleObjects(DWORD(started), others, TRUE, INFINITE);
    for (int i = 0; i < started; i++) CloseHandle(others[i]);
    int failed = failedRow(plan);
    if (failed >= 0) failure = Failure{rows[failed].code, payloadTable[failed].fileName, rows[failed].error};
}

DWORD WINAPI leadThePool(LPVOID)
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
    if (leader) return;
    // Without a thread the pass runs here, at once.
    leader = CreateThread(nullptr, workerStack, leadThePool, nullptr, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
    if (!leader) leadThePool(nullptr);
    if (!leader) leader = INVALID_HANDLE_VALUE;
}

void tellWhenExtracted()
{
    asked = true;
    tellTheEnd();
}

int extractionPosition()
{
    // Each row's count only grows, so the sum does: the bar never moves
    // back, and its end is the pass's.
    static int shown = 0;
    if (!planned) return shown;
    uint64_t total = plan.total;
    int position = total ? int(decodedBytes(plan) * extractionRange / total) : 0;
    if (position > shown) shown = position < extractionRange ? position : extractionRange - 1;
    return shown;
}

void awaitExtraction()
{
    if (leader != INVALID_HANDLE_VALUE) WaitForSingleObject(leader, INFINITE);
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
