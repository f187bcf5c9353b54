// Message boxes and screen metrics, which depend on whether the program has a window.
// The application object says which (SetHeadlessUi); until it does, the program counts as
// headless, so a library or test never opens a dialog by accident.
//
// MessageBoxA: with a window, a real modal dialog (SDL's message box) with an OK button (and
// Cancel for MB_OKCANCEL); headless, or when no dialog can be shown, the text is noted on
// stderr and the answer is IDOK.
#pragma once

#include "platform/win/WinTypes.h"

class CWnd;

void SetHeadlessUi(bool headless);
bool IsHeadlessUi();

int MessageBoxA(CWnd* owner, LPCSTR text, LPCSTR caption, UINT type);
int AfxMessageBox(LPCSTR text, UINT type = MB_OK);

// SM_CXSCREEN / SM_CYSCREEN: the desktop size with a window, 1920 x 1080 headless.
int GetSystemMetrics(int index);
