#include "corpus.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

namespace fs = std::filesystem;

namespace {

constexpr size_t largestPayloadSize = 2873856;

// Appends whole files, in order, until `size` bytes are gathered.
size_t gather(const std::vector<fs::path>& files, size_t size, std::vector<uint8_t>* bytes)
{
    size_t used = 0;
    for (const fs::path& file : files) {
        if (bytes->size() >= size) break;
        if (readCorpusFile(file, bytes)) used++;
    }
    if (bytes->size() > size) bytes->resize(size);
    return used;
}

std::vector<fs::path> filesIn(const fs::path& folder, const std::string& suffix)
{
    std::vector<fs::path> files;
    std::error_code error;
    for (fs::recursive_directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().string();
        if (it->is_regular_file(error) && name.size() > suffix.size() &&
            name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
            files.push_back(it->path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

// Stand-in when the machine lacks the sources: runs, repeats and noise.
void makeUp(size_t size, uint32_t seed, std::vector<uint8_t>* bytes)
{
    std::mt19937 generator(seed);
    while (bytes->size() < size) {
        uint32_t kind = generator() % 4;
        size_t length = 16 + generator() % 400;
        if (kind == 0) {
            bytes->insert(bytes->end(), length, uint8_t(generator()));
        } else if (kind == 1 && bytes->size() > 5000) {
            size_t from = bytes->size() - 1 - generator() % 4000;
            for (size_t i = 0; i < length; i++) bytes->push_back((*bytes)[from + i]);
        } else {
            for (size_t i = 0; i < length; i++) bytes->push_back(uint8_t(generator() % (kind == 2 ? 40 : 256)));
        }
    }
    bytes->resize(size);
}

CorpusFile build(const std::string& name, const std::string& description, const std::vector<fs::path>& files,
                 size_t size, uint32_t seed)
{
    CorpusFile file{name, description, {}};
    size_t used = gather(files, size, &file.bytes);
    if (file.bytes.size() < size) {
        file.source = "made up (sources missing)";
        file.bytes.clear();
        makeUp(size, seed, &file.bytes);
    } else {
        file.source += " (" + std::to_string(used) + " files)";
    }
    return file;
}

}  // namespace

std::vector<CorpusFile> loadCorpus()
{
    const fs::path lib = "/usr/lib/x86_64-linux-gnu";
    std::vector<CorpusFile> corpus;
    corpus.push_back(build("executable", "libstdc++, bash and libc",
                           {lib / "libstdc++.so.6", "/usr/bin/bash", lib / "libc.so.6"}, largestPayloadSize, 1));
    corpus.push_back(build("text", "C headers in /usr/include", filesIn("/usr/include", ".h"), 1 << 20, 2));
    corpus.push_back(build("compressed", "gzip changelogs in /usr/share/doc",
                           filesIn("/usr/share/doc", ".gz"), 1 << 19, 3));
    return corpus;
}

bool readCorpusFile(const std::string& path, std::vector<uint8_t>* bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes->insert(bytes->end(), std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}
