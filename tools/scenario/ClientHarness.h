// CClientHarness: the headless client (headless/HeadlessClient.h) as the client's tests and its
// fuzz target use it, on its loopback link: a snapshot of everything the client keeps and shows,
// and Reset, which brings a running client back to the table a fresh Start gives (a fresh
// Start costs a tenth of a second or more).
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "headless/HeadlessClient.h"

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

class CClientHarness : public headless::CHeadlessClient {
 public:
  using CHeadlessClient::CHeadlessClient;

  bool Start(const std::string& dataFolder = {});
  // Back on the loopback link, whatever runs stops but the music, the users leave, the game is
  // reset as when the player sits down again, the view shows what Start left, and what the game
  // made on demand (animations, the options window) is gone. A closed client is started again.
  // The snapshot afterwards equals the one a fresh Start gives, but for WithoutRunningValues.
  bool Reset();

  CLoopbackLink& Link() { return Loopback(); }
  tagSnapshot Snapshot();

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

  tagFreshView m_fresh{};
};

}  // namespace scenario
