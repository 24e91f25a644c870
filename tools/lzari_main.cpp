// lzari: packs files into LZARI containers, unpacks them and describes them.
//
//   lzari pack [--v1 [--time 'YYYY-MM-DD HH:MM:SS']] IN OUT
//   lzari unpack IN OUT
//   lzari info FILE...
#include <CLI/CLI.hpp>

#include <cstdio>
#include <stdexcept>

#include "lzari_commands.h"

int main(int argc, char** argv)
{
    CLI::App app{"Packs files into LZARI payload containers, unpacks and describes them."};
    app.require_subcommand(1);

    std::string inputPath, outputPath;
    PackOptions packOptions;
    std::string timeText;
    CLI::App* pack = app.add_subcommand("pack", "Pack IN into the container OUT (version 0, or 1 with --v1)");
    CLI::Option* version1 =
        pack->add_flag("--v1", packOptions.version1, "Write version 1: magic \"LzaR\" and the file's time stamp");
    pack->add_option("--time", timeText, "Time stamp for --v1, UTC 'YYYY-MM-DD HH:MM:SS' (default: IN's mtime)")
        ->needs(version1);
    pack->add_option("IN", inputPath, "File to pack")->required();
    pack->add_option("OUT", outputPath, "Container to write")->required();

    CLI::App* unpack = app.add_subcommand("unpack", "Restore the file packed in IN as OUT (with its time stamp)");
    unpack->add_option("IN", inputPath, "Container to unpack")->required();
    unpack->add_option("OUT", outputPath, "File to write")->required();

    std::vector<std::string> infoPaths;
    CLI::App* info = app.add_subcommand("info", "Describe each container: version, sizes, ratio, time stamp");
    info->add_option("FILE", infoPaths, "Containers to describe")->required();

    CLI11_PARSE(app, argc, argv);

    int status = 0;
    try {
        if (pack->parsed()) {
            if (!timeText.empty()) packOptions.timeText = timeText;
            packFile(inputPath, outputPath, packOptions);
        } else if (unpack->parsed()) {
            unpackFile(inputPath, outputPath);
        } else {
            for (const std::string& path : infoPaths) {
                try {
                    std::printf("%s\n", describeContainer(path).c_str());
                } catch (const std::exception& error) {
                    std::fprintf(stderr, "lzari: %s\n", error.what());
                    status = 1;
                }
            }
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "lzari: %s\n", error.what());
        return 1;
    }
    return status;
}
