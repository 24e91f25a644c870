#include "tool_fixture.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <vector>

void LzariTool::SetUp()
{
    char pattern[] = "/tmp/lzari-test-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir = pattern;
}

void LzariTool::TearDown() { std::system(("rm -rf '" + dir + "'").c_str()); }

ToolRun LzariTool::lzari(const std::string& arguments) const
{
    std::string command =
        std::string(LZARI_TOOL) + " " + arguments + " >'" + path(".out") + "' 2>'" + path(".err") + "'";
    int status = std::system(command.c_str());
    ToolRun run{WIFEXITED(status) ? WEXITSTATUS(status) : -1, slurp(path(".out")), slurp(path(".err"))};
    unlink(path(".out").c_str());
    unlink(path(".err").c_str());
    return run;
}

std::string LzariTool::slurp(const std::string& file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void LzariTool::spit(const std::string& name, const Bytes& bytes) const
{
    std::ofstream(path(name), std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), long(bytes.size()));
}

std::string LzariTool::listing(const std::string& name) const
{
    std::vector<std::string> names;
    if (DIR* folder = opendir(name.empty() ? dir.c_str() : path(name).c_str())) {
        while (dirent* entry = readdir(folder))
            if (entry->d_name[0] != '.') names.push_back(entry->d_name);
        closedir(folder);
    }
    std::sort(names.begin(), names.end());
    std::string text;
    for (const std::string& each : names) text += each + " ";
    return text;
}

void LzariTool::expectFailure(const std::string& arguments, const std::string& mention) const
{
    ToolRun run = lzari(arguments);
    EXPECT_NE(run.exitCode, 0) << arguments;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_NE(run.err.find(mention), std::string::npos) << run.err;
}

timespec modificationTime(const std::string& file)
{
    struct stat status;
    stat(file.c_str(), &status);
    return status.st_mtim;
}
