// The lzari tool's commands. Each throws std::runtime_error with a one-line
// message on bad input and leaves any output file untouched then.
#pragma once

#include <optional>
#include <string>
#include <vector>

struct PackOptions {
    bool version1 = false;
    bool best = false;  // the best parse instead of the standard encoder's
    std::optional<std::string> timeText;  // UTC "YYYY-MM-DD HH:MM:SS"
};

void packFile(const std::string& inputPath, const std::string& outputPath, const PackOptions& options);
void unpackFile(const std::string& inputPath, const std::string& outputPath);

// One line describing the container at `path`.
std::string describeContainer(const std::string& path);
