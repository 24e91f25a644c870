// The progress protocol the extraction and copy passes share.
#include "engine.h"  // windows.h comes first

#include <commctrl.h>

#include "control_ids.h"

void beginProgress(HWND dialog, const char* status, int bar, int range)
{
    SetDlgItemTextA(dialog, IDC_STATUS_TEXT, status);
    ShowWindow(GetDlgItem(dialog, bar), SW_SHOW);
    SendDlgItemMessageA(dialog, bar, PBM_SETRANGE, 0, MAKELPARAM(0, WORD(range)));
}

void showProgress(HWND dialog, int bar, int row) { SendDlgItemMessageA(dialog, bar, PBM_SETPOS, WPARAM(row), 0); }

void endProgress(HWND dialog, int bar) { ShowWindow(GetDlgItem(dialog, bar), SW_HIDE); }
