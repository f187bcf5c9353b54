#include "platform/win/WinSystem.h"

#include <SDL2/SDL.h>

#include <cstdio>

namespace {
bool g_headless = true;
}

void SetHeadlessUi(bool headless) { g_headless = headless; }
bool IsHeadlessUi() { return g_headless; }

int MessageBoxA(CWnd* /*owner*/, LPCSTR text, LPCSTR caption, UINT type) {
  const char* body = text ? text : "";
  const char* title = caption ? caption : "";
  if (!g_headless && SDL_WasInit(SDL_INIT_VIDEO) != 0) {
    const bool withCancel = (type & 0x0F) == MB_OKCANCEL;
    const SDL_MessageBoxButtonData buttons[2] = {
        {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, IDOK, "OK"},
        {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, IDCANCEL, "Cancel"},
    };
    SDL_MessageBoxData data{};
    data.flags = SDL_MESSAGEBOX_INFORMATION;
    data.title = title;
    data.message = body;
    data.numbuttons = withCancel ? 2 : 1;
    data.buttons = buttons;
    int answer = 0;
    if (SDL_ShowMessageBox(&data, &answer) == 0) return answer == IDCANCEL ? IDCANCEL : IDOK;
  }
  std::fprintf(stderr, "torvaly: message box \"%s\": %s (answered OK)\n", title, body);
  return IDOK;
}

int AfxMessageBox(LPCSTR text, UINT type) { return MessageBoxA(nullptr, text, "Torvaly", type); }

int GetSystemMetrics(int index) {
  int width = 1920;
  int height = 1080;
  if (!g_headless && SDL_WasInit(SDL_INIT_VIDEO) != 0) {
    SDL_DisplayMode mode;
    if (SDL_GetDesktopDisplayMode(0, &mode) == 0) {
      width = mode.w;
      height = mode.h;
    }
  }
  if (index == SM_CXSCREEN) return width;
  if (index == SM_CYSCREEN) return height;
  return 0;
}
