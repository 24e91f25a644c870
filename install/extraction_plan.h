// How the extraction pass shares its payload rows among its workers, free
// of the platform, so that the scheduling is tested natively on any number
// of threads.
//
// The rows are taken largest first, each by one worker, once: the pass
// ends when its largest row is decoded, the smaller ones fitted beside it.
// A row that fails records its code; the pass reports the first failing
// row in table order, as one worker taking the rows in order would, so
// that no report depends on which thread took which row or finished
// first. Rows after a known failure are not begun, and those under way
// are told to stop. The bar is the sum of every row's decoded bytes.
#pragma once

#include <atomic>
#include <cstdint>

#include "lzari.h"

// At most this many workers, however many processors: more would only cost
// each its stack's address space (a 32-bit process holds every decoded
// payload too) and rarely find a row left to take.
constexpr int mostExtractionWorkers = 16;

struct ExtractionRow {
    uint32_t promised;       // the length its container promises (0 if none): its turn and its share of the bar
    LzariProgress progress;  // its decoded bytes so far; set to stop when no longer wanted
    int code;                // its worker's verdict: 0, or the code it fails with
    uint32_t error;          // with a resource's codes, the system's error
};

struct ExtractionPlan {
    ExtractionRow* rows;
    int count;
    int* order;                     // the rows, largest first (by table order among equals)
    std::atomic<int> taken;         // how many of `order` are taken
    std::atomic<int> firstFailure;  // the first failing row in table order so far; `count`: none
    uint64_t total;                 // the rows' promised lengths
};

// The number of workers for `rows` rows on `processors` processors: one
// a processor, at most mostExtractionWorkers and one a row, at least one.
int extractionWorkers(int processors, int rows);

// Plans `count` rows (their promised lengths set) in `order` (room for
// `count` indices).
void planExtraction(ExtractionPlan& plan, ExtractionRow* rows, int* order, int count);

// The next row for a worker; -1 when no row that could matter is left.
int takeRow(ExtractionPlan& plan);

// A row's verdict: 0 when it is whole; a code stops every later row.
void finishRow(ExtractionPlan& plan, int row, int code, uint32_t error);

// The row whose failure the pass reports, or -1 when none failed.
int failedRow(const ExtractionPlan& plan);

// The decoded bytes of every row, for the bar.
uint64_t decodedBytes(const ExtractionPlan& plan);

// One worker: takes rows until none is left, each decoded by
// `decodeRow(row)`, which returns its code (and leaves the system's error
// for `errorOf()`); a row told to stop meanwhile is of no account.
template <typename DecodeRow, typename ErrorOf>
void workOnRows(ExtractionPlan& plan, DecodeRow decodeRow, ErrorOf errorOf)
{
    for (int row; (row = takeRow(plan)) >= 0;) {
        int code = decodeRow(row);
        uint32_t error = code ? uint32_t(errorOf()) : 0;
        if (!plan.rows[row].progress.stop.load()) finishRow(plan, row, code, error);
    }
}
