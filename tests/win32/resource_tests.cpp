// The setup program's resources as the program finds them: the dialog
// template, the logo, the icons and the payloads, all U.S. English.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>

#include "control_ids.h"

namespace {

constexpr WORD usEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);

// The resource's bytes, found in its U.S. English version only.
std::string resourceBytes(LPCSTR type, LPCSTR name)
{
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceExA(module, type, name, usEnglish);
    if (!found) return "";
    const char* bytes = static_cast<const char*>(LockResource(LoadResource(module, found)));
    return std::string(bytes, SizeofResource(module, found));
}

// Reads the fields of a classic dialog template in order.
struct TemplateReader {
    const std::string& bytes;
    size_t at = 0;
    WORD word()
    {
        WORD value;
        memcpy(&value, bytes.data() + at, 2);
        at += 2;
        return value;
    }
    DWORD dword() { return word() | DWORD(word()) << 16; }
    // A text or, after 0xFFFF, an ordinal (returned as "#N").
    std::string textOrOrdinal()
    {
        WORD first = word();
        if (first == 0xFFFF) return "#" + std::to_string(word());
        std::string text;
        for (WORD c = first; c != 0; c = word()) text += char(c);
        return text;
    }
    void alignToDword() { at = (at + 3) & ~size_t(3); }
};

struct Control {
    DWORD style;
    short x, y, cx, cy;
    WORD id;
    std::string className, text;
};

TEST(Resources, DialogTemplateIsTheClassicSetupDialog)
{
    std::string bytes = resourceBytes(RT_DIALOG, "SETUP");
    ASSERT_EQ(bytes.size(), 986u);
    TemplateReader reader{bytes};
    EXPECT_EQ(reader.dword(), 0x90C800C0u) << "style";
    EXPECT_EQ(reader.dword(), 0u) << "extended style";
    WORD count = reader.word();
    ASSERT_EQ(count, 13);
    EXPECT_EQ(reader.word(), 10);
    EXPECT_EQ(reader.word(), 10);
    EXPECT_EQ(reader.word(), 245);
    EXPECT_EQ(reader.word(), 169);
    EXPECT_EQ(reader.textOrOrdinal(), "") << "no menu";
    EXPECT_EQ(reader.textOrOrdinal(), "") << "the default class";
    EXPECT_EQ(reader.textOrOrdinal(), "QRV Installation Wizard");
    EXPECT_EQ(reader.word(), 10) << "points";
    EXPECT_EQ(reader.textOrOrdinal(), "System");

    const Control expected[] = {
        {0x50000006, 7, 7, 70, 54, IDC_LOGO, "#130", ""},
        {0x50020001, 82, 7, 157, 54, IDC_INFO_TEXT, "#130", "version"},
        {0x50020001, 7, 65, 232, 13, IDC_NOTICE_TEXT, "#130", "You may need to disable your antivirus before proceeding."},
        {0x50020001, 7, 79, 232, 13, IDC_OS_TEXT, "#130", "Operating System"},
        {0x50020001, 7, 93, 232, 13, IDC_ARCH_TEXT, "#130", "Architecture"},
        {0x50020001, 7, 107, 232, 13, IDC_STATUS_TEXT, "#130", "extracting files"},
        {0x50020001, 7, 121, 232, 13, IDC_FOLDER_TEXT, "#130", "C:\\Arvendal\\QRV"},
        {0x50020001, 7, 135, 232, 13, IDC_PROMPT_TEXT, "#130", "install in this folder or select some other folder"},
        {0x50010000, 13, 149, 106, 14, IDC_INSTALL, "#128", "install in this folder"},
        {0x50010000, 127, 149, 106, 14, IDC_BROWSE, "#128", "select another folder"},
        {0x50010000, 110, 149, 26, 14, IDC_EXIT, "#128", "Quit"},
        {0x50000000, 7, 121, 232, 13, IDC_EXTRACT_PROGRESS, "MSCTLS_PROGRESS32", "extracting"},
        {0x50000000, 7, 149, 232, 13, IDC_COPY_PROGRESS, "MSCTLS_PROGRESS32", "extracting"},
    };
    for (const Control& control : expected) {
        reader.alignToDword();
        EXPECT_EQ(reader.dword(), control.style) << control.id;
        EXPECT_EQ(reader.dword(), 0u) << control.id;
        EXPECT_EQ(short(reader.word()), control.x) << control.id;
        EXPECT_EQ(short(reader.word()), control.y) << control.id;
        EXPECT_EQ(short(reader.word()), control.cx) << control.id;
        EXPECT_EQ(short(reader.word()), control.cy) << control.id;
        EXPECT_EQ(reader.word(), control.id);
        EXPECT_STRCASEEQ(reader.textOrOrdinal().c_str(), control.className.c_str()) << control.id;
        EXPECT_EQ(reader.textOrOrdinal(), control.text) << control.id;
        EXPECT_EQ(reader.word(), 0) << "no creation data, control " << control.id;
    }
    EXPECT_EQ(reader.at, bytes.size());
}

TEST(Resources, LogoIsA140By108TwentyFourBitBitmapWithoutColourTable)
{
    std::string bytes = resourceBytes(RT_BITMAP, "LOGO");
    ASSERT_EQ(bytes.size(), 45400u);
    BITMAPINFOHEADER header;
    memcpy(&header, bytes.data(), sizeof header);
    EXPECT_EQ(header.biSize, 40u);
    EXPECT_EQ(header.biWidth, 140);
    EXPECT_EQ(header.biHeight, 108);
    EXPECT_EQ(header.biPlanes, 1);
    EXPECT_EQ(header.biBitCount, 24);
    EXPECT_EQ(header.biCompression, DWORD(BI_RGB));
    EXPECT_EQ(header.biSizeImage, 45360u);
    EXPECT_EQ(header.biClrUsed, 0u);
}

TEST(Resources, IconsAndPayloads)
{
    EXPECT_EQ(resourceBytes(RT_ICON, MAKEINTRESOURCEA(1)).size(), 744u) << "32 x 32, 16 colours";
    EXPECT_EQ(resourceBytes(RT_ICON, MAKEINTRESOURCEA(2)).size(), 296u) << "16 x 16, 16 colours";
    EXPECT_FALSE(resourceBytes(RT_GROUP_ICON, MAKEINTRESOURCEA(1)).empty());
    for (const char* name : {"QRV.EXE", "QRV.HLP", "DOCREADER.EXE", "HELP.QRD", "SHAPES.QRD"}) {
        std::string container = resourceBytes(RT_RCDATA, name);
        ASSERT_GE(container.size(), 16u) << name;
        EXPECT_EQ(container.substr(0, 4), "LzaR") << name << " is a version-1 container";
    }
}

}  // namespace
