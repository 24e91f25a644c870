// What the wizard scenarios share: the product's files as they must arrive,
// the checks of the prompt, the installed files, the links and the error
// box, and the folder browser driven by keyboard.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <initializer_list>
#include <string>

#include "wizard_driver.h"

extern const std::string installFolder;

// The architecture the prefix has: 64 unless the run names another.
extern const char* const EXPECTED_BITS;

struct PayloadFile {
    const char* name;        // as the table writes it
    const char* source;      // the stand-in it was packed from
    unsigned long long time; // the stored time stamp
};
extern const PayloadFile payloads[5];

std::string payloadSource(const PayloadFile& payload);

// Each scenario starts and ends without the product's folder.
class WizardScenario : public ::testing::Test {
protected:
    void SetUp() override { removeTree("C:\\Arvendal"); }
    void TearDown() override { removeTree("C:\\Arvendal"); }
};

// Waits for the prompt and checks it as the phase table has it. Scenarios
// call it through ASSERT_NO_FATAL_FAILURE: without a window or a prompt
// there is nothing more to check.
void expectPrompt(const Wizard& wizard);
// Every file in the default folder, its bytes and its three times.
void expectInstalledFiles();
void expectLinks(const TestProfile& profile);
// The error box as the user sees it, dismissed; then the exit code 1.
void expectFatalBox(Wizard& wizard, int code, const std::string& text);

// ---- the folder browser ---------------------------------------------------
HWND openBrowser(const Wizard& wizard);
void treeKeys(HWND browser, std::initializer_list<WORD> keys);
void treeType(HWND browser, const char* letters);
void selectDriveC(HWND browser);
void confirmBrowser(const Wizard& wizard, HWND browser, const std::string& shown);
void cancelBrowser(const Wizard& wizard, HWND browser);
