// The dialog's own words, which a product's manifest may give in its own
// language ([texts]): each one's key there, the macro the build defines it
// as in the product's header (for the dialog template and the wizard), and
// the English it has when the manifest leaves it out.
#pragma once

struct DialogText {
    const char* key;
    const char* macro;
    const char* english;
};

// The information text's placeholders, each once, in any order: the product's
// version, name and description.
constexpr const char* informationPlaceholders[] = {"{version}", "{name}", "{description}"};

constexpr DialogText dialogTexts[] = {
    {"information", "TEXT_INFORMATION", "This program will install\nVersion {version} of {name}\n{description}\n"},
    {"notice", "TEXT_NOTICE", "You may need to disable your antivirus before proceeding."},
    {"operatingSystem", "TEXT_OPERATING_SYSTEM", "Operating System"},
    {"unsupportedSystem", "TEXT_UNSUPPORTED_SYSTEM", "unsupported"},
    {"architecture", "TEXT_ARCHITECTURE", "Architecture"},
    {"unsupportedArchitecture", "TEXT_UNSUPPORTED_ARCHITECTURE", "unsupported architecture"},
    {"extracting", "TEXT_EXTRACTING", "extracting files"},
    {"folderPrompt", "TEXT_FOLDER_PROMPT", "The files will be installed in the following folder:"},
    {"choicePrompt", "TEXT_CHOICE_PROMPT", "Install in this folder or some other path of your choosing?"},
    {"installButton", "TEXT_INSTALL_BUTTON", "install in this folder"},
    {"browseButton", "TEXT_BROWSE_BUTTON", "select another folder"},
    {"browseTitle", "TEXT_BROWSE_TITLE", "select a folder"},
    {"quitButton", "TEXT_QUIT_BUTTON", "Quit"},
    {"exitButton", "TEXT_EXIT_BUTTON", "Exit"},
    {"copying", "TEXT_COPYING", "Copying files..."},
    {"copied", "TEXT_COPIED", "Files have been copied to the following folder:"},
    {"installed", "TEXT_INSTALLED", "The software has been successfully installed."},
};

// The survey lines are a word, ": " and a value ("Windows-XP", "64-bit"),
// formatted into buffers of this many UTF-16 units; each word may take
// up to surveyWordLimit of them.
constexpr unsigned surveyLineSize = 128;
constexpr unsigned surveyWordLimit = 100;
