// The setup wizard: the dialog procedure that sequences the whole run, its
// two button handlers, and the folder browser.
#pragma once

#include <windows.h>

// The step message the dialog posts to itself: WM_USER with the step code.
constexpr WPARAM STEP_EXTRACT = 1;
constexpr WPARAM STEP_PROMPT = 2;
constexpr WPARAM STEP_EXTRACTED = 3;  // from the decoding worker

INT_PTR CALLBACK setupDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
void onInstall(HWND dialog);
void onBrowse(HWND dialog);
void centerWindow(HWND dialog);

// The shell's folder browser: the chosen folder's path (in browsePath), or
// null when the user cancelled or the choice has no file-system path. The
// path is UTF-16, as the user named the folder.
const wchar_t* chooseFolder(HWND owner, const wchar_t* title);
