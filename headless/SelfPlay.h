// Self-play: whole games of the real client against the bots of an in-process table, in virtual
// time, over the link the window plays through (link/InProcessLink.h: the client end, packets,
// the table end with its lobby), and, when asked, after every message the client receives its
// copy of the table held against the table's truth at the moment the table sent that message.
//
// The local player moves by the client's own buttons: on its turn the hint, then play, or pass
// when the hint finds nothing; start between games. A driver may play otherwise (Move), and may
// have the player quit during a game and come back with a new client (Leave).
#pragma once

#include <concepts>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "headless/ClientCheck.h"
#include "headless/HeadlessClient.h"
#include "link/InProcessLink.h"

namespace headless {

class CSelfPlay : private ITableObserver {
 public:
  // The client must be running; the player is the link's chair, the bots are seated. `seed`
  // drives the player's own choices and pauses.
  CSelfPlay(CHeadlessClient& client, std::unique_ptr<CInProcessLink> link, uint64_t seed);
  ~CSelfPlay() override;
  CSelfPlay(const CSelfPlay&) = delete;
  CSelfPlay& operator=(const CSelfPlay&) = delete;

  // Off: no check of the client against the table.
  void SetCheck(bool check) { m_check = check; }
  void SetStopAtDivergence(bool stop) { m_stopAtDivergence = stop; }

  // Plays until `games` games are over, or `limitMs` of virtual time have passed, or the run
  // fails (or, when asked, the first divergence).
  void Play(uint32_t games, uint64_t limitMs);
  const tagSelfPlayTally& Tally() const { return m_tally; }

 protected:
  // The local player's move once its turn shows and its thinking time has passed.
  virtual void Move();
  // How long the player thinks before a move.
  virtual uint64_t ThinkMs();
  // The player quits (the client stops) and comes back with a new client after `awayMs`.
  void Leave(uint64_t awayMs);

  CHeadlessClient& Client() { return m_client; }
  const CTable& Table() { return m_link->Host().Table(); }
  uint16_t Me() const { return m_me; }
  CRandom& Random() { return m_random; }
  void Expect(bool ok, const std::string& what);
  // The same, with the text made only when the check fails (a check runs after every message).
  template <std::invocable Text>
  void Expect(bool ok, Text&& what) {
    m_checker.Expect(ok, std::forward<Text>(what));
  }
  // Plays the hint's answer, or passes when there is none (the default move).
  void PlayHint();

 private:
  class CTap;
  // What the table was when it sent a message to the client: what the client must show once
  // it has that message.
  // The table's truth, with how many packets the table end had taken from the client.
  struct tagTruth : tagChairTruth {
    uint64_t received;
  };

  void OnDelivered(uint16_t chair, uint16_t id, const uint8_t* data, size_t size) override;
  tagTruth TruthNow() const;
  void Attach();
  bool StartClient();
  void Step();
  void LocalPlayer();
  void OnSent(WORD id, const uint8_t* data, WORD size);
  void OnMessage(uint16_t id, const uint8_t* data, size_t size);
  void OnScene(uint8_t status);
  void AfterPoll();
  void ObserveForMarks(uint16_t id, const uint8_t* data, size_t size);
  void Check(const tagTruth& truth);
  void Note(const std::string& what);
  void Fail(const std::string& what);

  CHeadlessClient& m_client;
  std::unique_ptr<CInProcessLink> m_link;
  std::unique_ptr<CTap> m_tap;
  CRandom m_random;
  uint16_t m_me;
  bool m_check = true;
  bool m_stopAtDivergence = false;
  tagSelfPlayTally m_tally;
  CClientCheck m_checker{m_client, m_tally};
  std::deque<tagTruth> m_truths;  // sent to the client, not yet received
  bool m_sceneToCheck = false;
  // Packets the client sent (in the table end's count), and the number of its last move.
  uint64_t m_sent = 0;
  uint64_t m_lastMove = 0;
  bool m_localMoveMade = false;  // a move of the client's is on its way to the table
  // The local player's timing.
  uint64_t m_actAt = 0;
  uint64_t m_startAt = 0;
  uint64_t m_turnSerial = 0;
  uint64_t m_actSerial = ~0ull;
  bool m_away = false;
  uint64_t m_returnAt = 0;
  bool m_returned = false;
};

}  // namespace headless
