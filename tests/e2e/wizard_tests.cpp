// The real setup.exe, driven through its dialog as a person would, phase by
// phase, with what it leaves on disk. Each scenario starts from a machine
// without the product installed.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "control_ids.h"
#include "win32_support.h"
#include "wizard_driver.h"

namespace {

const std::string installFolder = "C:\\Arvendal\\QRV";

// The architecture the prefix has: 64 unless the run names another.
const char* const EXPECTED_BITS = getenv("EXPECTED_BITS") ? getenv("EXPECTED_BITS") : "64";

struct PayloadFile {
    const char* name;        // as the table writes it
    const char* source;      // the stand-in it was packed from
    unsigned long long time; // the stored time stamp
};

const PayloadFile payloads[] = {
    {"QRV.EXE", QRV_STANDIN, 133143077820000000ull},
    {"QRV.HLP", "resources/payloads/QRV.HLP", 132243532420000000ull},
    {"DocReader.EXE", DOCREADER_STANDIN, 127005267040000000ull},
    {"HELP.QRD", "resources/payloads/HELP.QRD", 132080257960000000ull},
    {"SHAPES.QRD", "resources/payloads/SHAPES.QRD", 130129324680000000ull},
};

std::string payloadSource(const PayloadFile& payload)
{
    return strncmp(payload.source, "Z:", 2) == 0 ? payload.source : sourcePath(payload.source);
}

class WizardScenario : public ::testing::Test {
protected:
    void SetUp() override { removeTree("C:\\Arvendal"); }
    void TearDown() override { removeTree("C:\\Arvendal"); }
};

// Waits for the prompt and checks it as the phase table has it. Scenarios
// call it through ASSERT_NO_FATAL_FAILURE: without a window or a prompt
// there is nothing more to check.
void expectPrompt(const Wizard& wizard)
{
    ASSERT_TRUE(wizard.started()) << "no window 'QRV Installation Wizard'";
    ASSERT_TRUE(wizard.waitUntilShown(IDC_INSTALL)) << "no prompt; " << wizard.describe();
    // The prompt ends by focusing the install button: then it is complete.
    EXPECT_TRUE(wizard.waitUntilFocused(IDC_INSTALL)) << "the install button has no focus; " << wizard.describe();
    EXPECT_EQ(wizard.control(IDC_STATUS_TEXT).text, "The files will be installed in the following folder:")
        << wizard.describe();
    ControlState folder = wizard.control(IDC_FOLDER_TEXT);
    EXPECT_TRUE(folder.visible);
    EXPECT_EQ(folder.text, installFolder);
    EXPECT_EQ(wizard.control(IDC_PROMPT_TEXT).text, "Install in this folder or some other path of your choosing?");
    EXPECT_TRUE(wizard.control(IDC_INSTALL).enabled);
    EXPECT_TRUE(wizard.control(IDC_BROWSE).visible);
    ControlState exit = wizard.control(IDC_EXIT);
    EXPECT_FALSE(exit.visible) << "the exit button is hidden at the prompt";
    EXPECT_EQ(exit.text, "Exit");
    EXPECT_FALSE(wizard.control(IDC_EXTRACT_PROGRESS).visible);
    EXPECT_FALSE(wizard.control(IDC_COPY_PROGRESS).visible);
}

// The logo is stretched over its control: the control's middle shows the
// logo's dark blue, not the dialog's face colour.
void expectLogoDrawn(const Wizard& wizard)
{
    HWND logo = GetDlgItem(wizard.window(), IDC_LOGO);
    EXPECT_EQ(GetWindowLongA(logo, GWL_STYLE) & 0xFFFF001F, LONG(WS_CHILD | WS_VISIBLE | SS_OWNERDRAW));
    RECT area;
    GetWindowRect(logo, &area);
    Sleep(300);  // let the first painting finish
    HDC screen = GetDC(nullptr);
    COLORREF corner = GetPixel(screen, area.left + 2, area.bottom - 3);
    ReleaseDC(nullptr, screen);
    EXPECT_LT(GetRValue(corner) + GetGValue(corner) + GetBValue(corner), 3 * 128)
        << "the logo's dark field is not on the screen";
}

void expectInstalledFiles()
{
    for (const PayloadFile& payload : payloads) {
        std::string path = installFolder + "\\" + payload.name;
        FileTimes times;
        ASSERT_TRUE(readFileTimes(path, &times)) << path;
        EXPECT_EQ(fileTimeValue(times.creation), payload.time) << path;
        EXPECT_EQ(fileTimeValue(times.lastAccess), payload.time) << path;
        EXPECT_EQ(fileTimeValue(times.lastWrite), payload.time) << path;
        EXPECT_EQ(readWholeFile(path), readWholeFile(payloadSource(payload))) << path << " differs from its stand-in";
    }
}

void expectLinks(const TestProfile& profile)
{
    for (const char* link : {"\\Desktop\\QRV.lnk", "\\Start Menu\\Programs\\Arvendal\\QRV.lnk"}) {
        LinkFields fields = readLink(profile.path + link);
        ASSERT_TRUE(fields.loaded) << link;
        EXPECT_STRCASEEQ(fields.path.c_str(), (installFolder + "\\QRV.EXE").c_str()) << link;
        EXPECT_EQ(fields.arguments, "") << link;
        EXPECT_EQ(fields.description, "Chart Studio && Data Sifter\nby Orvel K. Tamsin\nBrindlemoor, Wessex") << link;
        EXPECT_STRCASEEQ(fields.workingDirectory.c_str(), installFolder.c_str()) << link;
    }
}

TEST_F(WizardScenario, TypicalRunInstallsEveryFileAndBothShortcuts)
{
    TestProfile profile;
    Wizard wizard(profile.path);
    ASSERT_NO_FATAL_FAILURE(expectPrompt(wizard));
    // Set at the start and never changed.
    EXPECT_EQ(wizard.control(IDC_INFO_TEXT).text,
              "This program will install\nVersion 6.10 of QRV\nChart Studio && Data Sifter\nby Orvel K. Tamsin\n"
              "Brindlemoor, Wessex\n");
    EXPECT_EQ(wizard.control(IDC_NOTICE_TEXT).text, "You may need to disable your antivirus before proceeding.");
    EXPECT_EQ(wizard.control(IDC_OS_TEXT).text, "Operating System: Windows-7");
    EXPECT_EQ(wizard.control(IDC_ARCH_TEXT).text, std::string("Architecture: ") + EXPECTED_BITS + "-bit");
    expectLogoDrawn(wizard);
    // Across processes the range comes back as the message's result (no
    // structure can be passed): FALSE asks for the high limit.
    HWND extractBar = GetDlgItem(wizard.window(), IDC_EXTRACT_PROGRESS);
    EXPECT_EQ(SendMessageA(extractBar, PBM_GETRANGE, TRUE, 0), 0) << "the extraction bar ran from 0";
    EXPECT_EQ(SendMessageA(extractBar, PBM_GETRANGE, FALSE, 0), 5) << "... over five payloads";
    EXPECT_EQ(SendMessageA(GetDlgItem(wizard.window(), IDC_EXTRACT_PROGRESS), PBM_GETPOS, 0, 0), 4);

    wizard.click(IDC_INSTALL);
    ASSERT_TRUE(wizard.waitUntilShown(IDC_EXIT)) << "install did not finish; " << wizard.describe();
    EXPECT_TRUE(wizard.waitUntilFocused(IDC_EXIT)) << "Exit has no focus; " << wizard.describe();
    EXPECT_EQ(wizard.control(IDC_STATUS_TEXT).text, "Files have been copied to the following folder:");
    EXPECT_EQ(wizard.control(IDC_FOLDER_TEXT).text, installFolder);
    EXPECT_EQ(wizard.control(IDC_PROMPT_TEXT).text, "The software has been successfully installed.");
    EXPECT_EQ(wizard.control(IDC_EXIT).text, "Exit");
    EXPECT_FALSE(wizard.control(IDC_INSTALL).visible);
    EXPECT_FALSE(wizard.control(IDC_BROWSE).visible);
    EXPECT_FALSE(wizard.control(IDC_COPY_PROGRESS).visible);
    EXPECT_EQ(SendMessageA(GetDlgItem(wizard.window(), IDC_COPY_PROGRESS), PBM_GETRANGE, FALSE, 0), 5)
        << "the copy bar ran over five files";

    expectInstalledFiles();
    expectLinks(profile);
    wizard.click(IDC_EXIT);
    EXPECT_EQ(wizard.waitForExit(), 0u);
}

TEST_F(WizardScenario, ClosingAtThePromptInstallsNothing)
{
    TestProfile profile;
    Wizard wizard(profile.path);
    ASSERT_NO_FATAL_FAILURE(expectPrompt(wizard));
    wizard.pressKey(VK_ESCAPE);
    wizard.pressKey(VK_RETURN);
    Sleep(500);
    EXPECT_TRUE(wizard.control(IDC_INSTALL).visible) << "Escape and Enter do nothing; " << wizard.describe();
    EXPECT_FALSE(folderExists("C:\\Arvendal"));
    wizard.close();
    EXPECT_EQ(wizard.waitForExit(), 0u);
    EXPECT_FALSE(folderExists("C:\\Arvendal")) << "nothing written";
    EXPECT_FALSE(fileExists(profile.path + "\\Desktop\\QRV.lnk"));
}

TEST_F(WizardScenario, ExistingInstallIsReplacedWithTheStoredTimes)
{
    CreateDirectoryA("C:\\Arvendal", nullptr);
    CreateDirectoryA(installFolder.c_str(), nullptr);
    for (const PayloadFile& payload : payloads) writeWholeFile(installFolder + "\\" + payload.name, "an older version");
    TestProfile profile;
    Wizard wizard(profile.path);
    ASSERT_NO_FATAL_FAILURE(expectPrompt(wizard));
    wizard.click(IDC_INSTALL);
    ASSERT_TRUE(wizard.waitUntilShown(IDC_EXIT)) << wizard.describe();
    expectInstalledFiles();
    wizard.click(IDC_EXIT);
    EXPECT_EQ(wizard.waitForExit(), 0u);
}

// The error box as the user sees it, dismissed; then the exit code.
void expectFatalBox(Wizard& wizard, int code, const std::string& text)
{
    HWND box = waitForWindowOf(wizard.processId(), isMessageBox, 20);
    ASSERT_NE(box, nullptr) << "no error box; " << wizard.describe();
    EXPECT_EQ(windowText(box), "Fatal Error Code " + std::to_string(code));
    EXPECT_EQ(windowText(GetDlgItem(box, 0xFFFF)), text);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(wizard.waitForExit(), 1u);
}

TEST_F(WizardScenario, ReadOnlyFileInTheWayEndsTheRunWith212)
{
    CreateDirectoryA("C:\\Arvendal", nullptr);
    CreateDirectoryA(installFolder.c_str(), nullptr);
    writeWholeFile(installFolder + "\\QRV.EXE", "locked");
    SetFileAttributesA((installFolder + "\\QRV.EXE").c_str(), FILE_ATTRIBUTE_READONLY);
    TestProfile profile;
    Wizard wizard(profile.path);
    ASSERT_NO_FATAL_FAILURE(expectPrompt(wizard));
    wizard.click(IDC_INSTALL);
    expectFatalBox(wizard, 212, "can't delete file QRV.EXE\nWin Err Code 5");
    EXPECT_FALSE(fileExists(installFolder + "\\QRV.HLP")) << "the first file failed: nothing else written";
    EXPECT_FALSE(fileExists(profile.path + "\\Desktop\\QRV.lnk"));
}

TEST_F(WizardScenario, MissingStartMenuProgramsEndsTheRunWith187)
{
    TestProfile profile(true, false);
    Wizard wizard(profile.path);
    ASSERT_NO_FATAL_FAILURE(expectPrompt(wizard));
    wizard.click(IDC_INSTALL);
    expectFatalBox(wizard, 187, "can't create folder in start menu\nWin Err Code 3");
    expectInstalledFiles();
    EXPECT_TRUE(fileExists(profile.path + "\\Desktop\\QRV.lnk")) << "the desktop link stays";
}

// ---- the folder browser -------------------------------------------------

// Opens the shell's folder browser through "select another folder".
HWND openBrowser(const Wizard& wizard)
{
    wizard.click(IDC_BROWSE);
    return waitForWindowOf(
        wizard.processId(), [](HWND window) { return windowText(window) == "Browse for Folder"; }, 10);
}

// The browser's folder tree, driven by keyboard as a person would: keys
// and type-ahead, each group given time to settle (type-ahead collects the
// letters typed within about a second).
constexpr int browserTree = 14145;

void treeKeys(HWND browser, std::initializer_list<WORD> keys)
{
    HWND tree = GetDlgItem(browser, browserTree);
    for (WORD key : keys) {
        PostMessageA(tree, WM_KEYDOWN, key, 1);
        PostMessageA(tree, WM_KEYUP, key, 0xC0000001);
    }
    Sleep(700);
}

void treeType(HWND browser, const char* letters)
{
    HWND tree = GetDlgItem(browser, browserTree);
    for (const char* letter = letters; *letter; letter++) PostMessageA(tree, WM_CHAR, (unsigned char)*letter, 1);
    Sleep(1500);
}

// From the tree's root to drive C: Desktop, its first child, "My
// Computer", expanded, its first child: the drive.
void selectDriveC(HWND browser)
{
    treeKeys(browser, {VK_HOME, VK_RIGHT});
    treeType(browser, "My");
    treeKeys(browser, {VK_RIGHT, VK_RIGHT});
}

// Confirms the browser and waits for it to go and for the wizard's handler
// to show the chosen folder.
void confirmBrowser(const Wizard& wizard, HWND browser, const std::string& shown)
{
    PostMessageA(GetDlgItem(browser, IDOK), BM_CLICK, 0, 0);
    for (int tries = 0; tries < 200 && IsWindow(browser); tries++) Sleep(50);
    for (int tries = 0; tries < 200 && wizard.control(IDC_FOLDER_TEXT).text != shown; tries++) Sleep(50);
    Sleep(300);  // the handler enables the install button after the line
}

// Cancels the browser and waits for it to go and for the wizard to enable
// its install button again (up to ten seconds).
void cancelBrowser(const Wizard& wizard, HWND browser)
{
    PostMessageA(GetDlgItem(browser, IDCANCEL), BM_CLICK, 0, 0);
    for (int tries = 0; tries < 200 && IsWindow(browser); tries++) Sleep(50);
    for (int tries = 0; tries < 200 && !wizard.control(IDC_INSTALL).enabled; tries++) Sleep(50);
}

TEST_F(WizardScenario, CancelledBrowserPutsTheDefaultFolderBack)
{
    TestProfile profile;
    Wizard wizard(profile.path);
    ASSERT_NO_FATAL_FAILURE(expectPrompt(wizard));
    HWND browser = openBrowser(wizard);
    ASSERT_NE(browser, nullptr) << "no folder browser";
    EXPECT_EQ(windowText(GetDlgItem(browser, 14146)), "select a folder");
    EXPECT_FALSE(wizard.control(IDC_INSTALL).enabled) << "install is disabled while the browser is open";
    cancelBrowser(wizard, browser);
    EXPECT_EQ(wizard.control(IDC_FOLDER_TEXT).text, installFolder);
    EXPECT_TRUE(wizard.control(IDC_INSTALL).enabled) << wizard.describe();
    EXPECT_TRUE(wizard.waitUntilFocused(IDC_INSTALL)) << wizard.describe();
    wizard.close();
    EXPECT_EQ(wizard.waitForExit(), 0u);
}

TEST_F(WizardScenario, FolderChosenInTheBrowserIsUsed)
{
    const std::string chosen = "C:\\Arvendal\\Chosen Place";
    CreateDirectoryA("C:\\Arvendal", nullptr);
    CreateDirectoryA(chosen.c_str(), nullptr);
    TestProfile profile;
    Wizard wizard(profile.path);
    ASSERT_NO_FATAL_FAILURE(expectPrompt(wizard));
    HWND browser = openBrowser(wizard);
    ASSERT_NE(browser, nullptr) << "no folder browser";
    selectDriveC(browser);
    treeKeys(browser, {VK_RIGHT, VK_RIGHT});
    treeType(browser, "Arvendal");
    treeKeys(browser, {VK_RIGHT, VK_RIGHT});  // its only folder
    confirmBrowser(wizard, browser, chosen);
    EXPECT_EQ(wizard.control(IDC_FOLDER_TEXT).text, chosen) << wizard.describe();
    ASSERT_TRUE(wizard.control(IDC_INSTALL).enabled) << wizard.describe();
    wizard.click(IDC_INSTALL);
    ASSERT_TRUE(wizard.waitUntilShown(IDC_EXIT)) << wizard.describe();
    EXPECT_TRUE(fileExists(chosen + "\\QRV.EXE")) << "installed into the chosen folder";
    EXPECT_FALSE(folderExists(installFolder)) << "not into the default one";
    LinkFields desktop = readLink(profile.path + "\\Desktop\\QRV.lnk");
    EXPECT_STRCASEEQ(desktop.path.c_str(), (chosen + "\\QRV.EXE").c_str());
    wizard.click(IDC_EXIT);
    EXPECT_EQ(wizard.waitForExit(), 0u);
}

TEST_F(WizardScenario, DriveRootChosenLeavesInstallDisabled)
{
    TestProfile profile;
    Wizard wizard(profile.path);
    ASSERT_NO_FATAL_FAILURE(expectPrompt(wizard));
    HWND browser = openBrowser(wizard);
    ASSERT_NE(browser, nullptr) << "no folder browser";
    selectDriveC(browser);
    confirmBrowser(wizard, browser, "C:\\");
    // The line shows the folder as chosen; validation has cut it to "C:".
    EXPECT_EQ(wizard.control(IDC_FOLDER_TEXT).text, "C:\\") << wizard.describe();
    EXPECT_FALSE(wizard.control(IDC_INSTALL).enabled) << wizard.describe();
    wizard.click(IDC_INSTALL);
    Sleep(500);
    EXPECT_TRUE(wizard.control(IDC_INSTALL).visible) << "a disabled install button does nothing";
    wizard.close();
    EXPECT_EQ(wizard.waitForExit(), 0u);
    EXPECT_FALSE(folderExists("C:\\Arvendal"));
}

// Wine reports the Windows version its settings name; a program started
// after a change sees the new one.
void claimWindowsVersion(const char* version)
{
    HKEY wine;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine", 0, nullptr, 0, KEY_SET_VALUE, nullptr, &wine, nullptr) !=
        ERROR_SUCCESS)
        return;
    if (version) RegSetValueExA(wine, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version), DWORD(strlen(version) + 1));
    else RegDeleteValueA(wine, "Version");
    RegCloseKey(wine);
}

TEST_F(WizardScenario, OperatingSystemLineForEachWindowsVersion)
{
    const std::pair<const char*, const char*> versions[] = {
        {"winxp", "Operating System: Windows-XP"},
        {"win7", "Operating System: Windows-7"},
        {"win8", "Operating System: Windows-8"},
        // Without a manifest that declares Windows 10, the version query on
        // Windows 10 reports 6.2, as on Windows 8 (Wine does the same).
        {"win10", "Operating System: Windows-8"},
    };
    for (const auto& [version, line] : versions) {
        claimWindowsVersion(version);
        TestProfile profile;
        Wizard wizard(profile.path);
        ASSERT_TRUE(wizard.started()) << version;
        ASSERT_TRUE(wizard.waitUntilShown(IDC_INSTALL)) << version << ": " << wizard.describe();
        EXPECT_EQ(wizard.control(IDC_OS_TEXT).text, line) << version;
        EXPECT_EQ(wizard.control(IDC_ARCH_TEXT).text, std::string("Architecture: ") + EXPECTED_BITS + "-bit");
        wizard.close();
        EXPECT_EQ(wizard.waitForExit(), 0u) << version << ": an unsupported version still runs as usual";
    }
    claimWindowsVersion(nullptr);
}

}  // namespace
