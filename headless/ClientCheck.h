// The check of the running client against the truth of the table: after the client has handled
// a message, its hand, card counts, play to beat, pile, multiple, pass and auto-play marks,
// clocks, hint button and end panel must show what the table held when it sent that message.
// Self-play takes that truth from the table itself (headless/SelfPlay.h); a network client from
// what its chair was told (headless/NetPlay.h). The pass marks are not in any record: the check
// follows the messages to know which chairs must show one.
#pragma once

#include <concepts>
#include <cstdint>
#include <string>
#include <vector>

#include "headless/HeadlessClient.h"
#include "protocol/Protocol.h"
#include "rules/PlayCheck.h"

namespace headless {

struct tagSelfPlayTally {
  uint32_t games = 0;
  uint32_t messages = 0;
  uint32_t divergences = 0;    // checks of the client against the table that failed
  uint32_t refusedMoves = 0;   // inputs of the client the table refused
  uint32_t serverMoves = 0;    // plays and passes the server made for the local player
  uint32_t clientMoves = 0;    // plays and passes the client sent
  uint32_t autoPlayOn = 0;     // times the client switched auto-play on
  uint32_t returns = 0;        // times the client came back through a playing scene
  uint32_t returnedGames = 0;  // games finished by a client that had come back
  uint32_t wins[SEAT_COUNT] = {};
  int64_t score[SEAT_COUNT] = {};  // gold won and lost, summed over the games
  bool failed = false;             // the run itself could not go on (see firstFailures)
  std::vector<std::string> firstFailures;
};

// What the table held when it sent a message to the client.
struct tagChairTruth {
  uint16_t id;
  bool playing;
  uint16_t current;
  uint64_t pauseUntil;      // on the client's clock: the pause after a play nobody could answer
  uint8_t hand[MAX_CARDS];  // the client's chair's, by rank
  uint8_t counts[SEAT_COUNT];
  uint8_t pile;
  uint16_t multiple;
  tagTurn turn;
  bool trustee[SEAT_COUNT];
  // After a result: its multiple and each chair's score.
  uint16_t resultMultiple;
  int64_t resultScore[SEAT_COUNT];
};

class CClientCheck {
 public:
  CClientCheck(CHeadlessClient& client, tagSelfPlayTally& tally)
      : m_client(client), m_tally(tally) {}

  void SetChair(uint16_t me) { m_me = me; }
  // A watcher never gets the turn's buttons.
  void SetWatching(bool watching) { m_watching = watching; }
  // A watched hand hidden from watchers holds stand-ins: only its count is held.
  void SetHandHidden(bool hidden) { m_handHidden = hidden; }

  // Follows a message for the pass marks it calls for.
  void Observe(uint16_t id, const uint8_t* data, size_t size);
  // A scene: no pass marks (the scene carries none); `trickOpen` when a play is to be beaten.
  void OnScene(bool trickOpen);
  // Holds the client against the truth. `inFlight`: a play or pass of the client's that the
  // table had not taken when it sent the message (its cards count as still held).
  void Check(const tagChairTruth& truth, bool inFlight);

  void Expect(bool ok, const std::string& what);
  // The same, with the text made only when the check fails (a check runs after every message).
  template <std::invocable Text>
  void Expect(bool ok, Text&& what) {
    if (!ok) Expect(false, what());
  }
  void Note(const std::string& what);
  void Fail(const std::string& what);

 private:
  CHeadlessClient& m_client;
  tagSelfPlayTally& m_tally;
  uint16_t m_me = 0;
  bool m_watching = false;
  bool m_handHidden = false;
  bool m_marks[SEAT_COUNT] = {};
  bool m_trickOpen = false;
  uint64_t m_pauseEnds = 0;
};

}  // namespace headless
