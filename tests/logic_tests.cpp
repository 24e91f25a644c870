// The install engine's decisions, which need no platform: the folder rules,
// the survey's lines, the information text, the fatal reporter's limits and its table of codes. (The shortcut paths are
// seen whole in the wizard's scenarios.)
#include <gtest/gtest.h>

#include <cstring>
#include <cwchar>
#include <fstream>
#include <map>
#include <regex>
#include <string>

#include "fatal_codes.h"
#include "fatal_format.h"
#include "folder_rules.h"
#include "shortcut_paths.h"
#include "install_limits.h"
#include "survey_text.h"
#include "information_text.h"

namespace {

// A folder as validation leaves it, "valid: TEXT" or "refused: TEXT": as
// bytes, and the same as UTF-16 (each byte one unit, as Latin-1 has it).
std::string validated(const std::string& folder)
{
    char text[MAX_PATH] = {};
    wchar_t wide[MAX_PATH] = {};
    strncpy(text, folder.c_str(), sizeof text - 1);
    for (size_t i = 0; i < folder.size(); i++) wide[i] = static_cast<unsigned char>(folder[i]);
    bool valid = validateFolderText(text), wideValid = validateFolderText(wide);
    std::string wideText(wide, wide + wcslen(wide));  // back to bytes
    if (valid != wideValid || wideText != text) return "UTF-16 differs: " + wideText;
    return (valid ? "valid: " : "refused: ") + std::string(text);
}

TEST(Logic, FolderRules)
{
    const std::string longest = "C:\\" + std::string(256, 'a');  // 259 characters
    const std::pair<std::string, std::string> rows[] = {
        {"C:\\Arvendal\\QRV", "valid: C:\\Arvendal\\QRV"},
        {"c:\\apps\\", "valid: C:\\apps"},  // the drive upper-cased, one backslash removed
        {"C:\\a", "valid: C:\\a"},
        {"z:\\a b\\*?/", "valid: Z:\\a b\\*?/"},  // other characters are the file system's to judge
        {longest, "valid: " + longest},
        {longest.substr(0, 258) + "\\", "valid: " + longest.substr(0, 258)},
        {"", "refused: "},
        {"C:\\", "refused: C:"},  // a drive's root, its backslash removed all the same
        {"A:\\apps", "refused: A:\\apps"},
        {"b:\\apps", "refused: B:\\apps"},  // upper-cased even when refused
        {"\xC3:\\apps", "refused: \xC3:\\apps"},  // bytes and units of 128 and more are never letters
        {"\\\\server\\share", "refused: \\\\server\\share"},
        {"C:apps", "refused: C:apps"},
        {"CC:\\apps", "refused: CC:\\apps"},
        {"C:\\apps\\\\QRV", "refused: C:\\apps\\\\QRV"}, {"C:\\\\apps", "refused: C:\\\\apps"},
        {"C:\\apps\\\\", "refused: C:\\apps\\\\"}, {"C:/apps", "refused: C:/apps"},
        {"C:\\apps:QRV", "refused: C:\\apps:QRV"},
    };
    for (const auto& [folder, verdict] : rows) {
        EXPECT_EQ(validated(folder), verdict) << folder;
        EXPECT_EQ(validated(verdict.substr(verdict.find(' ') + 1)), verdict) << folder << ": validated twice";
    }
    // Creating a folder cuts it at its last backslash after the drive's root.
    const std::pair<const char*, int> cuts[] = {{"C:\\A\\B\\C", 6}, {"C:\\A\\B", 4}, {"C:\\A", -1}, {"C:\\", -1},
                                                {"C:\\\\", 3}};
    for (const auto& [path, cut] : cuts) EXPECT_EQ(parentCutPosition(path) * 1000 + parentCutPosition(std::wstring(path, path + strlen(path)).c_str()), cut * 1001) << path;
    // A link's path is joined whole or refused: 259 units and the end fit.
    wchar_t path[MAX_PATH];
    EXPECT_TRUE(joinPath(path, longest.c_str()) && !joinPath(path, longest.c_str(), "x") && path[0] == 0);
}

// The versions the program names, and the next minor version of each (Windows
// 10 without a manifest that declares it reports 6.2, as Windows 8 does).
TEST(Logic, SurveyLines)
{
    std::string lines;
    for (uint32_t major : {4, 5, 6, 10})
        for (uint32_t minor : {0, 1, 2, 3}) {
            const char* value = osValueFor(major, minor);
            lines += std::string(value ? value : "-") + " ";
        }
    EXPECT_EQ(lines, "- - - - Windows-2K Windows-XP - - Windows-Vista Windows-7 Windows-8 - - - - - ");
    EXPECT_EQ(std::string(architectureValueFor(32)) + architectureValueFor(64), "32-bit64-bit");
    EXPECT_EQ(architectureValueFor(16), nullptr);
    // The line is the dialog's word (any language), ": " and the value; cut,
    // never overrun, where it would not fit.
    wchar_t line[16];
    composeSurveyLine(line, 16, L"Syst\u00E8me", "Windows-XP");
    EXPECT_EQ(std::wstring(line), L"Syst\u00E8me: Window") << "15 units and the end";
    composeSurveyLine(line, 16, nullptr, L"non pris en charge");
    EXPECT_EQ(std::wstring(line), L"non pris en cha");
    composeSurveyLine(line, 16, L"Architecture", "64-bit");
    EXPECT_EQ(std::wstring(line), L"Architecture: 6");
}

// The information text: its placeholders filled in whatever their order,
// the values in any alphabet (a character past U+FFFF as the program holds
// it, two units), up to its buffer and not a unit past.
TEST(Logic, InformationTextFilledByItsPlaceholders)
{
    const wchar_t* const values[3] = {L"2.0", L"\u041A\u0432\u0430\u043D\u0442", L"f\u00FCr \xD83D\xDE00"};
    const std::pair<const wchar_t*, const wchar_t*> rows[] = {
        {L"This program will install\nVersion {version} of {name}\n{description}\n",
         L"This program will install\nVersion 2.0 of \u041A\u0432\u0430\u043D\u0442\nf\u00FCr \xD83D\xDE00\n"},
        {L"{name} {version}: {description}", L"\u041A\u0432\u0430\u043D\u0442 2.0: f\u00FCr \xD83D\xDE00"},
        {L"{name}{name} {nom} {", L"\u041A\u0432\u0430\u043D\u0442\u041A\u0432\u0430\u043D\u0442 {nom} {"},
    };
    wchar_t out[128];
    for (const auto& [format, filled] : rows) {
        ASSERT_TRUE(fillInformation(out, 128, format, values));
        EXPECT_EQ(std::wstring(out), filled);
        EXPECT_EQ(informationLength(format, values), wcslen(filled));
    }
    // "{name}: {description}" fills 5 + 2 + 6 units: a buffer of 14 holds it.
    wchar_t small[20];
    for (size_t i = 0; i < 20; i++) small[i] = L'#';
    EXPECT_TRUE(fillInformation(small, 14, L"{name}: {description}", values));
    EXPECT_EQ(small[13], L'\0');
    for (size_t i = 0; i < 20; i++) small[i] = L'#';
    EXPECT_FALSE(fillInformation(small, 13, L"{name}: {description}", values));
    EXPECT_EQ(std::wstring(small, 20), std::wstring(L"\0###################", 20)) << "empty, nothing else written";
}

bool formatMessage(char (&message)[fatalMessageSize], const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    bool fits = formatFatalMessage(message, format, arguments);
    va_end(arguments);
    return fits;
}

TEST(Logic, FatalTextsUpToTheirBuffersAreShownWhole)
{
    char message[fatalMessageSize], title[fatalTitleSize];
    std::string name(1023 - strlen("can't delete file \nWin Err Code 5"), 'n');
    EXPECT_TRUE(formatMessage(message, "can't delete file %s\nWin Err Code %i", name.c_str(), 5));
    EXPECT_EQ(strlen(message), 1023u);
    EXPECT_FALSE(formatMessage(message, "can't delete file %s\nWin Err Code %i", (name + "n").c_str(), 5));
    ASSERT_TRUE(formatMessage(message, "can't find resource %s", "100%s.EXE"));
    EXPECT_STREQ(message, "can't find resource 100%s.EXE") << "names enter as arguments";
    ASSERT_TRUE(formatFatalTitle(title, INT32_MIN));
    EXPECT_STREQ(title, "Fatal Error Code -2147483648") << "the longest title";
}

// The documented table of fatal codes (docs/fatal-codes.md) is the
// program's, code for code, each message as its box begins (a name shown
// as NAME).
TEST(Logic, DocumentedTableOfFatalCodesIsTheProgramsOwn)
{
    std::map<int, std::string> program, documented;
    for (const FatalText& text : fatalTexts) {
        std::string message(text.format, strcspn(text.format, "\n"));
        if (size_t name = message.find("%s"); name != std::string::npos) message.replace(name, 2, "NAME");
        EXPECT_TRUE(program.emplace(text.code, message).second) << text.code << " given twice";
    }
    std::ifstream file(SOURCE_DIR "/docs/fatal-codes.md");
    const std::regex row(R"(^\| (\d+) \| ([^|]*[^| ]) \|)");
    std::smatch match;
    for (std::string line; std::getline(file, line);)
        if (std::regex_search(line, match, row)) documented[std::stoi(match[1])] = match[2];
    EXPECT_EQ(documented, program);
}

}  // namespace
