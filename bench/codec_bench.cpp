// Encode and decode throughput of the codec against zlib -9 and xz -6 on
// the same corpus in the same run. Prints Google Benchmark's table, then,
// for each corpus file, the codec's speed as a ratio of each peer's and the
// packed sizes; then the best parse against the standard encoder, on the
// corpus and on the real-size product's payloads (the folder REAL_SIZE_DIR
// names, when it is set). MB/s count the unpacked bytes.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <stdexcept>
#include <string>

#include "corpus.h"
#include "lzari.h"
#include "peers.h"

namespace {

std::vector<uint8_t> lzariCompress(const std::vector<uint8_t>& input)
{
    BufferResult result = lzariEncode(input.data(), uint32_t(input.size()));
    std::vector<uint8_t> packed(result.data, result.data + result.size);
    free(result.data);
    return packed;
}

std::vector<uint8_t> lzariCompressBest(const std::vector<uint8_t>& input)
{
    BufferResult result = lzariEncodeBest(input.data(), uint32_t(input.size()));
    std::vector<uint8_t> packed(result.data, result.data + result.size);
    free(result.data);
    return packed;
}

std::vector<uint8_t> lzariDecompress(const std::vector<uint8_t>& packed, size_t)
{
    BufferResult result = lzariDecode(packed.data(), uint32_t(packed.size())).bytes;
    std::vector<uint8_t> output(result.data, result.data + result.size);
    free(result.data);
    return output;
}

struct Codec {
    const char* name;
    std::function<std::vector<uint8_t>(const std::vector<uint8_t>&)> compress;
    std::function<std::vector<uint8_t>(const std::vector<uint8_t>&, size_t)> decompress;
};

const Codec codecs[] = {
    {"lzari", lzariCompress, lzariDecompress},
    {"zlib-9", zlibCompress, zlibDecompress},
    {"xz-6", lzmaCompress, lzmaDecompress},
    {"lzari-best", lzariCompressBest, lzariDecompress},
};

// MB/s of each benchmark, by its name, as the runs report them: with
// --benchmark_repetitions, the median of the repetitions.
std::map<std::string, double> megabytesPerSecond;

class CollectingReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (run.run_type == Run::RT_Aggregate && !median) continue;
            auto rate = run.counters.find("bytes_per_second");
            if (rate != run.counters.end()) megabytesPerSecond[run.run_name.function_name] = rate->second / 1e6;
        }
        ConsoleReporter::ReportRuns(runs);
    }
};

std::string benchmarkName(const char* direction, const Codec& codec, const CorpusFile& file)
{
    return std::string(direction) + "/" + codec.name + "/" + file.name;
}

void registerBenchmarks(const std::vector<CorpusFile>& corpus, std::map<std::string, size_t>* packedSizes)
{
    for (const CorpusFile& file : corpus) {
        for (const Codec& codec : codecs) {
            std::vector<uint8_t> packed = codec.compress(file.bytes);
            if (codec.decompress(packed, file.bytes.size()) != file.bytes)
                throw std::runtime_error(std::string(codec.name) + " does not round-trip " + file.name);
            (*packedSizes)[std::string(codec.name) + "/" + file.name] = packed.size();

            const std::vector<uint8_t>* input = &file.bytes;
            benchmark::RegisterBenchmark(benchmarkName("encode", codec, file).c_str(),
                                         [input, &codec](benchmark::State& state) {
                                             for (auto _ : state) benchmark::DoNotOptimize(codec.compress(*input));
                                             state.SetBytesProcessed(int64_t(state.iterations() * input->size()));
                                         })
                ->Unit(benchmark::kMillisecond)
                ->MinTime(0.5);
            benchmark::RegisterBenchmark(benchmarkName("decode", codec, file).c_str(),
                                         [packed, input, &codec](benchmark::State& state) {
                                             for (auto _ : state)
                                                 benchmark::DoNotOptimize(codec.decompress(packed, input->size()));
                                             state.SetBytesProcessed(int64_t(state.iterations() * input->size()));
                                         })
                ->Unit(benchmark::kMillisecond)
                ->MinTime(0.5);
        }
    }
}

double rate(const char* direction, const Codec& codec, const CorpusFile& file)
{
    return megabytesPerSecond[benchmarkName(direction, codec, file)];
}

// "12.3" or "-" for a benchmark this run left out.
std::string speedText(double megabytes)
{
    char text[32] = "-";
    if (megabytes > 0) snprintf(text, sizeof text, "%.1f", megabytes);
    return text;
}

std::string ratioText(double ours, double peer)
{
    char text[32] = "-";
    if (ours > 0 && peer > 0) snprintf(text, sizeof text, "%.2fx", ours / peer);
    return text;
}

void printSummary(const std::vector<CorpusFile>& corpus, const std::map<std::string, size_t>& packedSizes)
{
    std::printf("\n%-11s %9s | %8s %8s %8s %7s %7s | %8s %8s %8s %7s %7s | %9s %9s %9s\n", "corpus", "bytes",
                "enc MB/s", "zlib-9", "xz-6", "/zlib", "/xz", "dec MB/s", "zlib-9", "xz-6", "/zlib", "/xz", "lzari",
                "zlib-9", "xz-6");
    for (const CorpusFile& file : corpus) {
        double encode[3], decode[3];
        for (int i = 0; i < 3; i++) {
            encode[i] = rate("encode", codecs[i], file);
            decode[i] = rate("decode", codecs[i], file);
        }
        if (encode[0] == 0 && decode[0] == 0) continue;  // filtered out of this run
        std::printf("%-11s %9zu | %8s %8s %8s %7s %7s | %8s %8s %8s %7s %7s | %9zu %9zu %9zu\n", file.name.c_str(),
                    file.bytes.size(), speedText(encode[0]).c_str(), speedText(encode[1]).c_str(),
                    speedText(encode[2]).c_str(), ratioText(encode[0], encode[1]).c_str(),
                    ratioText(encode[0], encode[2]).c_str(), speedText(decode[0]).c_str(),
                    speedText(decode[1]).c_str(), speedText(decode[2]).c_str(),
                    ratioText(decode[0], decode[1]).c_str(), ratioText(decode[0], decode[2]).c_str(),
                    packedSizes.at("lzari/" + file.name), packedSizes.at("zlib-9/" + file.name),
                    packedSizes.at("xz-6/" + file.name));
    }
    std::printf("\n/zlib and /xz: the codec's throughput as a multiple of the peer's, measured in this run;\n"
                "MB/s count unpacked bytes. The last three columns are packed sizes in bytes.\n");
    for (const CorpusFile& file : corpus) std::printf("%-11s %s\n", file.name.c_str(), file.source.c_str());
}

void printBestRow(const std::string& name, size_t bytes, size_t standard, size_t best, double encode, double xzEncode,
                  double decode, double standardDecode)
{
    std::printf("%-14s %9zu | %9zu %9zu %6.2f%% | %8s %7s | %8s %7s\n", name.c_str(), bytes, standard, best,
                100.0 * (1.0 - double(best) / double(standard)), speedText(encode).c_str(),
                ratioText(encode, xzEncode).c_str(), speedText(decode).c_str(), ratioText(decode, standardDecode).c_str());
}

// The best parse against the standard encoder: sizes, its encoding speed
// (against xz -6's) and the speed of decoding its stream (against decoding
// the standard stream of the same file).
void printBestSummary(const std::vector<CorpusFile>& corpus, const std::map<std::string, size_t>& packedSizes)
{
    std::printf("\n%-14s %9s | %9s %9s %7s | %8s %7s | %8s %7s\n", "best parse", "bytes", "standard", "best",
                "saved", "enc MB/s", "/xz", "dec MB/s", "/std");
    for (const CorpusFile& file : corpus) {
        if (rate("encode", codecs[3], file) == 0) continue;
        printBestRow(file.name, file.bytes.size(), packedSizes.at("lzari/" + file.name),
                     packedSizes.at("lzari-best/" + file.name), rate("encode", codecs[3], file),
                     rate("encode", codecs[2], file), rate("decode", codecs[3], file), rate("decode", codecs[0], file));
    }
    const char* folder = getenv("REAL_SIZE_DIR");
    if (!folder) return;
    size_t bytes = 0, standard = 0, best = 0;
    for (const char* name : {"QRV.EXE", "QRV.HLP", "DocReader.EXE", "HELP.QRD", "SHAPES.QRD"}) {
        std::vector<uint8_t> input;
        readCorpusFile(std::string(folder) + "/" + name, &input);
        size_t ours = lzariCompress(input).size(), smallest = lzariCompressBest(input).size();
        printBestRow(name, input.size(), ours, smallest, 0, 0, 0, 0);
        bytes += input.size();
        standard += ours;
        best += smallest;
    }
    printBestRow("product", bytes, standard, best, 0, 0, 0, 0);
    std::printf("(the real-size product's payloads, from %s)\n", folder);
}

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    std::vector<CorpusFile> corpus = loadCorpus();
    std::map<std::string, size_t> packedSizes;
    registerBenchmarks(corpus, &packedSizes);
    CollectingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    printSummary(corpus, packedSizes);
    printBestSummary(corpus, packedSizes);
    return 0;
}
