// Whole games of the real client against our real table server in virtual time: the table
// host with bots in the other chairs, the client's chair linked to the headless client through
// the frame's loopback link (every record encoded by the table, carried in a game packet of the
// link's format and decoded by the client, as on the wire), and, when asked, after every
// message the client's copy of the table held against the table's truth.
//
// Used by the client's whole-game tests and by `torvaly --headless --selfplay`.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "server/Random.h"
#include "server/TableHost.h"
#include "tools/scenario/ClientHarness.h"

namespace scenario {

// How the local chair plays.
enum class LocalPlay {
  TableDirect,    // the driver sends the chair's moves to the table itself; the client only
                  // watches
  ClientActions,  // a person clicks: hint then play or pass, a raise of its own, or nothing
                  // (the clock runs out and auto-play takes over); sometimes the client leaves
                  // during a game and comes back through the playing scene
  HintThenPlay,   // the client's own actions only: on its turn hint, then play, or pass when
                  // the hint finds nothing
};

struct tagGameTally {
  uint32_t games = 0;
  uint32_t messages = 0;
  uint32_t divergences = 0;    // checks of the client against the table that failed
  uint32_t refusedMoves = 0;   // client messages the table refused
  uint32_t serverMoves = 0;    // plays and passes the server made for the local player
  uint32_t clientMoves = 0;    // plays and passes the client sent
  uint32_t autoPlayOn = 0;     // times the client switched auto-play on
  uint32_t returns = 0;        // times the client came back through a playing scene
  uint32_t returnedGames = 0;  // games finished by a client that had come back
  uint32_t wins[SEAT_COUNT] = {};
  int64_t score[SEAT_COUNT] = {};  // gold won and lost, summed over the games
  bool failed = false;             // the driver itself could not go on (see firstFailures)
  std::vector<std::string> firstFailures;
};

class CWholeGame : public IChairLink {
 public:
  // The step of virtual time when nothing at all is due.
  static constexpr uint64_t kIdleStepMs = 1000;

  CWholeGame(CClientHarness& harness, uint64_t seed, WORD me, LocalPlay mode);

  static tagHostConfig HostConfig(uint64_t seed);

  // Seats everybody (bots of `botLevels[chair]` in the other chairs), gives the client its
  // users and the table's scene, and plays `games` games, or stops at the time limit, or, with
  // stop-at-divergence, at the first divergence.
  void Play(uint32_t games, uint64_t limitMs = 3'600'000);

  // Every game of the seed's run leaves and comes back once in a while (ClientActions only).
  void SetLeaveEvery(uint32_t games) { m_leaveEvery = games; }
  // The bots' levels by chair ("easy", "normal"); the local chair's entry is not read.
  void SetBotLevels(const char* chair0, const char* chair1, const char* chair2);
  // Off: no check of the client against the table (for speed).
  void SetCheck(bool check) { m_check = check; }
  void SetStopAtDivergence(bool stop) { m_stopAtDivergence = stop; }

  const tagGameTally& Tally() const { return m_tally; }
  CTableHost& Host() { return m_host; }

  // IChairLink: the table's messages for the client's chair, at once through the frame.
  void DeliverMessage(uint16_t id, const uint8_t* data, size_t size) override;
  void DeliverScene(uint8_t status, const uint8_t* data, size_t size) override;

 private:
  void EnterTable();
  void Leave();
  void Return();
  void DeliverTableScene();
  void Step();
  uint64_t NextDue(uint64_t now) const;
  void Forward();
  void LocalPlayer();
  void Click(const char* name);
  void PlayByClicks();
  void PlayHintThenPlay();
  void PlayDirect();
  void ObserveForMarks(uint16_t id, const uint8_t* data, size_t size);
  void Note(const std::string& what);
  void Fail(const std::string& what);
  void Expect(bool ok, const std::string& what);
  bool MoveInFlight() const;
  void CheckTruth(uint16_t id);
  void CountResult();

  CClientHarness& m_h;
  CTableHost m_host;
  CRandom m_random;
  WORD m_me;
  LocalPlay m_mode;
  const char* m_botLevels[SEAT_COUNT] = {"normal", "easy", "normal"};
  bool m_check = true;
  bool m_stopAtDivergence = false;
  size_t m_forwarded = 0;
  uint64_t m_actAt = 0;
  uint64_t m_startAt = 0;
  uint64_t m_turnSerial = 0;
  uint64_t m_actSerial = ~0ull;
  bool m_marks[SEAT_COUNT] = {};
  bool m_trickOpen = false;
  uint64_t m_pauseEnds = 0;
  bool m_localMoveMade = false;  // the local player's move is on its way to the table
  uint64_t m_now = 0;
  uint32_t m_leaveEvery = 0;
  bool m_leftThisGame = false;
  bool m_away = false;
  bool m_returned = false;
  uint64_t m_returnAt = 0;
  tagGameTally m_tally;
};

}  // namespace scenario
