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
#include "scenarios.h"
#include "win32_support.h"
#include "wizard_driver.h"

namespace {

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

const std::string chosen = "C:\\Arvendal\\Chosen Place";

// Chooses C:\Arvendal\Chosen Place (made here, the only folder in
// C:\Arvendal) in the browser's tree, and confirms it.
void chooseTheChosenPlace(const Wizard& wizard)
{
    CreateDirectoryA("C:\\Arvendal", nullptr);
    CreateDirectoryA(chosen.c_str(), nullptr);
    HWND browser = openBrowser(wizard);
    ASSERT_NE(browser, nullptr) << "no folder browser";
    selectDriveC(browser);
    treeKeys(browser, {VK_RIGHT, VK_RIGHT});
    treeType(browser, "Arvendal");
    treeKeys(browser, {VK_RIGHT, VK_RIGHT});  // its only folder
    confirmBrowser(wizard, browser, chosen);
}

TEST_F(WizardScenario, FolderChosenInTheBrowserIsUsed)
{
    TestProfile profile;
    Wizard wizard(profile.path);
    ASSERT_NO_FATAL_FAILURE(expectPrompt(wizard));
    ASSERT_NO_FATAL_FAILURE(chooseTheChosenPlace(wizard));
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

// A folder that passes the rules but cannot be created (a file took its
// place after it was chosen): the install click does nothing, silently,
// and the user may choose again.
TEST_F(WizardScenario, FolderThatCannotBeCreatedLeavesThePromptAsItWas)
{
    TestProfile profile;
    Wizard wizard(profile.path);
    ASSERT_NO_FATAL_FAILURE(expectPrompt(wizard));
    ASSERT_NO_FATAL_FAILURE(chooseTheChosenPlace(wizard));
    ASSERT_TRUE(wizard.control(IDC_INSTALL).enabled) << wizard.describe();
    RemoveDirectoryA(chosen.c_str());
    writeWholeFile(chosen, "a file, not a folder");
    wizard.click(IDC_INSTALL);
    Sleep(1000);
    EXPECT_TRUE(wizard.control(IDC_INSTALL).visible) << wizard.describe();
    EXPECT_TRUE(wizard.control(IDC_INSTALL).enabled) << wizard.describe();
    EXPECT_TRUE(wizard.control(IDC_BROWSE).visible) << wizard.describe();
    EXPECT_EQ(wizard.control(IDC_FOLDER_TEXT).text, chosen);
    EXPECT_FALSE(folderExists(installFolder));
    EXPECT_FALSE(fileExists(profile.path + "\\Desktop\\QRV.lnk"));
    wizard.close();
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
