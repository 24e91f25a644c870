#include "setup_commands.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <map>
#include <stdexcept>
#include <vector>

#include "file_io.h"
#include "file_time_text.h"
#include "program_signature.h"
#include "setup_payloads.h"
#include "unicode_text.h"

namespace {

void reportProblem(const std::string& message) { std::fprintf(stderr, "lzari: %s\n", message.c_str()); }

// The signature's line, after the payloads; one that does not cover the
// program as it is is a problem, and makes the command fail.
bool showSignature(const SetupContents& contents, const MappedFile& program, const std::string& path)
{
    SignatureCheck check = checkSignature(program.data(), program.size(), contents.signing);
    if (check.good) std::printf("%s\n", check.line.c_str());
    else reportProblem(path + ": " + check.line);
    return check.good;
}

// ----- list ---------------------------------------------------------------

const char* crcColumn(const SetupContents& contents, const PayloadVerdict& verdict)
{
    if (verdict.container.fault) return "damaged";
    if (!contents.checksummed) return "-";
    if (!verdict.recorded) return "no record";
    return verdict.crc == verdict.recordedCrc ? "matches" : "DIFFERS";
}

int nameWidth(const SetupContents& contents)
{
    size_t width = 4;  // "NAME"
    for (const SetupPayload& payload : contents.payloads) width = std::max(width, displayWidth(printableName(payload.name)));
    return int(width);
}

// The name padded with spaces to `width` columns as a terminal shows it.
std::string paddedName(const std::string& name, int width)
{
    std::string shown = printableName(name);
    return shown + std::string(size_t(width) - std::min(size_t(width), displayWidth(shown)), ' ');
}

// The row of one payload; a container that is not one or does not decode
// still gets its row, with what could be read, and its problem on stderr.
bool listRow(const SetupPayload& payload, const SetupContents& contents, const std::string& path, int width)
{
    DecodedPayload decoded = decodePayload(payload, contents, path);
    std::string version = "?", unpacked = "?", time = "?";
    const PayloadFields& fields = decoded.fields;
    if (decoded.verdict.container.hasFields) {
        version = std::to_string(fields.version);
        unpacked = std::to_string(fields.decodedLength);
        time = fields.version == 1 ? formatFileTime(fields.fileTime) : "-";
    }
    std::printf("%s  %7s  %10u  %10s  %-19s  %s\n", paddedName(payload.name, width).c_str(), version.c_str(),
                payload.size, unpacked.c_str(), time.c_str(), crcColumn(contents, decoded.verdict));
    if (!decoded.problem.empty()) reportProblem(decoded.problem);
    return decoded.problem.empty();
}

// ----- extract and verify -------------------------------------------------

std::string fileIn(const std::string& folder, const SetupPayload& payload) { return folder + "/" + payload.name; }

void makeFolder(const std::string& folder)
{
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) throw std::runtime_error("can't create " + folder + ": " + error.message());
}

void extractOne(const SetupPayload& payload, const SetupContents& contents, const std::string& path,
                const std::string& folder)
{
    DecodedPayload decoded = trustedPayload(payload, contents, path);
    const PayloadFields& fields = decoded.fields;
    std::optional<FILETIME> time;
    if (fields.version == 1) time = fields.fileTime;
    std::string file = fileIn(folder, payload);
    writeFileAtomically(file, decoded.data.get(), fields.decodedLength, time);
    std::printf("%s  %u bytes  %s\n", file.c_str(), fields.decodedLength,
                time ? (formatFileTime(*time) + " UTC").c_str() : "no time stamp");
}

// The differences between a decoded payload and its file, one line each.
std::vector<std::string> differences(const SetupPayload& payload, const DecodedPayload& decoded,
                                     const std::string& path, const std::string& file)
{
    std::string name = printableName(payload.name) + ": ";
    struct stat status;
    if (stat(file.c_str(), &status) != 0 && errno == ENOENT) return {name + "missing: no file " + file};
    MappedFile copy(file);
    const PayloadFields& fields = decoded.fields;
    std::vector<std::string> lines;
    if (copy.size() != fields.decodedLength)
        lines.push_back(name + "size differs: " + std::to_string(fields.decodedLength) + " bytes in " + path + ", " +
                        std::to_string(copy.size()) + " in " + file);
    const uint8_t* expected = decoded.data.get();
    size_t common = std::min<size_t>(copy.size(), fields.decodedLength);
    size_t first = size_t(std::mismatch(expected, expected + common, copy.data()).first - expected);
    if (first < common) lines.push_back(name + "bytes differ from offset " + std::to_string(first));
    if (fields.version == 1) {
        FILETIME time = fileModificationTime(file);
        if (fileTimeValue(time) != fileTimeValue(fields.fileTime))
            lines.push_back(name + "modification time differs: " + formatFileTime(fields.fileTime) + " UTC in " +
                            path + ", " + formatFileTime(time) + " UTC in " + file);
    }
    return lines;
}

// Prints what differs and returns whether the payload and its file match.
bool verifyOne(const SetupPayload& payload, const SetupContents& contents, const std::string& path,
               const std::string& file)
{
    try {
        DecodedPayload decoded = trustedPayload(payload, contents, path);
        std::vector<std::string> lines = differences(payload, decoded, path, file);
        for (const std::string& line : lines) std::printf("%s\n", line.c_str());
        return lines.empty();
    } catch (const std::runtime_error& error) {
        reportProblem(error.what());
        return false;
    }
}

}  // namespace

int listPayloadFiles(const std::string& programPath)
{
    MappedFile program(programPath);
    SetupContents contents = readSetupContents(program.data(), program.size(), programPath);
    int width = nameWidth(contents);
    std::printf("%-*s  %7s  %10s  %10s  %-19s  %s\n", width, "NAME", "VERSION", "PACKED", "UNPACKED", "TIME (UTC)",
                "CRC-32");
    bool good = true;
    for (const SetupPayload& payload : contents.payloads) good = listRow(payload, contents, programPath, width) && good;
    for (const std::string& problem : contents.problems) reportProblem(problem);
    good = good && contents.problems.empty();
    std::printf("%zu payloads; %s\n", contents.payloads.size(),
                contents.checksummed ? "CRC-32 checked against PAYLOADCRC" : "no PAYLOADCRC to check them against");
    good = showSignature(contents, program, programPath) && good;
    return good ? 0 : 1;
}

int extractPayloadFiles(const std::string& programPath, const std::string& folder, bool replace)
{
    MappedFile program(programPath);
    SetupContents contents = readSetupContents(program.data(), program.size(), programPath);
    checkPayloadNames(contents, programPath, folder);
    // Nothing is written until every file is known to be one that may be.
    for (const SetupPayload& payload : contents.payloads) {
        struct stat status;
        if (payload.name[0] == '.')
            throw std::runtime_error(programPath + ": resource \"" + printableName(payload.name) +
                                     "\" would be a hidden file; nothing done");
        if (!replace && lstat(fileIn(folder, payload).c_str(), &status) == 0)
            throw std::runtime_error(fileIn(folder, payload) + " is there already; nothing done (--force replaces it)");
    }
    makeFolder(folder);
    for (const std::string& problem : contents.problems) reportProblem(problem);
    bool good = contents.problems.empty();
    for (const SetupPayload& payload : contents.payloads) {
        try {
            extractOne(payload, contents, programPath, folder);
        } catch (const std::runtime_error& error) {
            reportProblem(error.what());
            good = false;
        }
    }
    return good ? 0 : 1;
}

int verifyPayloadFiles(const std::string& programPath, const std::string& folder)
{
    MappedFile program(programPath);
    SetupContents contents = readSetupContents(program.data(), program.size(), programPath);
    checkPayloadNames(contents, programPath, folder);
    // Names are compared as Windows compares them, without regard to case:
    // a file the installer wrote and someone renamed to docreader.exe is
    // still the one Windows would open.
    std::map<std::string, std::string> files;  // upper-case name: the name in the folder
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error))
        files[upperCaseName(entry.path().filename().string())] = entry.path().filename().string();
    size_t matching = 0;
    for (const SetupPayload& payload : contents.payloads) {
        auto file = files.find(upperCaseName(payload.name));
        matching += verifyOne(payload, contents, programPath, folder + "/" + (file == files.end() ? payload.name : file->second));
        if (file != files.end()) files.erase(file);
    }
    for (const auto& [upper, name] : files)
        std::printf("%s: in %s, not carried by %s\n", printableName(name).c_str(), folder.c_str(), programPath.c_str());
    for (const std::string& problem : contents.problems) reportProblem(problem);
    size_t differing = contents.payloads.size() - matching + files.size() + contents.problems.size();
    std::printf("%zu payloads compared with %s: %zu match, %zu differ\n", contents.payloads.size(), folder.c_str(),
                matching, contents.payloads.size() - matching);
    bool signatureGood = showSignature(contents, program, programPath);
    return differing == 0 && signatureGood ? 0 : 1;
}
