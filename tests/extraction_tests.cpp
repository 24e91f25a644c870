// The extraction pass's pool as the engine runs it, on threads of this
// process (and under ThreadSanitizer in the threads build): real containers
// judged as the installer judges them, by 1 to 16 workers. Every row's
// bytes are those one worker would decode, and the failure reported is the
// first damaged row's in table order, whoever finished first.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <thread>

#include "codec_support.h"
#include "crc32.h"
#include "extraction_plan.h"
#include "payload_checks.h"
#include "payload_verdict.h"

namespace {

// Rows of every size, so that the largest-first order is not the table's.
struct Product {
    std::vector<Bytes> files, containers;
    std::string records;
    Product()
    {
        for (uint32_t i = 0; i < 12; i++) {
            size_t size = i * 5 % 12 * 50000 + 1000 + i;  // row 5 small, row 7 the largest
            files.push_back(i % 2 ? textBytes(size, i) : randomBytes(size, i));
            containers.push_back(asVersion1(encode(files.back()), FILETIME{i, 1}));
            std::string name = "ROW" + std::to_string(i), record(payloadCheckRecordSize(uint32_t(name.size())), '\0');
            writePayloadCheck(reinterpret_cast<uint8_t*>(&record[0]), crc32Update(0, files[i].data(), files[i].size()),
                              name.c_str(), uint32_t(name.size()));
            records += record;
        }
    }
};

struct PoolRun {
    std::unique_ptr<ExtractionRow[]> rows;
    std::vector<int> order;
    std::vector<Decoded> decoded;
    ExtractionPlan plan;
};

// The pool over `containers` with `workers` threads, as the engine runs it.
std::unique_ptr<PoolRun> extract(const Product& product, const std::vector<Bytes>& containers, int workers)
{
    auto run = std::make_unique<PoolRun>();
    int count = int(containers.size());
    run->rows.reset(new ExtractionRow[count]());
    run->order.resize(count);
    run->decoded.resize(count);
    for (int i = 0; i < count; i++) run->rows[i].promised = uint32_t(product.files[i].size());
    planExtraction(run->plan, run->rows.get(), run->order.data(), count);
    auto decodeRow = [&](int row) {
        std::string name = "ROW" + std::to_string(row);
        PayloadVerdict verdict = judgePayload(containers[row].data(), uint32_t(containers[row].size()), name.c_str(),
                                              reinterpret_cast<const uint8_t*>(product.records.data()),
                                              uint32_t(product.records.size()), &run->rows[row].progress);
        run->decoded[row] = owned(verdict.container.decoded);
        return verdict.code;
    };
    std::vector<std::thread> threads;
    for (int k = 0; k < workers; k++) threads.emplace_back([&] { workOnRows(run->plan, decodeRow, [] { return 0; }); });
    for (std::thread& thread : threads) thread.join();
    return run;
}

TEST(Extraction, EveryWorkerCountGivesTheOneWorkersBytesAndFailure)
{
    static const Product product;
    ExtractionRow rows[12] = {};
    int order[12];
    for (int i = 0; i < 12; i++) rows[i].promised = uint32_t(product.files[i].size());
    ExtractionPlan plan;
    planExtraction(plan, rows, order, 12);
    for (int k = 1; k < 12; k++) EXPECT_GE(rows[order[k - 1]].promised, rows[order[k]].promised) << "largest first";
    EXPECT_EQ(extractionWorkers(1, 12), 1);
    EXPECT_EQ(extractionWorkers(64, 12), 12);
    EXPECT_EQ(extractionWorkers(64, 40), mostExtractionWorkers);
    EXPECT_EQ(extractionWorkers(0, 0), 1);

    // The damaged rows (a stream cut short: 346; another row's bytes: 348),
    // and the row whose failure the pass reports.
    const std::pair<std::vector<std::pair<int, int>>, int> damages[] = {
        {{}, -1}, {{{5, 346}}, 5}, {{{2, 348}, {7, 346}}, 2}, {{{11, 346}, {0, 348}}, 0}, {{{1, 346}, {2, 348}}, 1}};
    for (int workers : {1, 2, 3, 8, 16}) {
        for (const auto& [damaged, reported] : damages) {
            std::vector<Bytes> containers = product.containers;
            for (auto [row, code] : damaged)
                containers[row] = code == 346 ? Bytes(containers[row].begin(), containers[row].end() - 100)
                                              : product.containers[(row + 1) % 12];
            std::unique_ptr<PoolRun> run = extract(product, containers, workers);
            SCOPED_TRACE(std::to_string(workers) + " workers, row " + std::to_string(reported) + " reported");
            ASSERT_EQ(failedRow(run->plan), reported);
            if (reported < 0) {
                EXPECT_EQ(decodedBytes(run->plan), run->plan.total) << "the bar's sum";
                for (int i = 0; i < 12; i++) EXPECT_EQ(firstDifference(product.files[i], run->decoded[i].bytes), "equal") << i;
                continue;
            }
            for (auto [row, code] : damaged) {
                if (row == reported) {
                    EXPECT_EQ(run->rows[row].code, code);
                }
            }
            for (int i = 0; i < reported; i++) EXPECT_EQ(firstDifference(product.files[i], run->decoded[i].bytes), "equal") << i;
            for (int i = reported + 1; i < 12; i++) EXPECT_TRUE(run->rows[i].progress.stop) << "row " << i << " goes on";
            // One worker takes the rows in turn: none after the failing one
            // in table order is begun once it has failed.
            auto at = std::find(run->order.begin(), run->order.end(), reported);
            for (auto later = at + 1; workers == 1 && later < run->order.end(); later++)
                EXPECT_TRUE(*later < reported || run->rows[*later].progress.decoded == 0) << "row " << *later << " begun";
        }
    }
}

}  // namespace
