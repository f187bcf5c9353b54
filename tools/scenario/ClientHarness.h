// CClientHarness: the real client (CGameClientApp with its dialog and view) run headless in
// virtual time, for the scenario scripts, the client tests and the headless modes of the
// program. It owns a manual clock (every window timer and frame clock reads it), starts the
// application on the frame's loopback link, hears every sound effect the engine is asked to
// play, and takes snapshots of everything the client shows and keeps.
//
// Until the view's resource step loads them, the buttons, card controls, sprites and sounds the
// dialog drives may be missing; Start gives the view plain stand-ins for whatever is missing
// (buttons without image, card controls, sprites without texture, the sounds of the resource
// folder), so the dialog's behaviour can be watched either way.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "client/GameClientApp.h"
#include "client/GameClientDlg.h"
#include "platform/win/WinTime.h"

namespace scenario {

// Every value the client shows or keeps, by name, in a fixed order: two snapshots are equal
// when nothing changed.
struct tagSnapshot {
  std::vector<std::pair<std::string, std::string>> values;
  bool operator==(const tagSnapshot&) const = default;
};
// The names whose values differ (or that only one side has), for failure messages.
std::string DescribeDifference(const tagSnapshot& before, const tagSnapshot& after);
// The snapshot without what only ever runs on, which Reset leaves as it is: the redraw count
// and the background track (the music's own random choice). Compare these after a Reset.
tagSnapshot WithoutRunningValues(tagSnapshot snap);
// Card (or any) bytes in hex, comma-separated: "0A,1B,4E"; "" for none.
std::string HexList(const BYTE* bytes, size_t n);

class CClientHarness {
 public:
  // app: the application to run (a program passes its own static one); null: the harness
  // makes one of its own at each Start.
  explicit CClientHarness(CGameClientApp* app = nullptr);
  ~CClientHarness();
  CClientHarness(const CClientHarness&) = delete;
  CClientHarness& operator=(const CClientHarness&) = delete;

  // Starts the application headless (InitInstance: the dialog, its window, the view's
  // resource step, SetupGame). dataFolder: the folder holding Torvaly/, "" for the usual lookup.
  bool Start(const std::string& dataFolder = {});
  void Stop();
  bool Running() const { return m_app != nullptr; }
  // Brings the running client back to the table Start left, without loading the view's
  // resources again (a fresh Start costs a tenth of a second or more): whatever runs stops but
  // the music, the users leave, the game is reset as when the player sits down again, the view
  // shows what Start left, and what the game made on demand (animations, the options window)
  // is gone. A closed client is started again. The snapshot afterwards equals the one a fresh
  // Start gives, but for WithoutRunningValues.
  bool Reset();

  CGameClientApp& App() { return *m_app; }
  CGameClientDlg& Dialog();
  CGameClientView& View() { return Dialog().GetClientView(); }
  CLoopbackLink& Link();
  CManualClock& Clock() { return m_clock.Clock(); }
  uint64_t Now() { return Clock().NowMs(); }

  // Delivers what the link holds (scenes, messages, users) and runs the queued window messages.
  void Pump();
  // Moves virtual time on by ms, in steps of at most `step` ms: at each step the link, the
  // window messages and timers, and the frame clocks. No frame is drawn.
  void Advance(uint64_t ms, uint64_t step = 10);
  // Moves virtual time on by ms in jumps: to each window timer and frame clock tick that falls
  // due meanwhile, then to the end. Each stop runs what a step of Advance runs.
  void AdvanceByEvents(uint64_t ms);
  // One whole frame of the application loop (drawing included), `ms` later.
  bool Frame(uint64_t ms = 16);
  // The window was closed (the loop would stop).
  bool Closed() const;

  // Sounds played since the last ClearSounds, as effect handles, and their names: the view's
  // resource key ("sndBtn", "MOST_CARD"), the voice file ("MALE_5", "FEMALE_DB_LINE") or
  // "music" for a background track (the track is chosen at random); "?" for an effect the client
  // does not hold.
  const std::vector<HEFFECT>& Sounds() const { return m_sounds; }
  std::vector<std::string> SoundNames() const;
  std::string SoundName(HEFFECT effect) const;
  void ClearSounds() { m_sounds.clear(); }

  tagSnapshot Snapshot();

  // A named view button ("start", "play", "pass", "hint", "autoon", "autooff", "sort", "last",
  // "changetable", "details") or null.
  gcn::MyCButtonEx* Button(const std::string& name);
  static const std::vector<std::string>& ButtonNames();
  // A person's click on a named button, with the message the view sends for it; "right" is
  // the right mouse button. Only a shown and enabled button can be clicked: false otherwise.
  bool Click(const std::string& name);
  // Raises exactly these cards of the local hand, as a sweep does, and tells the dialog.
  bool Raise(const BYTE* cards, size_t count);
  // The button's own enabled flag: the widget library answers "disabled" for any hidden widget.
  static bool OwnEnabled(gcn::MyCButtonEx* button);

 private:
  // What the game changes of the view's own state, as Start left it, for Reset.
  struct tagFreshView {
    struct tagControl {
      bool face, selectable, horizontal, visible;
    };
    struct tagButton {
      bool visible, enabled;
    };
    BYTE pass[3], autoPlay[3], alarm[3], playing[3], count[3];
    int32_t masked[3];
    int64_t gold[3], lastScore[3], totalScore[3];
    BYTE running, gameOver, changeTable, bankerFlag, deck, waitTip, seatOrder, dealFlag;
    WORD banker, multiple, serverType, outChair, meSeat;
    int position, shakeX, shakeY;
    float shakePhase;
    int64_t score;
    DWORD baseScore[2];
    bool buchu, beishu, number;
    WORD panelChair;
    tagControl hand[3], out[3];
    std::vector<tagButton> buttons;
  };
  void KeepFreshView();
  void RestoreFreshView();
  template <class Copy>
  static void EachFreshField(CGameClientView& v, tagFreshView& f, Copy copy);

  static void OnEffectPlayed(void* context, HEFFECT effect);
  void FillMissingResources();
  void Step();

  CScopedManualClock m_clock{100000};
  std::string m_dataFolder;
  tagFreshView m_fresh{};
  CGameClientApp* m_given = nullptr;
  std::unique_ptr<CGameClientApp> m_owned;
  CGameClientApp* m_app = nullptr;  // the running application: given or owned
  std::vector<HEFFECT> m_sounds;
  std::vector<std::pair<HEFFECT, std::string>> m_ownSounds;  // stand-ins loaded by the harness
};

}  // namespace scenario
