// A headless application on the lobby frame for the widget tests: a dialog (the main window)
// and a view that write down the window messages they get, in one log, and a helper that
// injects mouse input as SDL events and runs frames of the application loop, so the input
// goes the way a person's does: SDL event, widget input, Guichan, the widget.
#pragma once

#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/frame/BrisvaneApp.h"
#include "platform/win/WinTime.h"
#include "tests/support/headless_engine.h"

namespace widget_test {

struct tagLoggedMessage {
  bool toDialog;  // else to the view
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  bool operator==(const tagLoggedMessage&) const = default;
};

inline std::ostream& operator<<(std::ostream& os, const tagLoggedMessage& m) {
  return os << (m.toDialog ? "dialog " : "view ") << m.message << "(" << m.wParam << ", "
            << m.lParam << ")";
}

// The game's own messages: the options window's 211..220 and the table's 1724..1738.
inline bool IsGameMessage(UINT message) {
  return (message >= 211 && message <= 220) || (message >= 1724 && message <= 1738);
}

class LogView : public CBrisvaneView2D {
 public:
  void ResetTable() override {}
  void ArrangeView(int, int) override {}
  void DrawTable(int, int) override {}
  void AdvanceFrame(float) override {}

  std::vector<tagLoggedMessage>* log = nullptr;
  int mouseButtonMessages = 0;  // the frame's mouse buttons on the table

 protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (log != nullptr && IsGameMessage(message))
      log->push_back(tagLoggedMessage{false, message, wParam, lParam});
    if (message >= WM_LBUTTONDOWN && message <= WM_RBUTTONUP) ++mouseButtonMessages;
    return CBrisvaneView2D::WindowProc(message, wParam, lParam);
  }
};

class LogDlg : public CBrisvaneDlg {
 public:
  LogDlg() : CBrisvaneDlg(m_view) { m_view.log = &log; }
  bool SetupGame() override { return true; }
  void ResetGame() override {}
  bool OnClockTick(WORD, UINT, UINT) override { return true; }
  bool OnSceneRestore(BYTE, bool, const void*, WORD) override { return true; }
  bool OnServerMessage(WORD, const void*, WORD) override { return true; }
  void ShowGameOptions() override { ++optionsShown; }
  void OnSoundSwitched() override { ++soundSwitches; }
  LogView& View() { return m_view; }

  std::vector<tagLoggedMessage> log;
  int optionsShown = 0;
  int soundSwitches = 0;

 protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (IsGameMessage(message)) log.push_back(tagLoggedMessage{true, message, wParam, lParam});
    return CBrisvaneDlg::WindowProc(message, wParam, lParam);
  }

 private:
  LogView m_view;
};

class LogApp : public CBrisvaneApp {
 public:
  CBrisvaneDlg* CreateGameDialog() override { return new LogDlg(); }
  LogDlg* Dialog() const { return static_cast<LogDlg*>(GetMainWnd()); }
};

// Starts the app headless on a resource folder, on a manual clock that moves 20 ms a frame.
class WidgetFrame {
 public:
  explicit WidgetFrame(const std::string& dataFolder, int width = 1280, int height = 720)
      : m_data(dataFolder), m_width(std::to_string(width)), m_height(std::to_string(height)) {
    const char* argv[] = {"widget_test", "--headless",    "--data",   m_data.c_str(),
                          "--width",     m_width.c_str(), "--height", m_height.c_str()};
    m_ok = app.InitInstance(8, argv);
  }
  ~WidgetFrame() { app.ExitInstance(); }
  WidgetFrame(const WidgetFrame&) = delete;
  WidgetFrame& operator=(const WidgetFrame&) = delete;

  bool Ok() const { return m_ok; }
  LogDlg& Dialog() { return *app.Dialog(); }
  LogView& View() { return app.Dialog()->View(); }
  gcn::Container& Top() { return *View().GetGuiContainer(); }
  std::vector<tagLoggedMessage>& Log() { return app.Dialog()->log; }

  // One turn of the application loop: SDL events to the widgets, queued messages, logic.
  void Frame() {
    clock.Advance(20);
    ASSERT_TRUE(app.RunFrame());
  }
  void Press(int x, int y, Uint8 button = SDL_BUTTON_LEFT) { Button(true, x, y, button); }
  void Release(int x, int y, Uint8 button = SDL_BUTTON_LEFT) { Button(false, x, y, button); }
  void Move(int x, int y) {
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.x = x;
    e.motion.y = y;
    SDL_PushEvent(&e);
    Frame();
  }
  void Click(int x, int y) {
    Move(x, y);
    Press(x, y);
    Release(x, y);
  }

  // The widget tree drawn over a cleared w x h target; pixels as 0xAARRGGBB, w per row.
  std::vector<uint32_t> DrawWidgets(int w, int h, DWORD clear = 0xFF000000) {
    HGE* hge = View().GetEngine();
    const HTARGET target = hge->Target_Create(w, h, false);
    View().GetGuiGraphics()->setTargetSize(w, h);
    if (hge->Gfx_BeginScene(target)) {
      hge->Gfx_Clear(clear);
      View().DrawGui();
      hge->Gfx_EndScene();
    }
    const std::vector<uint32_t> raw = testsupport::ReadTarget(hge, target);
    const int pitch = hge->Texture_GetWidth(hge->Target_GetTexture(target));
    hge->Target_Free(target);
    std::vector<uint32_t> pixels(static_cast<size_t>(w) * h, 0);
    if (raw.size() >= static_cast<size_t>(pitch) * h) {
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
          pixels[static_cast<size_t>(y) * w + x] = raw[static_cast<size_t>(y) * pitch + x];
    }
    return pixels;
  }

  CScopedManualClock clock{50000};
  LogApp app;

 private:
  void Button(bool down, int x, int y, Uint8 button) {
    SDL_Event e{};
    e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    e.button.button = button;
    e.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.button.clicks = 1;
    e.button.x = x;
    e.button.y = y;
    SDL_PushEvent(&e);
    Frame();
  }

  std::string m_data;
  std::string m_width;
  std::string m_height;
  bool m_ok = false;
};

}  // namespace widget_test
