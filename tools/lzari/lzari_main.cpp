// lzari: packs files into LZARI containers, unpacks them and describes
// them, and looks inside a built setup program.
//
//   lzari pack [--best] [--v1 [--time 'YYYY-MM-DD HH:MM:SS']] IN OUT
//   lzari unpack IN OUT
//   lzari info FILE...
//   lzari list SETUP
//   lzari extract [--force] SETUP DIR
//   lzari verify SETUP DIR
#include <CLI/CLI.hpp>

#include <cstdio>
#include <stdexcept>

#include "lzari_commands.h"
#include "setup_commands.h"

int main(int argc, char** argv)
{
    CLI::App app{"Packs files into LZARI payload containers, unpacks and describes them, and looks inside a "
                 "setup program: lists, extracts and verifies the payloads it carries."};
    app.require_subcommand(1);

    std::string inputPath, outputPath;
    PackOptions packOptions;
    std::string timeText;
    CLI::App* pack = app.add_subcommand("pack", "Pack IN into the container OUT (version 0, or 1 with --v1)");
    CLI::Option* version1 =
        pack->add_flag("--v1", packOptions.version1, "Write version 1: magic \"LzaR\" and the file's time stamp");
    pack->add_option("--time", timeText, "Time stamp for --v1, UTC 'YYYY-MM-DD HH:MM:SS' (default: IN's mtime)")
        ->needs(version1);
    pack->add_flag("--best", packOptions.best,
                   "Choose the literals and matches for the smallest container (same format and decoder; slower)");
    pack->add_option("IN", inputPath, "File to pack")->required();
    pack->add_option("OUT", outputPath, "Container to write")->required();

    CLI::App* unpack = app.add_subcommand("unpack", "Restore the file packed in IN as OUT (with its time stamp)");
    unpack->add_option("IN", inputPath, "Container to unpack")->required();
    unpack->add_option("OUT", outputPath, "File to write")->required();

    std::vector<std::string> infoPaths;
    CLI::App* info = app.add_subcommand("info", "Describe each container: version, sizes, ratio, time stamp");
    info->add_option("FILE", infoPaths, "Containers to describe")->required();

    std::string programPath, folder;
    CLI::App* list = app.add_subcommand(
        "list", "List the payloads in the setup program SETUP: name, version, sizes, time stamp, CRC-32 check");
    list->add_option("SETUP", programPath, "Setup program (.exe)")->required();
    CLI::App* extract =
        app.add_subcommand("extract", "Write each payload of SETUP into DIR, with its time stamp (DIR is made)");
    extract->add_option("SETUP", programPath, "Setup program (.exe)")->required();
    extract->add_option("DIR", folder, "Folder to write the files into")->required();
    bool replace = false;
    extract->add_flag("--force", replace, "Replace files that are in DIR already");
    CLI::App* verify =
        app.add_subcommand("verify", "Compare each payload of SETUP with the file of its name in DIR");
    verify->add_option("SETUP", programPath, "Setup program (.exe)")->required();
    verify->add_option("DIR", folder, "Folder holding the files")->required();

    CLI11_PARSE(app, argc, argv);

    int status = 0;
    try {
        if (pack->parsed()) {
            if (!timeText.empty()) packOptions.timeText = timeText;
            packFile(inputPath, outputPath, packOptions);
        } else if (unpack->parsed()) {
            unpackFile(inputPath, outputPath);
        } else if (list->parsed()) {
            status = listPayloadFiles(programPath);
        } else if (extract->parsed()) {
            status = extractPayloadFiles(programPath, folder, replace);
        } else if (verify->parsed()) {
            status = verifyPayloadFiles(programPath, folder);
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
