// A small client on the lobby frame for the frame tests and the window smoke test: the plain
// table view (tools/frame_table) and a dialog that writes down the clock ticks the frame
// delivers.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/frame/BrisvaneApp.h"
#include "platform/win/WinTime.h"
#include "tools/frame_table/PlainTableView.h"

namespace platform_test {

using TestView = CPlainTableView;

struct Tick {
  uint64_t atMs;
  WORD chair;
  UINT secondsLeft;
  UINT timerId;
  bool operator==(const Tick&) const = default;
};

class TestDlg : public CBrisvaneDlg {
 public:
  TestDlg() : CBrisvaneDlg(m_view) {}
  bool SetupGame() override { return true; }
  void ResetGame() override { ++gameResets; }
  bool OnClockTick(WORD chair, UINT secondsLeft, UINT timerId) override {
    ticks.push_back(Tick{GetTickCount64() - startMs, chair, secondsLeft, timerId});
    shownSeconds.push_back(m_view.GetUserTimer(SwitchViewChairID(chair)));
    return true;
  }
  bool OnSceneRestore(BYTE, bool, const void*, WORD) override { return true; }
  bool OnServerMessage(WORD, const void*, WORD) override { return true; }
  TestView& View() { return m_view; }

  uint64_t startMs = 0;
  int gameResets = 0;
  std::vector<Tick> ticks;
  std::vector<WORD> shownSeconds;  // what the view showed of the ticking chair's clock

 private:
  TestView m_view;
};

class TestApp : public CBrisvaneApp {
 public:
  CBrisvaneDlg* CreateGameDialog() override { return new TestDlg(); }
  TestDlg* Dialog() const { return static_cast<TestDlg*>(GetMainWnd()); }
};

}  // namespace platform_test
