#include "extraction_plan.h"

int extractionWorkers(int processors, int rows)
{
    int workers = processors < mostExtractionWorkers ? processors : mostExtractionWorkers;
    if (workers > rows) workers = rows;
    return workers > 1 ? workers : 1;
}

void planExtraction(ExtractionPlan& plan, ExtractionRow* rows, int* order, int count)
{
    plan.rows = rows;
    plan.count = count;
    plan.order = order;
    plan.taken = 0;
    plan.firstFailure = count;
    plan.total = 0;
    // By insertion, largest first; equals keep their table order. A product
    // has tens of rows, not thousands.
    for (int i = 0; i < count; i++) {
        plan.total += rows[i].promised;
        int at = i;
        for (; at > 0 && rows[order[at - 1]].promised < rows[i].promised; at--) order[at] = order[at - 1];
        order[at] = i;
    }
}

int takeRow(ExtractionPlan& plan)
{
    for (;;) {
        int turn = plan.taken.fetch_add(1);
        if (turn >= plan.count) return -1;
        int row = plan.order[turn];
        // After a failing row nothing can change the report.
        if (row < plan.firstFailure.load()) return row;
    }
}

void finishRow(ExtractionPlan& plan, int row, int code, uint32_t error)
{
    ExtractionRow& done = plan.rows[row];
    done.code = code;
    done.error = error;
    if (code == 0) {
        // Whole: all its bytes count, whatever the last count said.
        done.progress.decoded.store(done.promised);
        return;
    }
    int first = plan.firstFailure.load();
    while (row < first && !plan.firstFailure.compare_exchange_weak(first, row)) {
    }
    for (int later = row + 1; later < plan.count; later++) plan.rows[later].progress.stop.store(true);
}

int failedRow(const ExtractionPlan& plan)
{
    int first = plan.firstFailure.load();
    return first < plan.count ? first : -1;
}

uint64_t decodedBytes(const ExtractionPlan& plan)
{
    uint64_t sum = 0;
    for (int i = 0; i < plan.count; i++) {
        uint32_t decoded = plan.rows[i].progress.decoded.load(std::memory_order_relaxed);
        sum += decoded < plan.rows[i].promised ? decoded : plan.rows[i].promised;
    }
    return sum;
}
