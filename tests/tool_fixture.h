// A scratch folder and the real lzari binary, for the tests that use the
// tool as a person does.
#pragma once

#include <gtest/gtest.h>

#include <ctime>
#include <string>

#include "codec_support.h"

struct ToolRun {
    int exitCode;
    std::string out;
    std::string err;
};

class LzariTool : public ::testing::Test {
protected:
    std::string dir;

    void SetUp() override;
    void TearDown() override;

    std::string path(const std::string& name) const { return dir + "/" + name; }

    // Runs lzari with `arguments` (a shell word list) and collects what it said.
    ToolRun lzari(const std::string& arguments) const;

    static std::string slurp(const std::string& file);
    void spit(const std::string& name, const Bytes& bytes) const;
    Bytes read(const std::string& name) const { return bytesOf(slurp(path(name))); }

    // The names in the folder `name` (the scratch folder itself by
    // default), sorted, so that a test can see that no temporary file is
    // left.
    std::string listing(const std::string& name = "") const;

    // Expects a failure told in one line on stderr, naming what failed.
    void expectFailure(const std::string& arguments, const std::string& mention) const;
};

timespec modificationTime(const std::string& file);
