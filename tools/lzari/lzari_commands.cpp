#include "lzari_commands.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include "container_unpack.h"
#include "file_io.h"
#include "file_time_text.h"
#include "lzari.h"

namespace {

Unpacked unpackContainerFile(const std::string& path)
{
    MappedFile container(path);
    return unpackContainer(container.data(), container.size(), path);
}

}  // namespace

void packFile(const std::string& inputPath, const std::string& outputPath, const PackOptions& options)
{
    std::optional<FILETIME> time;
    if (options.timeText) {
        time = parseFileTime(*options.timeText);
        if (!time)
            throw std::runtime_error("bad time '" + *options.timeText + "': expected 'YYYY-MM-DD HH:MM:SS' (UTC)");
    }
    MappedFile input(inputPath);
    if (input.size() > UINT32_MAX) throw std::runtime_error(inputPath + ": too large to pack (4 GB at most)");
    if (options.version1 && !time) time = fileModificationTime(inputPath);

    BufferResult result = (options.best ? lzariEncodeBest : lzariEncode)(input.data(), uint32_t(input.size()));
    CodecBlock container(result.data);
    if (!result.data) throw std::runtime_error(inputPath + ": out of memory while packing");
    size_t size = result.size;
    if (options.version1) {
        // The encoder's container with the other magic and the time stamp
        // appended: version 1.
        uint8_t* grown = static_cast<uint8_t*>(realloc(container.get(), size + 8));
        if (!grown) throw std::runtime_error(inputPath + ": out of memory while packing");
        container.release();
        container.reset(grown);
        makeVersion1(grown, uint32_t(size), *time);
        size += 8;
    }
    writeFileAtomically(outputPath, container.get(), size, std::nullopt);
}

void unpackFile(const std::string& inputPath, const std::string& outputPath)
{
    Unpacked unpacked = unpackContainerFile(inputPath);
    std::optional<FILETIME> time;
    if (unpacked.fields.version == 1) time = unpacked.fields.fileTime;
    writeFileAtomically(outputPath, unpacked.data.get(), unpacked.fields.decodedLength, time);
}

std::string describeContainer(const std::string& path)
{
    Unpacked unpacked = unpackContainerFile(path);
    const PayloadFields& fields = unpacked.fields;
    uint64_t packedSize = fields.streamSize + (fields.version == 1 ? version1Overhead : version0Overhead);
    char ratio[32] = "-";
    if (fields.decodedLength > 0) snprintf(ratio, sizeof ratio, "%.1f%%", 100.0 * double(packedSize) / fields.decodedLength);
    std::string time = fields.version == 1 ? formatFileTime(fields.fileTime) + " UTC" : "none";
    return path + ": version " + std::to_string(fields.version) + ", unpacked " + std::to_string(fields.decodedLength) +
           " bytes, packed " + std::to_string(packedSize) + " bytes, ratio " + ratio + ", time " + time;
}
