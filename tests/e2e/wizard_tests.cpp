// The real setup.exe, driven through its dialog as a person would, phase by
// phase, with what it leaves on the drive, run from a downloads folder that
// holds planted DLLs; a large product's extraction watched. Each scenario
// starts from a machine without the product.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <regex>
#include <set>
#include <sstream>
#include <tuple>
#include <vector>

#include "control_ids.h"
#include "win32_support.h"

namespace {

// The product: its title, default folder, information text, and each file
// with its source and stored time.
const char* const title = "QRV Installation Wizard";
const std::string defaultFolder = "C:\\Arvendal\\QRV",
                  description = "Chart Studio && Data Sifter\nby Orvel K. Tamsin\nBrindlemoor, Wessex";
const std::pair<const char*, unsigned long long> files[] = {
    {"QRV.EXE", 133143077820000000ull}, {"QRV.HLP", 132243532420000000ull}, {"DocReader.EXE", 127005267040000000ull},
    {"HELP.QRD", 132080257960000000ull}, {"SHAPES.QRD", 130129324680000000ull}};
std::string sourceOf(const std::string& name)
{
    return name == "QRV.EXE" ? QRV_STANDIN : name == "DocReader.EXE" ? DOCREADER_STANDIN : sourcePath("resources/payloads/" + name);
}
const std::string architecture = std::string("Architecture: ") + (getenv("EXPECTED_BITS") ? getenv("EXPECTED_BITS") : "64") + "-bit";

struct Scenario : ::testing::Test {
    void SetUp() override { removeTree("C:\\Arvendal"); }
    void TearDown() override { removeTree("C:\\Arvendal"); }
};

Wizard start(const std::string& profile, const std::string& program = SETUP_EXE, const std::string& currentFolder = "")
{
    return Wizard(profile, program, [](HWND window) { return windowText(window) == title; }, 50, currentFolder);
}

// What the controls `ids` show, in one line: each one's text, "-" when
// hidden, with "(disabled)" when it is.
std::string shown(const Wizard& wizard, std::initializer_list<int> ids)
{
    std::string line;
    for (int id : ids) {
        ControlState state = wizard.control(id);
        line += (state.visible ? state.text : "-") + (state.visible && !state.enabled ? "(disabled)|" : "|");
    }
    return line;
}

// The prompt as the phase table has it, complete once install has the focus.
void expectPrompt(const Wizard& wizard, const std::string& folder = defaultFolder)
{
    ASSERT_TRUE(wizard.started() && wizard.waitUntilShown(IDC_INSTALL) && wizard.waitUntilFocused(IDC_INSTALL))
        << wizard.describe();
    EXPECT_EQ(shown(wizard, {IDC_STATUS_TEXT, IDC_FOLDER_TEXT, IDC_PROMPT_TEXT, IDC_INSTALL, IDC_BROWSE, IDC_EXIT,
                             IDC_EXTRACT_PROGRESS, IDC_COPY_PROGRESS}),
              "The files will be installed in the following folder:|" + folder +
                  "|Install in this folder or some other path of your choosing?|install in this folder|select another "
                  "folder|-|-|-|");
}

// A user of a run: a profile (USERPROFILE, without the folders the program
// falls back on) and the shell's desktop and programs folders, in it as
// Windows keeps them or on a cloud drive; with no name, the prefix's own
// user as Wine makes it, without USERPROFILE, which the shell does not need.
struct TestUser {
    explicit TestUser(const char* name = nullptr, bool redirected = false)
        : profile(false, false, name ? name : ""), cloud(" OneDrive"),
          desktop(!name ? shellFolder(CSIDL_DESKTOPDIRECTORY) : redirected ? cloud / "Desktop" : profile / "Desktop"),
          programs(!name ? shellFolder(CSIDL_PROGRAMS)
                         : (redirected ? cloud.path : profile / "AppData\\Roaming\\Microsoft\\Windows") + "\\Start Menu\\Programs")
    {
        if (name) shell.emplace(desktop, programs);
        for (const std::string& folder : {desktop, programs}) SHCreateDirectoryExW(nullptr, wide(folder).c_str(), nullptr);
        removeLinks();  // an earlier run's (make run's)
    }
    ~TestUser() { removeLinks(); }
    void removeLinks() const { DeleteFileW(wide(desktop + "\\QRV.lnk").c_str()), removeTree(programs + "\\Arvendal"); }
    TestProfile profile;
    ScratchFolder cloud;
    std::string desktop, programs;
    std::optional<ShellFolders> shell;
};

// Every file in the folder with its bytes and three times, and both links
// in the user's folders.
void expectInstalled(const std::string& folder, const TestUser& user)
{
    for (const auto& [name, time] : files) {
        std::string path = folder + "\\" + name;
        EXPECT_EQ(fileTimesText(path), " " + std::to_string(time) + " " + std::to_string(time) + " " + std::to_string(time));
        EXPECT_TRUE(fileExists(path) && readWholeFile(path) == readWholeFile(sourceOf(name))) << path << " differs";
    }
    std::string link = upperCase(folder + "\\QRV.EXE") + "||" + description + "|" + upperCase(folder) + "|" +
                       std::to_string(SW_SHOWNORMAL);
    for (const std::string& in : {user.desktop + "\\", user.programs + "\\Arvendal\\"})
        EXPECT_EQ(linkText(in + "QRV.lnk"), link) << in;
}

// The paths an install may change: the default folder and its parents, or
// a folder that is there already; the files; the desktop link, and the
// group's folder and link.
std::string installPaths(const TestUser& user, const std::string& folder = "")
{
    DriveSnapshot paths;
    if (folder.empty()) paths = {{"C:\\ARVENDAL", ""}, {"C:\\ARVENDAL\\QRV", ""}};
    for (const auto& file : files) paths[upperCase((folder.empty() ? defaultFolder : folder) + "\\" + file.first)] = {};
    for (const std::string& link : {user.desktop + "\\QRV.lnk", user.programs + "\\Arvendal", user.programs + "\\Arvendal\\QRV.lnk"})
        paths[upperCase(link)] = {};
    return changedPaths({}, paths);
}

// A bar as "POSITION of LOW..HIGH" (PBM_GETRANGE's TRUE asks for the low one).
std::string bar(const Wizard& wizard, int id)
{
    HWND bar = GetDlgItem(wizard.window(), id);
    return std::to_string(SendMessageA(bar, PBM_GETPOS, 0, 0)) + " of " +
           std::to_string(SendMessageA(bar, PBM_GETRANGE, TRUE, 0)) + ".." + std::to_string(SendMessageA(bar, PBM_GETRANGE, FALSE, 0));
}

// DLLs that Windows and the shell load on demand, planted in the downloads
// and the current folder. Wine prefers them to its own only when told to
// (WINEDLLOVERRIDES, set by CTest), which a load in this process checks. Wine's
// user32 (not Windows') imports version.dll, taken from beside any GUI program
// before its code runs: that one goes in the current folder only.
void plantDlls(const ScratchFolder& downloads, const ScratchFolder& current)
{
    std::stringstream list(PLANTED_DLLS);
    for (std::string name; std::getline(list, name, ',');) {
        if (name != "version") CopyFileA((PLANTED_DLL_FOLDER "\\" + name + ".dll").c_str(), (downloads / name + ".dll").c_str(), FALSE);
        CopyFileA((PLANTED_DLL_FOLDER "\\" + name + ".dll").c_str(), (current / name + ".dll").c_str(), FALSE);
    }
    SetDllDirectoryA(current.path.c_str());
    FreeLibrary(LoadLibraryA("cryptbase.dll"));
    SetDllDirectoryA(nullptr);
    ASSERT_TRUE(DeleteFileA((current / "cryptbase.dll.loaded").c_str())) << "WINEDLLOVERRIDES does not prefer planted DLLs";
    const char* program = getenv("SETUP_UNDER_TEST");  // a signed copy, for one
    ASSERT_TRUE(CopyFileA(program ? program : SETUP_EXE, (downloads / "setup.exe").c_str(), FALSE));
}

// Run from a downloads folder with planted DLLs: a DLL loaded leaves a marker
// beside itself, which the drive's snapshot shows.
TEST_F(Scenario, TypicalRunInstallsEveryFileAndBothShortcutsAndNothingElse)
{
    ScratchFolder downloads, current;
    ASSERT_NO_FATAL_FAILURE(plantDlls(downloads, current));
    // This prefix's user; users named in letters the Western code page
    // lacks; a user whose desktop and Start menu are on a cloud drive.
    ASSERT_EQ(GetACP(), 1252u) << "Wine runs with another code page than the Western one";
    for (const auto& [name, redirected] : {std::pair<const char*, bool>{nullptr, false}, {" Дмитрий", false},
                                           {" Łukasz", false}, {" Jane", true}}) {
        SCOPED_TRACE(name ? name : "this prefix's user");
        removeTree("C:\\Arvendal");
        TestUser user(name, redirected);
        DriveSnapshot before = snapshotTree("C:");
        {
            Wizard wizard = start(name ? user.profile.path + "\\" : "", downloads / "setup.exe", current.path);
            ASSERT_NO_FATAL_FAILURE(expectPrompt(wizard));
            EXPECT_EQ(shown(wizard, {IDC_INFO_TEXT, IDC_NOTICE_TEXT, IDC_OS_TEXT, IDC_ARCH_TEXT}),
                      "This program will install\nVersion 6.10 of QRV\n" + description +
                          "\n|You may need to disable your antivirus before proceeding.|Operating System: Windows-7|" + architecture + "|");
            // The logo is drawn, stretched over its control: its dark field is on the screen.
            HWND logo = GetDlgItem(wizard.window(), IDC_LOGO);
            RECT area, window;
            GetWindowRect(logo, &area);
            Sleep(300);  // the first painting done
            HDC screen = GetDC(nullptr);
            COLORREF corner = GetPixel(screen, area.left + 2, area.bottom - 3);
            ReleaseDC(nullptr, screen);
            EXPECT_LT(GetRValue(corner) + GetGValue(corner) + GetBValue(corner), 3 * 128) << "no dark logo on the screen";
            GetWindowRect(wizard.window(), &window);
            EXPECT_LE(abs(window.left + window.right - GetSystemMetrics(SM_CXSCREEN)) +
                          abs(window.top + window.bottom - GetSystemMetrics(SM_CYSCREEN)), 2) << "centred";
            EXPECT_EQ(bar(wizard, IDC_EXTRACT_PROGRESS), "1000 of 0..1000") << "full once every payload is decoded";
            wizard.pressKey(VK_ESCAPE);
            wizard.pressKey(VK_RETURN);
            Sleep(500);
            ASSERT_NO_FATAL_FAILURE(expectPrompt(wizard)) << "Escape and Enter do nothing";

            ASSERT_TRUE(wizard.click(IDC_INSTALL));
            ASSERT_TRUE(wizard.waitUntilShown(IDC_EXIT) && wizard.waitUntilFocused(IDC_EXIT)) << wizard.describe();
            EXPECT_EQ(shown(wizard, {IDC_STATUS_TEXT, IDC_FOLDER_TEXT, IDC_PROMPT_TEXT, IDC_INSTALL, IDC_BROWSE, IDC_EXIT, IDC_COPY_PROGRESS}),
                      "Files have been copied to the following folder:|" + defaultFolder +
                          "|The software has been successfully installed.|-|-|Exit|-|");
            EXPECT_EQ(bar(wizard, IDC_COPY_PROGRESS), "4 of 0..5");
            ASSERT_TRUE(wizard.click(IDC_EXIT));
            EXPECT_EQ(wizard.waitForExit(), 0u);
        }
        expectInstalled(defaultFolder, user);
        EXPECT_EQ(changedPaths(before, snapshotTree("C:")), installPaths(user));
    }
}

// How much of the bar the screen shows filled: the share of its middle row
// in the colour of its first filled pixel, in thousandths.
int paintedFill(HWND bar)
{
    RECT area;
    GetWindowRect(bar, &area);
    HDC screen = GetDC(nullptr);
    int y = (area.top + area.bottom) / 2, filled = 0, looked = 0;
    COLORREF fill = GetPixel(screen, area.left + 3, y);
    for (int x = area.left + 3; x < area.right - 3; x += 8, looked++) filled += GetPixel(screen, x, y) == fill;
    ReleaseDC(nullptr, screen);
    return filled * 1000 / looked;
}

// A product too large to decode before the dialog shows: while it decodes,
// the dialog is painted, answers, and shows its bar filled further and
// further, in step with the position it was given.
TEST_F(Scenario, ALargeProductsExtractionIsSeenAsItGoes)
{
    Wizard wizard = start("", LARGE_SETUP);
    HWND extraction = GetDlgItem(wizard.window(), IDC_EXTRACT_PROGRESS);
    std::set<int> fills;
    DWORD_PTR answered = 0;
    wizard.waitUntil([&] {
        int position = int(SendMessageA(extraction, PBM_GETPOS, 0, 0)), fill = paintedFill(extraction);
        if (IsWindowVisible(extraction) && position > 0 && position < 1000 && abs(fill - position) < 150) fills.insert(fill / 50);
        answered += SendMessageTimeoutA(wizard.window(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 200, nullptr) != 0;
        return wizard.control(IDC_INSTALL).visible;
    }, 60, 10);
    EXPECT_GE(fills.size(), 3u) << "the bar seen painted at too few places between its ends";
    EXPECT_GE(answered, 5u) << "the dialog did not answer while it decoded";
    ASSERT_NO_FATAL_FAILURE(expectPrompt(wizard));
    EXPECT_EQ(bar(wizard, IDC_EXTRACT_PROGRESS), "1000 of 0..1000");
}

// The folder browser, opened from the wizard and driven by keyboard as a
// person would: keys, then type-ahead, in its tree, each given time to
// settle; then OK or Cancel, after which the wizard's line shows `shown`.
// Drive C: is the first child of "My Computer", the Desktop's child.
void browse(const Wizard& wizard, const std::vector<std::pair<std::vector<WORD>, const char*>>& steps, int button,
            const std::string& shown, const std::string& title = "select a folder")
{
    HWND browser = wizard.click(IDC_BROWSE) ? waitForWindowOf(wizard.processId(), [](HWND window) {
        return windowText(window) == "Browse for Folder";
    }, 10) : nullptr;
    ASSERT_NE(browser, nullptr) << "no folder browser";
    EXPECT_EQ(windowText(GetDlgItem(browser, 14146)) + ", install " + (wizard.control(IDC_INSTALL).enabled ? "enabled" : "disabled"),
              title + ", install disabled");
    for (const auto& [keys, letters] : steps) {
        for (WORD key : keys)
            PostMessageA(GetDlgItem(browser, 14145), WM_KEYDOWN, key, 1), PostMessageA(GetDlgItem(browser, 14145), WM_KEYUP, key, 0xC0000001);
        Sleep(700);
        for (const char* letter = letters; *letter; letter++) PostMessageA(GetDlgItem(browser, 14145), WM_CHAR, (unsigned char)*letter, 1);
        Sleep(*letters ? 1500 : 0);
    }
    PostMessageA(GetDlgItem(browser, button), BM_CLICK, 0, 0);
    EXPECT_TRUE(wizard.waitUntil([&] { return !IsWindow(browser) && wizard.control(IDC_FOLDER_TEXT).text == shown; }, 10))
        << "the folder line shows " << wizard.control(IDC_FOLDER_TEXT).text;
    Sleep(300);  // the handler enables the install button after the line
}
const std::vector<std::pair<std::vector<WORD>, const char*>> driveC = {{{VK_HOME, VK_RIGHT}, "My"}, {{VK_RIGHT, VK_RIGHT}, ""}};

TEST_F(Scenario, TheBrowserCancelledAtADrivesRootOrChoosingAFolderWithAnOlderInstall)
{
    const std::string chosen = "C:\\Arvendal\\Łódź дом";  // beyond the Western code page
    TestUser user(" Ola");
    Wizard wizard = start(user.profile.path);
    ASSERT_NO_FATAL_FAILURE(expectPrompt(wizard));
    ASSERT_NO_FATAL_FAILURE(browse(wizard, {}, IDCANCEL, defaultFolder));
    ASSERT_NO_FATAL_FAILURE(expectPrompt(wizard)) << "cancelled: the default folder back";
    ASSERT_NO_FATAL_FAILURE(browse(wizard, driveC, IDOK, "C:\\"));
    EXPECT_FALSE(wizard.click(IDC_INSTALL)) << "a drive's root leaves install disabled; " << wizard.describe();

    // The only folder in C:\Arvendal, chosen in the tree; while a file stands
    // in its place the install click silently does nothing. An older install
    // there, of longer files, is replaced, and nothing else changes.
    CreateDirectoryA("C:\\Arvendal", nullptr);
    CreateDirectoryW(wide(chosen).c_str(), nullptr);
    std::vector<std::pair<std::vector<WORD>, const char*>> toChosen = driveC;
    toChosen.insert(toChosen.end(), {{{VK_RIGHT, VK_RIGHT}, "Arvendal"}, {{VK_RIGHT, VK_RIGHT}, ""}});
    ASSERT_NO_FATAL_FAILURE(browse(wizard, toChosen, IDOK, chosen));
    RemoveDirectoryW(wide(chosen).c_str());
    writeWholeFile(chosen, "a file, not a folder");
    ASSERT_TRUE(wizard.click(IDC_INSTALL)) << wizard.describe();
    Sleep(1000);
    ASSERT_NO_FATAL_FAILURE(expectPrompt(wizard, chosen));
    DeleteFileW(wide(chosen).c_str());
    CreateDirectoryW(wide(chosen).c_str(), nullptr);
    for (const auto& file : files) writeWholeFile(chosen + "\\" + file.first, std::string(20000, 'o'));
    DriveSnapshot before = snapshotTree("C:");
    ASSERT_TRUE(wizard.click(IDC_INSTALL));
    ASSERT_TRUE(wizard.waitUntilShown(IDC_EXIT)) << wizard.describe();
    expectInstalled(chosen, user);
    EXPECT_EQ(changedPaths(before, snapshotTree("C:")), installPaths(user, chosen));
}

// A product made in other languages than English: a Russian name, a German
// maker and description (an emoji past U+FFFF in it), a Greek group, a
// Japanese file, and the dialog's words in French. Every text reads back
// from the windows as the manifest gave it; every file and link is there
// under its name, and nothing else; the version information holds the
// texts; a file that cannot be replaced is named in full in its box.
TEST_F(Scenario, AProductInOtherLanguagesIsShownAndInstalledAsItsManifestSays)
{
    const std::string folder = "C:\\Müller & Söhne\\Квант", program = "Квант", group = "Εργαλεία",
                      description = "Werkzeug für Ärzte 😀\nvon Müller && Söhne";
    // Each file, its source and its stored time (UTC).
    const std::tuple<std::string, std::string, SYSTEMTIME> unicodeFiles[] = {
        {"Квант.exe", QRV_STANDIN, {2026, 3, 0, 1, 8, 30, 0, 0}},
        {"概要.txt", SECOND_PRODUCT_README, {2025, 12, 0, 24, 18, 0, 0, 0}},
        {"Übersicht 😀.txt", SECOND_PRODUCT_README, {2024, 7, 0, 14, 12, 0, 0, 0}},
    };
    TestUser user(" Δημήτρης");
    auto removeProduct = [&] {
        removeTree("C:\\Müller & Söhne");
        DeleteFileW(wide(user.desktop + "\\" + program + ".lnk").c_str());
        removeTree(user.programs + "\\" + group);
    };
    removeProduct();
    DriveSnapshot before = snapshotTree("C:");
    {
        Wizard wizard(user.profile.path, UNICODE_SETUP, [](HWND window) { return windowText(window) == "Квант — Installation"; });
        ASSERT_TRUE(wizard.started() && wizard.waitUntilShown(IDC_INSTALL) && wizard.waitUntilFocused(IDC_INSTALL))
            << wizard.describe();
        EXPECT_EQ(shown(wizard, {IDC_INFO_TEXT, IDC_NOTICE_TEXT, IDC_OS_TEXT, IDC_ARCH_TEXT, IDC_STATUS_TEXT, IDC_FOLDER_TEXT,
                                 IDC_PROMPT_TEXT, IDC_INSTALL, IDC_BROWSE}),
                  "Ce programme installe\nКвант, version 3.1\n" + description +
                      "\n|Il faudra peut-être désactiver votre antivirus avant de continuer.|Système d'exploitation: "
                      "Windows-7|" + architecture + "|Les fichiers seront installés dans le dossier suivant :|" + folder +
                      "|Installer dans ce dossier ou dans un autre de votre choix ?|installer ici|choisir un autre dossier|");
        EXPECT_TRUE(GetWindowLongA(GetDlgItem(wizard.window(), IDC_FOLDER_TEXT), GWL_STYLE) & SS_NOPREFIX)
            << "the folder line shows \"&\" as a mnemonic";
        ASSERT_NO_FATAL_FAILURE(browse(wizard, {}, IDCANCEL, folder, "choisissez un dossier"));
        ASSERT_TRUE(wizard.click(IDC_INSTALL));
        ASSERT_TRUE(wizard.waitUntilShown(IDC_EXIT) && wizard.waitUntilFocused(IDC_EXIT)) << wizard.describe();
        EXPECT_EQ(shown(wizard, {IDC_STATUS_TEXT, IDC_PROMPT_TEXT, IDC_EXIT}),
                  "Les fichiers ont été copiés dans le dossier suivant :|Le logiciel a été installé.|Terminer|");
        ASSERT_TRUE(wizard.click(IDC_EXIT));
        EXPECT_EQ(wizard.waitForExit(), 0u);
    }
    DriveSnapshot paths = {{upperCase("C:\\Müller & Söhne"), ""}, {upperCase(folder), ""}};
    for (const auto& [name, source, time] : unicodeFiles) {
        std::string path = folder + "\\" + name;
        FILETIME stored;
        SystemTimeToFileTime(&time, &stored);
        std::string times = " " + std::to_string(uint64_t(stored.dwHighDateTime) << 32 | stored.dwLowDateTime);
        EXPECT_EQ(fileTimesText(path), times + times + times) << path;
        EXPECT_TRUE(fileExists(path) && readWholeFile(path) == readWholeFile(source)) << path << " differs";
        paths[upperCase(path)] = {};
    }
    const std::string link = upperCase(folder + "\\" + program + ".EXE") + "||" + description + "|" + upperCase(folder) +
                             "|" + std::to_string(SW_SHOWNORMAL);
    for (const std::string& in : {user.desktop + "\\", user.programs + "\\" + group + "\\"}) {
        EXPECT_EQ(linkText(in + program + ".lnk"), link) << in;
        paths[upperCase(in + program + ".lnk")] = {};
    }
    paths[upperCase(user.programs + "\\" + group)] = {};
    EXPECT_EQ(changedPaths(before, snapshotTree("C:")), changedPaths({}, paths));
    EXPECT_EQ(versionStrings(UNICODE_SETUP), "CompanyName=Müller & Söhne|FileDescription=Квант 3.1 Setup|FileVersion=3.1|"
                                             "LegalCopyright=© 2026 Müller & Söhne|ProductName=Квант|ProductVersion=3.1|");

    // Again over a read-only 概要.txt: the box names it as it is.
    SetFileAttributesW(wide(folder + "\\概要.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    {
        Wizard wizard(user.profile.path, UNICODE_SETUP, [](HWND window) { return windowText(window) == "Квант — Installation"; });
        ASSERT_TRUE(wizard.started() && wizard.waitUntilShown(IDC_INSTALL) && wizard.waitUntilFocused(IDC_INSTALL));
        ASSERT_TRUE(wizard.click(IDC_INSTALL));
        EXPECT_EQ(wizard.dismissBox(), "Fatal Error Code 212: can't delete file 概要.txt\nWin Err Code 5");
        EXPECT_EQ(wizard.waitForExit(), 1u);
    }
    SetFileAttributesW(wide(folder + "\\概要.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
    removeProduct();
}

// A reinstall over an older version on a drive that fills (no file may grow
// past 64 KiB: make test runs these alone, under that limit). The install
// stops at the first file that does not fit, with the write's code (Wine
// ends the write short, 228; Windows fails it, 223); the files before it
// are new, that file and every other stay the older version's, and no
// temporary file is left: the drive shows nothing else changed.
TEST_F(Scenario, ADriveThatFillsLeavesTheOlderFilesWhole)
{
    const std::string older[] = {"QRV.EXE", "QRV.HLP", "DocReader.EXE", "HELP.QRD", "SHAPES.QRD"};
    // The product, the file that does not fit, and the files it writes first.
    const std::pair<const char*, std::vector<std::string>> rows[] = {{LARGE_SETUP, {}}, {REINSTALL_SETUP, {"QRV.EXE"}}};
    for (const auto& [program, written] : rows) {
        SCOPED_TRACE(program);
        SHCreateDirectoryExA(nullptr, defaultFolder.c_str(), nullptr);
        for (const std::string& name : older) writeWholeFile(defaultFolder + "\\" + name, "an older " + name);
        DriveSnapshot before = snapshotTree("C:");
        Wizard wizard = start("", program);
        ASSERT_NO_FATAL_FAILURE(expectPrompt(wizard));
        ASSERT_TRUE(wizard.click(IDC_INSTALL));
        const std::regex box(R"(Fatal Error Code (223: can't write file|228: file write error) )" +
                             std::string(written.empty() ? "QRV.EXE" : "QRV.HLP") + R"(\nWin Err Code -?\d+)");
        std::string seen = wizard.dismissBox(60);
        EXPECT_TRUE(std::regex_match(seen, box)) << seen;
        EXPECT_EQ(wizard.waitForExit(), 1u);
        std::string changed;
        for (const std::string& name : written) changed += "\n  " + upperCase(defaultFolder + "\\" + name);
        EXPECT_EQ(changedPaths(before, snapshotTree("C:")), changed);
        for (const std::string& name : older) {
            bool isNew = std::find(written.begin(), written.end(), name) != written.end();
            EXPECT_TRUE(readWholeFile(defaultFolder + "\\" + name) == (isNew ? readWholeFile(sourceOf(name)) : "an older " + name))
                << name << (isNew ? " is not the new file" : " is not the older file");
        }
    }
}

}  // namespace
