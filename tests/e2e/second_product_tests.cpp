// A second product, built from its own manifest by the same sources: its
// own title, texts, logo, files, links and a folder on drive D:, installed
// through its dialog as a person would.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "control_ids.h"
#include "win32_support.h"
#include "wizard_driver.h"

namespace {

const std::string notesFolder = "D:\\Brindle\\Notes";

struct SecondProduct : ::testing::Test {
    void SetUp() override { removeTree("D:\\Brindle"); }
    void TearDown() override { removeTree("D:\\Brindle"); }
};

void expectFileLike(const std::string& installed, const std::string& source, unsigned long long time)
{
    FileTimes times;
    ASSERT_TRUE(readFileTimes(installed, &times)) << installed;
    EXPECT_EQ(readWholeFile(installed), readWholeFile(source)) << installed;
    EXPECT_EQ(fileTimeValue(times.creation), time) << installed;
    EXPECT_EQ(fileTimeValue(times.lastWrite), time) << installed;
}

TEST_F(SecondProduct, InstallsOnDriveDWithItsOwnTitleLogoFilesAndLinks)
{
    ASSERT_TRUE(folderExists("D:\\")) << "the prefix has no drive D:";
    TestProfile profile;
    Wizard wizard(profile.path, SECOND_SETUP, [](HWND window) { return windowText(window) == "Brindle Notes Setup"; });
    ASSERT_TRUE(wizard.started()) << "no window 'Brindle Notes Setup'";
    ASSERT_TRUE(wizard.waitUntilFocused(IDC_INSTALL)) << "no prompt; " << wizard.describe();
    EXPECT_EQ(wizard.control(IDC_INFO_TEXT).text,
              "This program will install\nVersion 2.0 of Notes\nBrindle Notes\nby the Brindlemoor Press\n");
    EXPECT_EQ(wizard.control(IDC_FOLDER_TEXT).text, notesFolder);
    // Its own logo: a green field where the shipped one is dark blue.
    RECT area;
    GetWindowRect(GetDlgItem(wizard.window(), IDC_LOGO), &area);
    Sleep(300);
    HDC screen = GetDC(nullptr);
    COLORREF corner = GetPixel(screen, area.left + 2, area.bottom - 3);
    ReleaseDC(nullptr, screen);
    EXPECT_GT(GetGValue(corner), GetRValue(corner) + 30) << std::hex << corner;
    EXPECT_GT(GetGValue(corner), GetBValue(corner) + 30) << std::hex << corner;

    wizard.click(IDC_INSTALL);
    ASSERT_TRUE(wizard.waitUntilShown(IDC_EXIT)) << "install did not finish; " << wizard.describe();
    expectFileLike(notesFolder + "\\Notes.exe", QRV_STANDIN, 133536816000000000ull);  // 2024-02-29 12:00:00
    // README.TXT carries its source's own modification time.
    std::string readme = std::string(SECOND_PRODUCT_DIR) + "\\README.TXT";
    FileTimes source;
    ASSERT_TRUE(readFileTimes(readme, &source));
    expectFileLike(notesFolder + "\\README.TXT", readme, fileTimeValue(source.lastWrite));

    for (const char* link : {"\\Desktop\\Notes.lnk", "\\Start Menu\\Programs\\Brindle\\Notes.lnk"}) {
        LinkFields fields = readLink(profile.path + link);
        ASSERT_TRUE(fields.loaded) << link;
        EXPECT_STRCASEEQ(fields.path.c_str(), (notesFolder + "\\Notes.EXE").c_str()) << link;
        EXPECT_EQ(fields.description, "Brindle Notes\nby the Brindlemoor Press") << link;
        EXPECT_STRCASEEQ(fields.workingDirectory.c_str(), notesFolder.c_str()) << link;
    }
    wizard.click(IDC_EXIT);
    EXPECT_EQ(wizard.waitForExit(), 0u);
}

}  // namespace
