// CHeadlessClient: the real client (CGameClientApp with its dialog and table view) run without a
// window in virtual time, for the program's headless modes and the client's tests. It owns a
// manual clock that every window timer, frame clock and link reads: time moves only when the
// driver moves it, so minutes of a game pass in a moment and nothing is left to chance.
//
// The application's table link is a stand-in that passes everything on to the link the driver
// names (SetLink): the client's own loopback link by default (records delivered by hand, what
// the client sends kept), or a real link such as the in-process one. The driver may change the
// link while the client runs.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "client/GameClientApp.h"
#include "client/GameClientDlg.h"
#include "platform/win/WinTime.h"

namespace headless {

// Card (or any) bytes in hex, comma-separated: "0A,1B,4E"; "" for none.
std::string HexList(const uint8_t* bytes, size_t n);

// The application profile in a fresh temporary folder for as long as it lives (XDG_CONFIG_HOME
// points there), so that the headless modes never touch the player's own options. Ok() is false
// when no folder could be made.
class CTemporaryProfile {
 public:
  CTemporaryProfile();
  ~CTemporaryProfile();
  CTemporaryProfile(const CTemporaryProfile&) = delete;
  CTemporaryProfile& operator=(const CTemporaryProfile&) = delete;
  bool Ok() const { return !m_folder.empty(); }

 private:
  std::string m_folder;
  std::string m_previous;
  bool m_hadPrevious = false;
};

class CHeadlessClient {
 public:
  // app: the application to run (a program passes its own static one); null: the client makes
  // one of its own at each Start.
  explicit CHeadlessClient(CGameClientApp* app = nullptr);
  ~CHeadlessClient();
  CHeadlessClient(const CHeadlessClient&) = delete;
  CHeadlessClient& operator=(const CHeadlessClient&) = delete;

  // Starts the application headless (InitInstance: the dialog, its window, the view's resources,
  // SetupGame). dataFolder: the folder holding Torvaly/, "" for the usual lookup. Starting on
  // the loopback link empties it first.
  bool Start(const std::string& dataFolder = {});
  void Stop();
  bool Running() const { return m_app != nullptr; }
  // The window was closed (the loop would stop).
  bool Closed() const;
  const std::string& DataFolder() const { return m_dataFolder; }

  // The link the client talks through from now on (not owned); null: the loopback link.
  void SetLink(ITableLink* link) { m_link = link != nullptr ? link : &m_loopback; }
  CLoopbackLink& Loopback() { return m_loopback; }

  CGameClientApp& App() { return *m_app; }
  CGameClientDlg& Dialog() const;
  CGameClientView& View() const { return Dialog().GetClientView(); }
  CManualClock& Clock() { return m_clock.Clock(); }
  uint64_t Now() { return Clock().NowMs(); }

  // Delivers what the link holds and runs the queued window messages.
  void Pump();
  // Moves virtual time on by ms, in steps of at most `step` ms: at each step the link, the
  // window messages and timers, and the frame clocks. No frame is drawn.
  void Advance(uint64_t ms, uint64_t step = 10);
  // When the client next has something to do on its own: a window timer, a frame clock's tick,
  // the link's next event (UINT64_MAX when nothing waits).
  uint64_t NextDue() const;
  // Moves virtual time to `when`, at least a millisecond on, and runs one step there.
  void StepTo(uint64_t when);
  // Moves virtual time on by ms in jumps: to each thing due meanwhile, then to the end.
  void AdvanceByEvents(uint64_t ms);
  // One frame of the application loop, `ms` later: what a step does, then the table's motion
  // moved on by the time since the last frame (AdvanceFrame, the widgets' logic). Nobody sees
  // it, so it is not drawn.
  bool Frame(uint64_t ms = 16);
  // Draws the table as it stands (what the last frame would have shown) and saves it as PNG.
  bool SavePicture(const std::string& path);

  // A named view button ("start", "play", "pass", "hint", "autoon", "autooff", "sort", "last",
  // "details", "changetable": ButtonNames, in this order) or null.
  gcn::MyCButtonEx* Button(const std::string& name) const;
  static gcn::MyCButtonEx* ViewButton(const CGameClientView& view, const std::string& name);
  static const std::vector<std::string>& ButtonNames();
  // A person's click on a named button, as the view hears it; "right" is the right mouse
  // button on the table. Only a shown and enabled button can be clicked: false otherwise.
  bool Click(const std::string& name);
  // Raises exactly these cards of the local hand, as a sweep does, and tells the dialog.
  bool Raise(const BYTE* cards, size_t count);
  // The button's own enabled flag: the widget library answers "disabled" for any hidden widget.
  static bool OwnEnabled(gcn::MyCButtonEx* button);

  // Sounds played since the last ClearSounds, and their names: the view's resource key
  // ("sndBtn", "MOST_CARD"), the voice ("MALE_5", "FEMALE_DB_LINE") or "music" for a background
  // track; "?" for an effect the client does not hold.
  const std::vector<HEFFECT>& Sounds() const { return m_sounds; }
  std::vector<std::string> SoundNames() const;
  void ClearSounds() { m_sounds.clear(); }

 private:
  class CLinkSocket;
  static void OnEffectPlayed(void* context, HEFFECT effect);
  std::string SoundName(HEFFECT effect) const;
  void Step();

  CScopedManualClock m_clock{100000};
  std::string m_dataFolder;
  CLoopbackLink m_loopback;
  ITableLink* m_link = &m_loopback;
  CGameClientApp* m_given = nullptr;
  std::unique_ptr<CGameClientApp> m_owned;
  CGameClientApp* m_app = nullptr;  // the running application: given or owned
  std::vector<HEFFECT> m_sounds;
};

}  // namespace headless
