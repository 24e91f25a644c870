// The dialog procedure: the program's main loop in all but name. It keeps no
// phase of its own; the phase is what the controls show, and each step moves
// it on by changing them.
#include <windows.h>

#include <commctrl.h>
#include <cwchar>
#include <initializer_list>

#include "control_ids.h"
#include "engine.h"
#include "dialog_texts.h"  // surveyLineSize
#include "folder_rules.h"
#include "information_text.h"
#include "shortcut_paths.h"
#include "survey_text.h"
#include "wizard.h"

namespace {

void showControl(HWND dialog, int id, bool shown) { ShowWindow(GetDlgItem(dialog, id), shown ? SW_SHOW : SW_HIDE); }

// ---- what the engine reports, shown --------------------------------------

HWND shownDialog;  // the dialog, once made

// Every text the dialog shows is UTF-16, in the product's language (the
// manifest's [texts], or English): the header's UTF-8 made wide.
#define DIALOG_TEXT(name) (L"" name)

// Each pass's bar and status lines: when it begins, and when it ends (none:
// the next step replaces the line).
struct PassControls {
    int bar;
    const wchar_t* begun;
    const wchar_t* ended;
};
constexpr PassControls passControls[] = {
    {IDC_EXTRACT_PROGRESS, DIALOG_TEXT(TEXT_EXTRACTING), nullptr},
    {IDC_COPY_PROGRESS, DIALOG_TEXT(TEXT_COPYING), DIALOG_TEXT(TEXT_COPIED)},
};

// The information text's format and values, checked to fit its buffer
// when built (the manifest's check says so first).
constexpr const wchar_t* informationFormat = DIALOG_TEXT(TEXT_INFORMATION);
constexpr const wchar_t* informationValues[3] = {installConfig.productVersion, installConfig.productName,
                                                 installConfig.productDescription};
static_assert(informationLength(informationFormat, informationValues) < infoTextSize,
              "the product's version, name and description do not fit the information text");

void passBegins(InstallPass pass, int range)
{
    const PassControls& controls = passControls[pass];
    SetDlgItemTextW(shownDialog, IDC_STATUS_TEXT, controls.begun);
    showControl(shownDialog, controls.bar, true);
    SendDlgItemMessageA(shownDialog, controls.bar, PBM_SETRANGE, 0, MAKELPARAM(0, WORD(range)));
}

void passSteps(InstallPass pass, int position)
{
    SendDlgItemMessageA(shownDialog, passControls[pass].bar, PBM_SETPOS, WPARAM(position), 0);
}

void passEnds(InstallPass pass)
{
    showControl(shownDialog, passControls[pass].bar, false);
    if (passControls[pass].ended) SetDlgItemTextW(shownDialog, IDC_STATUS_TEXT, passControls[pass].ended);
}

// On the decoding worker's thread: the dialog's own thread takes it on.
void extractionEnded() { PostMessageA(shownDialog, WM_USER, STEP_EXTRACTED, 0); }

// "Architecture: 64-bit" or "unsupported architecture"; "Operating System:
// Windows-XP" or "Operating System: unsupported", in the dialog's words.
void showSurvey(HWND dialog)
{
    wchar_t line[surveyLineSize];
    if (const char* bits = architectureValue())
        composeSurveyLine(line, surveyLineSize, DIALOG_TEXT(TEXT_ARCHITECTURE), bits);
    else
        composeSurveyLine(line, surveyLineSize, nullptr, DIALOG_TEXT(TEXT_UNSUPPORTED_ARCHITECTURE));
    SetDlgItemTextW(dialog, IDC_ARCH_TEXT, line);
    if (const char* version = osValue())
        composeSurveyLine(line, surveyLineSize, DIALOG_TEXT(TEXT_OPERATING_SYSTEM), version);
    else
        composeSurveyLine(line, surveyLineSize, DIALOG_TEXT(TEXT_OPERATING_SYSTEM), DIALOG_TEXT(TEXT_UNSUPPORTED_SYSTEM));
    SetDlgItemTextW(dialog, IDC_OS_TEXT, line);
}

void initialise(HWND dialog)
{
    shownDialog = dialog;
    installReport = InstallReport{passBegins, passSteps, passEnds, extractionEnded};
    centerWindow(dialog);
    wchar_t info[infoTextSize];
    fillInformation(info, infoTextSize, informationFormat, informationValues);
    SetDlgItemTextW(dialog, IDC_INFO_TEXT, info);
    for (int id : {IDC_FOLDER_TEXT, IDC_PROMPT_TEXT, IDC_EXTRACT_PROGRESS, IDC_COPY_PROGRESS, IDC_INSTALL, IDC_BROWSE})
        showControl(dialog, id, false);
    // From now on the dialog draws the logo. The style keeps WS_CHILD: a
    // control that loses it is no longer its dialog's child, and its drawing
    // requests then reach no one, leaving the logo blank.
    SetWindowLongA(GetDlgItem(dialog, IDC_LOGO), GWL_STYLE, WS_CHILD | WS_VISIBLE | SS_OWNERDRAW);
    showSurvey(dialog);
    PostMessageA(dialog, WM_USER, STEP_EXTRACT, 0);
}

// Between the end of the extraction and the prompt a dozen controls change.
// Drawn one by one on a visible dialog, each costs a repaint of its place;
// held, they are drawn once, together. The prompt step is posted, so no
// input or paint comes between the two steps.
void holdDrawing(HWND dialog) { SendMessageA(dialog, WM_SETREDRAW, FALSE, 0); }

void drawAgain(HWND dialog)
{
    SendMessageA(dialog, WM_SETREDRAW, TRUE, 0);
    RedrawWindow(dialog, nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN);
}

// The timer that brings the extraction bar up to date, and how often, in
// milliseconds.
constexpr UINT_PTR extractionTimer = 1;
constexpr UINT extractionTick = 30;

void showPrompt(HWND dialog)
{
    SetDlgItemTextW(dialog, IDC_STATUS_TEXT, DIALOG_TEXT(TEXT_FOLDER_PROMPT));
    showControl(dialog, IDC_FOLDER_TEXT, true);
    SetDlgItemTextW(dialog, IDC_FOLDER_TEXT, installFolder);
    showControl(dialog, IDC_PROMPT_TEXT, true);
    SetDlgItemTextW(dialog, IDC_PROMPT_TEXT, DIALOG_TEXT(TEXT_CHOICE_PROMPT));
    SetDlgItemTextW(dialog, IDC_EXIT, DIALOG_TEXT(TEXT_EXIT_BUTTON));
    showControl(dialog, IDC_EXIT, false);
    showControl(dialog, IDC_INSTALL, true);
    showControl(dialog, IDC_BROWSE, true);
}

// The logo, stretched over the whole item, whatever the bitmap's own size.
void drawLogo(const DRAWITEMSTRUCT* item)
{
    const BITMAPINFOHEADER& header = logoDib->bmiHeader;
    const RECT& area = item->rcItem;
    StretchDIBits(item->hDC, area.left, area.top, area.right - area.left, area.bottom - area.top, 0, 0,
                  header.biWidth, header.biHeight, reinterpret_cast<const BYTE*>(logoDib) + sizeof header, logoDib,
                  DIB_RGB_COLORS, SRCCOPY);
}

INT_PTR onCommand(HWND dialog, WPARAM wParam)
{
    WORD code = HIWORD(wParam);
    if (code != BN_CLICKED && code != BN_DOUBLECLICKED) return 0;
    switch (LOWORD(wParam)) {
    case IDC_INSTALL: onInstall(dialog); return 0;
    case IDC_BROWSE: onBrowse(dialog); return 0;
    case IDC_EXIT: return EndDialog(dialog, IDC_EXIT);
    default: return 0;  // IDOK and IDCANCEL too: Enter and Escape do nothing
    }
}

}  // namespace

INT_PTR CALLBACK setupDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        traceMark("setup: dialog made");
        initialise(dialog);
        return 1;
    case WM_USER:  // a step; also the dialog manager's DM_GETDEFID, with wParam 0
        if (wParam == STEP_EXTRACT) {
            traceMark("setup: extracting");
            // The bar follows the decoding worker on a timer while the
            // dialog keeps answering, until the worker tells it is done.
            passBegins(extractionPass, extractionRange);
            SetTimer(dialog, extractionTimer, extractionTick, nullptr);
            tellWhenExtracted();
        } else if (wParam == STEP_EXTRACTED) {
            KillTimer(dialog, extractionTimer);
            awaitExtraction();  // a failure is reported over the dialog as it stands
            holdDrawing(dialog);
            finishExtraction();
            PostMessageA(dialog, WM_USER, STEP_PROMPT, 0);
        } else if (wParam == STEP_PROMPT) {
            showPrompt(dialog);
            drawAgain(dialog);
            SetFocus(GetDlgItem(dialog, IDC_INSTALL));
            traceMark("setup: prompt");
        }
        return 1;
    case WM_TIMER:
        if (wParam == extractionTimer) passSteps(extractionPass, extractionPosition());
        return 1;
    case WM_COMMAND:
        return onCommand(dialog, wParam);
    case WM_DRAWITEM:
        drawLogo(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return 1;
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC: {
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        return COLOR_BTNFACE + 1;
    }
    case WM_CTLCOLORDLG:
        return COLOR_BTNFACE + 1;
    case WM_CLOSE:
        return EndDialog(dialog, IDCANCEL);
    case WM_DESTROY:
        return 1;
    default:
        return 0;
    }
}

void onInstall(HWND dialog)
{
    if (!validateInstallFolder() || !createInstallFolder()) return;
    showControl(dialog, IDC_INSTALL, false);
    showControl(dialog, IDC_BROWSE, false);
    copyPayloads();
    createShortcuts();
    SetDlgItemTextW(dialog, IDC_PROMPT_TEXT, DIALOG_TEXT(TEXT_INSTALLED));
    showControl(dialog, IDC_EXIT, true);
    SetFocus(GetDlgItem(dialog, IDC_EXIT));
    traceMark("setup: installed");
}

void onBrowse(HWND dialog)
{
    EnableWindow(GetDlgItem(dialog, IDC_INSTALL), FALSE);
    const wchar_t* chosen = chooseFolder(dialog, DIALOG_TEXT(TEXT_BROWSE_TITLE));
    if (!chosen) joinPath(installFolder, installConfig.defaultFolder);  // fits: checked when built
    else if (wcslen(chosen) < 3) return;
    else wcscpy(installFolder, chosen);  // fits MAX_PATH
    SetDlgItemTextW(dialog, IDC_FOLDER_TEXT, installFolder);
    // Validation may normalise installFolder; the line keeps the text as chosen.
    if (validateInstallFolder()) {
        EnableWindow(GetDlgItem(dialog, IDC_INSTALL), TRUE);
        SetFocus(GetDlgItem(dialog, IDC_INSTALL));
    }
}

void centerWindow(HWND dialog)
{
    RECT outer;
    GetWindowRect(dialog, &outer);
    int width = outer.right - outer.left, height = outer.bottom - outer.top;
    MoveWindow(dialog, (GetSystemMetrics(SM_CXSCREEN) - width) / 2, (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width,
               height, FALSE);
}
