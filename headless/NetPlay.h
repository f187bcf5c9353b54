// Whole games of the real client at a network table server (link/NetLink.h), without a window.
// The client's clock is virtual, but here it follows real time (times a speed, for a server
// whose tables run faster): the server's clocks and bots do not wait for us. Between two
// things due the driver blocks on the socket, so a packet is handled when it comes.
//
// The local player moves by the client's own buttons, as in self-play (headless/SelfPlay.h):
// start between games, and on its turn the hint, then play, or pass when the hint finds
// nothing. A watcher only watches. With the check, after every message the client's copy of
// the table is held against what its chair was told: a chair view (server/ChairView.h) fed the
// same records and scenes, through the same check as self-play's (headless/ClientCheck.h). A
// watcher whose player hides the hand must show it face down.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "headless/ClientCheck.h"
#include "headless/HeadlessClient.h"
#include "link/NetLink.h"
#include "server/ChairView.h"

namespace headless {

class CNetPlay {
 public:
  // The client must be running; the link started. `seed` drives the player's pauses.
  CNetPlay(CHeadlessClient& client, CNetLink& link, uint64_t seed);
  ~CNetPlay();
  CNetPlay(const CNetPlay&) = delete;
  CNetPlay& operator=(const CNetPlay&) = delete;

  void SetCheck(bool check) { m_check = check; }
  void SetStopAtDivergence(bool stop) { m_stopAtDivergence = stop; }
  // Virtual milliseconds per real one (a server started with a faster clock); 1 by default.
  void SetSpeed(uint32_t speed) { m_speed = speed == 0 ? 1 : speed; }
  // Called after every step (tests: cut the connection at a chosen moment).
  void SetStepHook(std::function<void()> hook) { m_hook = std::move(hook); }

  // Plays (or watches) until `games` results have come, or `realLimitMs` of real time have
  // passed, or the link has ended, or the run failed (or, when asked, the first divergence).
  void Play(uint32_t games, uint64_t realLimitMs);
  const tagSelfPlayTally& Tally() const { return m_tally; }
  const CChairView& View() const { return m_view; }
  bool Watching() const { return m_watching; }
  // Messages received since the last scene.
  uint32_t MessagesSinceScene() const { return m_sinceScene; }

 private:
  class CTap;

  void Step();
  void LocalPlayer();
  void OnSelf(uint16_t chair, bool lookon, bool allow);
  void OnScene(uint8_t status, const uint8_t* data, size_t size);
  void OnMessage(uint16_t id, const uint8_t* data, size_t size);
  void OnSent(uint16_t id);
  void AfterPoll();
  tagChairTruth TruthNow(uint16_t id, const tagSrvResult* result) const;
  void CheckWatcherFaces();

  CHeadlessClient& m_client;
  CNetLink& m_link;
  std::unique_ptr<CTap> m_tap;
  tagSelfPlayTally m_tally;
  CClientCheck m_checker{m_client, m_tally};
  CChairView m_view;
  uint64_t m_random;
  std::function<void()> m_hook;
  bool m_check = true;
  bool m_stopAtDivergence = false;
  uint32_t m_speed = 1;
  uint16_t m_me = NO_CHAIR;
  bool m_watching = false;
  bool m_allow = false;
  bool m_sceneToCheck = false;
  bool m_moveInFlight = false;
  bool m_readied = false;  // the client said it is ready since the last deal or scene
  bool m_returned = false;
  uint32_t m_sinceScene = 0;
  uint64_t m_pauseUntil = 0;
  uint64_t m_actAt = 0;
  uint64_t m_startAt = 0;
};

}  // namespace headless
