// The engine on a real (Wine) file system: folders, files and their times,
// the extraction of the real payload resources, the shortcuts read back
// through the shell, the survey, and every fatal error as a user meets it.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cstring>

#include "control_ids.h"
#include "engine.h"
#include "win32_support.h"

namespace {

// The five payloads' time stamps (UTC), as the manifest gives them.
const unsigned long long payloadTimes[] = {
    133143077820000000ull,  // QRV.EXE        2022-11-30 18:49:42
    132243532420000000ull,  // QRV.HLP        2020-01-24 15:27:22
    127005267040000000ull,  // DOCREADER.EXE  2003-06-19 20:05:04
    132080257960000000ull,  // HELP.QRD       2019-07-19 16:03:16
    130129324680000000ull,  // SHAPES.QRD     2013-05-13 15:27:48
};

void setInstallFolder(const std::string& path)
{
    ASSERT_LT(path.size(), sizeof installFolder);
    strcpy(installFolder, path.c_str());
}

std::string currentDirectory()
{
    char path[MAX_PATH];
    GetCurrentDirectoryA(sizeof path, path);
    return path;
}

TEST(InstallFolder, IsCreatedFromTheTopDownAndEntered)
{
    ScratchFolder scratch;
    setInstallFolder(scratch / "A\\B\\C\\");
    ASSERT_TRUE(createInstallFolder());
    EXPECT_EQ(std::string(installFolder), scratch / "A\\B\\C") << "one trailing backslash removed";
    EXPECT_TRUE(folderExists(scratch / "A"));
    EXPECT_TRUE(folderExists(scratch / "A\\B\\C"));
    EXPECT_STRCASEEQ(currentDirectory().c_str(), (scratch / "A\\B\\C").c_str());
    EXPECT_TRUE(createInstallFolder()) << "an existing folder is accepted";
}

TEST(InstallFolder, FileInTheWayFails)
{
    ScratchFolder scratch;
    writeWholeFile(scratch / "A", "a file, not a folder");
    setInstallFolder(scratch / "A\\B");
    EXPECT_FALSE(createInstallFolder());
    setInstallFolder(scratch / "A");
    EXPECT_FALSE(createInstallFolder());
    EXPECT_EQ(std::string(installFolder), scratch / "A") << "the text is restored";
    setInstallFolder("C:\\");
    EXPECT_FALSE(createInstallFolder()) << "validation refuses a drive's root";
}

// Folders the rules accept but the file system refuses: a name with a
// character no file name may hold gives false, with the text restored;
// levels made before the failure stay. The longest path the buffer takes
// (259 characters) is deeper than the 248 characters Windows allows a
// folder (Wine allows it): either way the answer is the file system's.
TEST(InstallFolder, FoldersTheFileSystemRefusesFail)
{
    ScratchFolder scratch;
    for (const char* name : {"New\\a<b", "New\\a|b", "New\\a\"b", "New\\a?b", "New\\a*b"}) {
        std::string path = scratch / name;
        setInstallFolder(path);
        EXPECT_FALSE(createInstallFolder()) << path;
        EXPECT_EQ(std::string(installFolder), path) << "the text is restored";
    }
    EXPECT_TRUE(folderExists(scratch / "New")) << "the level made before the failure stays";

    std::string longest = scratch.path();
    while (longest.size() < 259) longest += std::string("\\") + std::string(std::min<size_t>(40, 258 - longest.size()), 'x');
    longest.resize(259);
    setInstallFolder(longest);
    bool created = createInstallFolder();
    EXPECT_EQ(std::string(installFolder), longest);
    EXPECT_EQ(created, folderExists(longest));
    if (created) {
        EXPECT_STRCASEEQ(currentDirectory().c_str(), longest.c_str());
    }
}

TEST(FileWriter, ReplacesTheFileWithTheBytesAndTheStoredTimes)
{
    ScratchFolder scratch;
    std::string path = scratch / "QRV.HLP";
    writeWholeFile(path, "an older, longer version of the file");
    static uint8_t bytes[] = "help text";
    FILETIME stamp = {0x12345678u, 0x01D5D2C4u};  // a time with a fraction of a second
    writePayloadFile(path.c_str(), PayloadEntry{"QRV.HLP", bytes, 9, stamp});
    // The times first: reading the file would move its access time.
    FileTimes times;
    ASSERT_TRUE(readFileTimes(path, &times));
    EXPECT_EQ(fileTimeValue(times.creation), fileTimeValue(stamp));
    EXPECT_EQ(fileTimeValue(times.lastAccess), fileTimeValue(stamp));
    EXPECT_EQ(fileTimeValue(times.lastWrite), fileTimeValue(stamp));
    std::vector<unsigned char> written = readWholeFile(path);
    EXPECT_EQ(std::string(written.begin(), written.end()), "help text");
    EXPECT_EQ(GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
}

TEST(FileWriter, EmptyPayloadIsAnEmptyFileWithItsTime)
{
    ScratchFolder scratch;
    std::string path = scratch / "EMPTY.QRD";
    FILETIME stamp = {0x89ABCDEFu, 0x01D904E5u};
    writePayloadFile(path.c_str(), PayloadEntry{"EMPTY.QRD", nullptr, 0, stamp});
    EXPECT_TRUE(fileExists(path));
    EXPECT_TRUE(readWholeFile(path).empty());
    FileTimes times;
    ASSERT_TRUE(readFileTimes(path, &times));
    EXPECT_EQ(fileTimeValue(times.lastWrite), fileTimeValue(stamp));
}

INT_PTR CALLBACK quietDialogProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

TEST(Extraction, DecodesEveryPayloadWithItsTimeAndTheBar)
{
    appInstance = GetModuleHandleA(nullptr);
    InitCommonControls();
    HWND dialog = CreateDialogParamA(appInstance, "SETUP", nullptr, quietDialogProc, 0);
    ASSERT_NE(dialog, nullptr);
    extractPayloads(dialog);

    const char* sources[] = {QRV_STANDIN, nullptr, DOCREADER_STANDIN, nullptr, nullptr};
    const char* dataFiles[] = {nullptr, "resources/payloads/QRV.HLP", nullptr, "resources/payloads/HELP.QRD",
                               "resources/payloads/SHAPES.QRD"};
    for (int i = 0; i < 5; i++) {
        const PayloadEntry& row = payloadTable[i];
        std::vector<unsigned char> expected = readWholeFile(sources[i] ? sources[i] : sourcePath(dataFiles[i]));
        ASSERT_FALSE(expected.empty()) << row.fileName;
        ASSERT_EQ(row.size, expected.size()) << row.fileName;
        EXPECT_EQ(memcmp(row.data, expected.data(), expected.size()), 0) << row.fileName;
        EXPECT_EQ(fileTimeValue(row.fileTime), payloadTimes[i]) << row.fileName;
    }
    PBRANGE range;
    SendDlgItemMessageA(dialog, IDC_EXTRACT_PROGRESS, PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
    EXPECT_EQ(range.iLow, 0);
    EXPECT_EQ(range.iHigh, 5);
    EXPECT_EQ(SendDlgItemMessageA(dialog, IDC_EXTRACT_PROGRESS, PBM_GETPOS, 0, 0), 4) << "the bar never shows 5";
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, IDC_EXTRACT_PROGRESS)));
    char status[64];
    GetDlgItemTextA(dialog, IDC_STATUS_TEXT, status, sizeof status);
    EXPECT_STREQ(status, "extracting files");
    DestroyWindow(dialog);
}

void expectProductLink(const std::string& linkPath)
{
    LinkFields fields = readLink(linkPath);
    ASSERT_TRUE(fields.loaded) << linkPath;
    EXPECT_STRCASEEQ(fields.path.c_str(), "C:\\Arvendal\\QRV\\QRV.EXE");
    EXPECT_EQ(fields.arguments, "");
    EXPECT_EQ(fields.description, "Chart Studio && Data Sifter\nby Orvel K. Tamsin\nBrindlemoor, Wessex");
    EXPECT_STRCASEEQ(fields.workingDirectory.c_str(), "C:\\Arvendal\\QRV");
    EXPECT_EQ(fields.showCommand, SW_SHOWNORMAL);
}

// A profile folder with the two folders the shortcuts need (or fewer),
// made USERPROFILE for the test's length.
class Profile {
public:
    Profile(bool desktop, bool programs, const char* trailing = "")
    {
        if (desktop) CreateDirectoryA((scratch_ / "Desktop").c_str(), nullptr);
        if (programs) {
            CreateDirectoryA((scratch_ / "Start Menu").c_str(), nullptr);
            CreateDirectoryA((scratch_ / "Start Menu\\Programs").c_str(), nullptr);
        }
        SetEnvironmentVariableA("USERPROFILE", (scratch_.path() + trailing).c_str());
    }
    ~Profile() { SetEnvironmentVariableA("USERPROFILE", nullptr); }
    std::string operator/(const std::string& name) const { return scratch_ / name; }

private:
    ScratchFolder scratch_;
};

TEST(Shortcuts, DesktopAndGroupLinksCarryTheProductsFields)
{
    Profile profile(true, true, "\\");  // one trailing backslash makes no difference
    strcpy(installFolder, "C:\\Arvendal\\QRV");
    ASSERT_TRUE(createShortcuts());
    expectProductLink(profile / "Desktop\\QRV.lnk");
    expectProductLink(profile / "Start Menu\\Programs\\Arvendal\\QRV.lnk");
    ASSERT_TRUE(createShortcuts()) << "an existing group and links are saved over";
}

TEST(Survey, TextsOfThisSystem)
{
    detectOsVersion();
    detectArchitecture();
    EXPECT_STREQ(osText(), "Operating System: Windows-7") << "the Wine prefix claims Windows 7";
    EXPECT_STREQ(architectureText(), "Architecture: 64-bit") << "the Wine prefix is 64-bit";
}

// ---- fatal errors, as a user meets them ---------------------------------

void expectFatal(const FatalOutcome& outcome, int code, const std::string& text)
{
    ASSERT_TRUE(outcome.seenBox) << "no error box; exit code " << outcome.exitCode;
    EXPECT_EQ(outcome.title, "Fatal Error Code " + std::to_string(code));
    EXPECT_EQ(outcome.text, text);
    EXPECT_EQ(outcome.exitCode, 1u);
}

TEST(FatalErrors, ReadOnlyFileInTheWay212)
{
    ScratchFolder scratch;
    std::string path = scratch / "QRV.EXE";
    writeWholeFile(path, "old");
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
    FatalOutcome outcome = runFatalChild("write", path);
    expectFatal(outcome, 212, "can't delete file " + path + "\nWin Err Code 5");
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(FatalErrors, NoUserProfile162)
{
    SetEnvironmentVariableA("USERPROFILE", nullptr);
    FatalOutcome outcome = runFatalChild("shortcuts");
    ASSERT_TRUE(outcome.seenBox);
    EXPECT_EQ(outcome.title, "Fatal Error Code 162");
    EXPECT_EQ(outcome.text.rfind("can't get user profile\nWin Err Code ", 0), 0u) << outcome.text;
    EXPECT_EQ(outcome.exitCode, 1u);
}

TEST(FatalErrors, ProfileTooLongForItsBuffer162)
{
    SetEnvironmentVariableA("USERPROFILE", ("C:\\" + std::string(300, 'p')).c_str());
    expectFatal(runFatalChild("shortcuts"), 162, "can't get user profile\nWin Err Code 206");
    SetEnvironmentVariableA("USERPROFILE", nullptr);
}

TEST(FatalErrors, NoDesktopFolder176)
{
    Profile profile(false, true);
    FatalOutcome outcome = runFatalChild("shortcuts");
    ASSERT_TRUE(outcome.seenBox);
    EXPECT_EQ(outcome.title, "Fatal Error Code 176");
    EXPECT_EQ(outcome.text.rfind("can't create link on desktop\nWin Err Code ", 0), 0u) << outcome.text;
    EXPECT_FALSE(folderExists(profile / "Start Menu\\Programs\\Arvendal")) << "nothing else was made";
}

TEST(FatalErrors, NoStartMenuProgramsFolder187AfterTheDesktopLink)
{
    Profile profile(true, false);
    expectFatal(runFatalChild("shortcuts"), 187, "can't create folder in start menu\nWin Err Code 3");
    EXPECT_TRUE(fileExists(profile / "Desktop\\QRV.lnk")) << "the desktop link was saved first";
}

TEST(FatalErrors, FileInPlaceOfTheGroupFolder197)
{
    Profile profile(true, true);
    writeWholeFile(profile / "Start Menu\\Programs\\Arvendal", "a file");
    FatalOutcome outcome = runFatalChild("shortcuts");
    ASSERT_TRUE(outcome.seenBox);
    EXPECT_EQ(outcome.title, "Fatal Error Code 197");
    EXPECT_EQ(outcome.text.rfind("can't create link on start menu\nWin Err Code ", 0), 0u) << outcome.text;
    EXPECT_TRUE(fileExists(profile / "Desktop\\QRV.lnk"));
}

TEST(FatalErrors, MissingResource321)
{
    expectFatal(runFatalChild("resource", "NO.SUCH.FILE"), 321, "can't find resource NO.SUCH.FILE\nWin Err Code 1814");
}

TEST(FatalErrors, ContainersOtherThanVersion1Are344)
{
    expectFatal(runFatalChild("extract", "VERSION0.LZ"), 344, "resource was compressed with the wrong version of LZARI");
    expectFatal(runFatalChild("extract", "NOMAGIC.LZ"), 344, "resource was compressed with the wrong version of LZARI");
}

TEST(FatalErrors, ContainerThatDoesNotDecode346)
{
    expectFatal(runFatalChild("extract", "TRUNCATED.LZ"), 346, "can't decode resource TRUNCATED.LZ");
}

// A container that decodes to bytes other than those the build recorded:
// nothing is written.
TEST(FatalErrors, DecodedBytesThatDoNotMatchTheirCheckAre348)
{
    expectFatal(runFatalChild("extract", "WRONGBYTES.LZ"), 348, "resource WRONGBYTES.LZ is damaged");
    expectFatal(runFatalChild("extract", "UNRECORDED.LZ"), 348, "resource UNRECORDED.LZ is damaged");
    FatalOutcome recorded = runFatalChild("extract", "QRV.HLP");
    EXPECT_FALSE(recorded.seenBox) << recorded.title << ": " << recorded.text;
    EXPECT_EQ(recorded.exitCode, 0u);
}

// The failures a real system seldom gives, through calls made to fail.
TEST(FatalErrors, ResourceThatWillNotLoadOrLock324And326)
{
    expectFatal(runFatalChild("LoadResource resource", "QRV.EXE"), 324, "can't load resource QRV.EXE\nWin Err Code 8");
    expectFatal(runFatalChild("LockResource resource", "QRV.EXE"), 326, "can't lock resource QRV.EXE\nWin Err Code 6");
}

TEST(FatalErrors, EveryFailingFileStep218To238)
{
    ScratchFolder scratch;
    std::string path = scratch / "QRV.EXE";
    expectFatal(runFatalChild("CreateFileA write", path), 218, "can't create file " + path + "\nWin Err Code 5");
    expectFatal(runFatalChild("WriteFile write", path), 223, "can't write file " + path + "\nWin Err Code 112");
    expectFatal(runFatalChild("WriteFile-short write", path), 228, "file write error " + path + "\nWin Err Code 39");
    EXPECT_EQ(readWholeFile(path).size(), 4u) << "the file stays as far as it got";
    expectFatal(runFatalChild("SetFileTime write", path), 233, "can't set file time " + path + "\nWin Err Code 87");
    expectFatal(runFatalChild("CloseHandle write", path), 238, "file close error " + path + "\nWin Err Code 6");
}

TEST(FatalErrors, SurveyFailures72To85)
{
    expectFatal(runFatalChild("GetVersionExA survey"), 72, "can't get windows version\nWin Err Code 87");
    expectFatal(runFatalChild("GetBinaryTypeA survey"), 79, "can't get architecture\nWin Err Code 2");
    expectFatal(runFatalChild("GetBinaryTypeA-dos survey"), 85, "unsupported architecture");
}

TEST(FatalErrors, EmptyFileIsNoError)
{
    FatalOutcome outcome = runFatalChild("extract", "EMPTY.LZ");
    EXPECT_FALSE(outcome.seenBox) << outcome.title << ": " << outcome.text;
    EXPECT_EQ(outcome.exitCode, 0u);
}

}  // namespace
