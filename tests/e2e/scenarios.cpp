// The wizard scenarios' shared checks and browser steps.
#include "scenarios.h"

#include <commctrl.h>
#include <cstdlib>

#include "control_ids.h"
#include "win32_support.h"

const std::string installFolder = "C:\\Arvendal\\QRV";

const char* const EXPECTED_BITS = getenv("EXPECTED_BITS") ? getenv("EXPECTED_BITS") : "64";

const PayloadFile payloads[5] = {
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
