// The install engine's decisions, which need no platform: the folder rules,
// the composition of the shortcut paths, the survey's texts and the fatal
// reporter's limits.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "fatal_format.h"
#include "folder_rules.h"
#include "install_config.h"
#include "shortcut_paths.h"
#include "survey_text.h"

namespace {

struct Verdict {
    bool valid;
    std::string text;  // the text as validation left it
};

Verdict validate(const std::string& folder)
{
    char text[MAX_PATH] = {};
    strncpy(text, folder.c_str(), sizeof text - 1);
    bool valid = validateFolderText(text);
    return Verdict{valid, text};
}

void expectVerdict(const std::string& folder, bool valid, const std::string& after)
{
    Verdict verdict = validate(folder);
    EXPECT_EQ(verdict.valid, valid) << "'" << folder << "'";
    EXPECT_EQ(verdict.text, after) << "'" << folder << "'";
}

TEST(FolderRules, AcceptAndNormaliseDriveRootedFolders)
{
    expectVerdict("C:\\Arvendal\\QRV", true, "C:\\Arvendal\\QRV");
    expectVerdict("c:\\apps", true, "C:\\apps");
    expectVerdict("C:\\apps\\", true, "C:\\apps");
    expectVerdict("C:\\a", true, "C:\\a");
    expectVerdict("Z:\\x", true, "Z:\\x");
    expectVerdict("z:\\a b\\*?/", true, "Z:\\a b\\*?/");  // other characters are not tested
}

TEST(FolderRules, RefuseEverythingElse)
{
    expectVerdict("", false, "");
    expectVerdict("C:\\", false, "C:");  // the backslash stays removed
    expectVerdict("c:\\", false, "C:");
    expectVerdict("A:\\apps", false, "A:\\apps");
    expectVerdict("b:\\apps", false, "B:\\apps");  // upper-cased even when refused
    expectVerdict("1:\\apps", false, "1:\\apps");
    expectVerdict("\\\\server\\share", false, "\\\\server\\share");
    expectVerdict("C:apps", false, "C:apps");
    expectVerdict("C", false, "C");
    expectVerdict("CC:\\apps", false, "CC:\\apps");
    expectVerdict("C:\\apps\\\\QRV", false, "C:\\apps\\\\QRV");
    expectVerdict("C:\\apps\\\\", false, "C:\\apps\\\\");
    expectVerdict("C:\\apps:QRV", false, "C:\\apps:QRV");
    expectVerdict("\xC3:\\apps", false, "\xC3:\\apps");  // bytes of 128 and more are never letters
}

TEST(FolderRules, ValidationIsIdempotent)
{
    for (const char* folder : {"c:\\apps\\", "C:\\", "d:\\x\\\\y", "E:\\a\\b\\c", "q:\\"}) {
        Verdict once = validate(folder);
        Verdict twice = validate(once.text);
        EXPECT_EQ(twice.valid, once.valid) << folder;
        EXPECT_EQ(twice.text, once.text) << folder;
    }
}

TEST(FolderRules, LongestFolderFits)
{
    std::string longest = "C:\\" + std::string(256, 'a');  // 259 characters
    expectVerdict(longest, true, longest);
    expectVerdict(longest.substr(0, 258) + "\\", true, longest.substr(0, 258));
}

TEST(FolderRules, ParentsAreCutAfterTheRoot)
{
    EXPECT_EQ(parentCutPosition("C:\\A\\B\\C"), 6);
    EXPECT_EQ(parentCutPosition("C:\\A\\B"), 4);
    EXPECT_EQ(parentCutPosition("C:\\A"), -1) << "the root is never cut off";
    EXPECT_EQ(parentCutPosition("C:\\"), -1);
    EXPECT_EQ(parentCutPosition("C:\\\\"), 3) << "a backslash at position 3 is after the root";
}

TEST(ShortcutPaths, ComposeFromTheConfiguration)
{
    strcpy(installFolder, "C:\\Arvendal\\QRV");
    char path[MAX_PATH];
    ASSERT_TRUE(composeShortcutTarget(path));
    EXPECT_STREQ(path, "C:\\Arvendal\\QRV\\QRV.EXE");
    ASSERT_TRUE(composeDesktopLink(path, "C:\\users\\ann"));
    EXPECT_STREQ(path, "C:\\users\\ann\\Desktop\\QRV.lnk");
    ASSERT_TRUE(composeGroupFolder(path, "C:\\users\\ann"));
    EXPECT_STREQ(path, "C:\\users\\ann\\Start Menu\\Programs\\Arvendal");
    char link[MAX_PATH];
    ASSERT_TRUE(composeGroupLink(link, path));
    EXPECT_STREQ(link, "C:\\users\\ann\\Start Menu\\Programs\\Arvendal\\QRV.lnk");
}

TEST(ShortcutPaths, ProfileLosesOneTrailingBackslash)
{
    char profile[MAX_PATH] = "C:\\users\\ann\\";
    removeTrailingBackslash(profile);
    EXPECT_STREQ(profile, "C:\\users\\ann");
    strcpy(profile, "C:\\users\\ann\\\\");
    removeTrailingBackslash(profile);
    EXPECT_STREQ(profile, "C:\\users\\ann\\") << "a second backslash stays";
    strcpy(profile, "D:\\");
    removeTrailingBackslash(profile);
    char link[MAX_PATH];
    ASSERT_TRUE(composeDesktopLink(link, profile));
    EXPECT_STREQ(link, "D:\\Desktop\\QRV.lnk");
}

TEST(ShortcutPaths, PathsThatDoNotFitAreRefusedNotCut)
{
    char path[MAX_PATH];
    std::string profile(259 - strlen("\\Desktop\\QRV.lnk"), 'p');
    EXPECT_TRUE(composeDesktopLink(path, profile.c_str())) << "259 characters fit";
    EXPECT_EQ(strlen(path), 259u);
    profile += "p";
    EXPECT_FALSE(composeDesktopLink(path, profile.c_str())) << "260 do not";
    EXPECT_STREQ(path, "");

    std::string folder = "C:\\" + std::string(256, 'f');  // the longest valid install folder
    strcpy(installFolder, folder.c_str());
    EXPECT_FALSE(composeShortcutTarget(path));
}

TEST(SurveyText, ArchitectureLines)
{
    EXPECT_STREQ(architectureTextFor(64), "Architecture: 64-bit");
    EXPECT_STREQ(architectureTextFor(32), "Architecture: 32-bit");
    EXPECT_STREQ(architectureTextFor(0), "unsupported architecture");
    EXPECT_STREQ(architectureTextFor(16), "unsupported architecture");
}

TEST(SurveyText, OperatingSystemLines)
{
    EXPECT_STREQ(osTextFor(5, 0), "Operating System: Windows-2K");
    EXPECT_STREQ(osTextFor(5, 1), "Operating System: Windows-XP");
    EXPECT_STREQ(osTextFor(6, 0), "Operating System: Windows-Vista");
    EXPECT_STREQ(osTextFor(6, 1), "Operating System: Windows-7");
    EXPECT_STREQ(osTextFor(6, 2), "Operating System: Windows-8");
    for (auto version : {std::pair<uint32_t, uint32_t>{5, 2}, {6, 3}, {10, 0}, {4, 0}, {1, 6}, {0, 0}})
        EXPECT_STREQ(osTextFor(version.first, version.second), "Operating System: unsupported")
            << version.first << "." << version.second;
}

bool formatMessage(char (&message)[fatalMessageSize], const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    bool fits = formatFatalMessage(message, format, arguments);
    va_end(arguments);
    return fits;
}

TEST(FatalFormat, MessagesUpTo1023CharactersAreShownWhole)
{
    char message[fatalMessageSize];
    std::string name(1023 - strlen("can't delete file \nWin Err Code 5"), 'n');
    ASSERT_TRUE(formatMessage(message, "can't delete file %s\nWin Err Code %i", name.c_str(), 5));
    EXPECT_EQ(strlen(message), 1023u);
    name += "n";
    EXPECT_FALSE(formatMessage(message, "can't delete file %s\nWin Err Code %i", name.c_str(), 5)) << "1024 overflow";

    ASSERT_TRUE(formatMessage(message, "can't find resource %s\nWin Err Code %i", "100%s.EXE", -2147024891));
    EXPECT_STREQ(message, "can't find resource 100%s.EXE\nWin Err Code -2147024891") << "names enter as arguments";
}

TEST(FatalFormat, EveryCodeHasATitle)
{
    char title[fatalTitleSize];
    ASSERT_TRUE(formatFatalTitle(title, 72));
    EXPECT_STREQ(title, "Fatal Error Code 72");
    ASSERT_TRUE(formatFatalTitle(title, INT32_MIN));
    EXPECT_STREQ(title, "Fatal Error Code -2147483648");
    EXPECT_EQ(strlen(title), 28u) << "the longest title";
}

TEST(InstallConfig, ShippedTable)
{
    EXPECT_EQ(payloadCount(), 5);
    EXPECT_STREQ(payloadTable[2].fileName, "DocReader.EXE");
    EXPECT_EQ(payloadTable[5].fileName, nullptr);
    EXPECT_STREQ(installConfig.defaultFolder, "C:\\Arvendal\\QRV");
}

}  // namespace
