// One table's whole game as a deterministic state machine: seating, ready, the deal, the
// tricks with their draws, clocks and trustee play, the result. Inputs are a chair's client
// messages, ready, leave/return and the current time in milliseconds (injected: the table
// never reads a clock). Outputs are encoded server messages, each addressed to one chair,
// through an ITableSink. The same seed and the same inputs give the same game.
#pragma once

#include <cstddef>
#include <cstdint>

#include "protocol/Protocol.h"
#include "rules/GameLogic.h"
#include "rules/PlayCheck.h"
#include "server/Random.h"

// Receives the table's server messages, one chair at a time. Must not call back into the
// table from inside OnTableMessage.
class ITableSink {
 public:
  virtual ~ITableSink() = default;
  virtual void OnTableMessage(uint16_t chair, uint16_t id, const uint8_t* data, size_t size) = 0;
};

// Times, in milliseconds.
inline constexpr uint64_t DEAL_WAIT_MS = 4000;          // play begins without every deal-done
inline constexpr uint64_t TURN_CLOCK_MS = 15000;        // ordinary turn
inline constexpr uint64_t FIRST_TURN_CLOCK_MS = 20000;  // the first turn after play begins
inline constexpr uint64_t CLOCK_GRACE_MS = 3000;        // the server acts this long after the clock
// After a play nobody can answer. A client gives the lead back 3 s after the play reaches it,
// never earlier than 3 s after the table sent it, so a longer pause would refuse that lead.
inline constexpr uint64_t NEW_TURN_PAUSE_MS = 3000;
inline constexpr uint64_t NO_DEADLINE = UINT64_MAX;

// Result of an input: accepted, or why it was refused (nothing changed).
enum class TableCode : uint8_t {
  Ok,
  Malformed,    // the record failed to decode
  NotSeated,    // no player at that chair
  WrongPhase,   // no game running, or not now (deal not over, game over)
  NotYourTurn,  // another chair's turn
  Paused,       // the table still shows a play nobody could answer
  NotInHand,    // the cards are not all in the chair's hand
  Illegal,      // not a valid play, or it does not beat the play on the table
  MustPlay,     // a pass while leading
  Unknown,      // an id without a handler
  ChangeTable,  // the chair asked to move to another table (the lobby handles it)
};

enum class TablePhase : uint8_t { Free, Dealing, Playing };

struct tagTableConfig {
  uint64_t seed = 1;
  int64_t baseScore = 1;
  // An ordinary turn's clock; the first turn after play begins has 5 seconds more, as the
  // client's clocks have it (15 and 20 by default).
  uint32_t turnSeconds = TURN_CLOCK_SECONDS;
};

// Per-game tallies for summaries and tests.
struct tagGameStats {
  uint32_t tricks;  // tricks ended by passes or by an unanswerable play
  uint32_t turns;   // plays and passes
  uint16_t winner;  // NO_CHAIR while the game runs
  uint16_t multiple;
  int64_t score[SEAT_COUNT];
};

class CTable {
 public:
  CTable(ITableSink& sink, const tagTableConfig& config);

  // --- Seats -----------------------------------------------------------------------------------
  // A player takes a free chair; human chairs send deal-done, bots do not.
  bool Sit(uint16_t chair, bool human);
  // The chair's client is gone. Between games the chair is freed; during a game the player
  // stays, switched to trustee, and the server plays for it.
  void Leave(uint16_t chair, uint64_t now);
  // The chair's client is back during a game: it gets the scene and goes on.
  bool Return(uint16_t chair, uint64_t now);
  // Ready for the next game; the game starts when every chair is seated and ready.
  TableCode SetReady(uint16_t chair, uint64_t now);

  // The next game deals this deck order (a permutation of the deck) with this banker instead
  // of a shuffle: for tests and replays. False (and nothing stacked) for anything else.
  bool StackNextDeal(const uint8_t deck[DECK_SIZE], uint16_t banker);

  // --- Client messages and time ------------------------------------------------------------------
  TableCode OnClientMessage(uint16_t chair, uint16_t id, const uint8_t* data, size_t size,
                            uint64_t now);
  // Runs whatever is due at `now`: play begins after the deal wait, expired clocks, trustee
  // chairs whose clients are gone.
  void Tick(uint64_t now);
  // The next time Tick has something to do, or NO_DEADLINE.
  uint64_t NextDeadline() const;

  // The scene for a chair entering or returning: status and record bytes (at most 232).
  bool BuildScene(uint16_t chair, uint8_t& status, uint8_t* buffer, size_t capacity,
                  size_t& size) const;

  // --- Truth, for tests and checks
  // ----------------------------------------------------------------
  TablePhase Phase() const { return m_phase; }
  uint16_t Current() const { return m_current; }
  uint16_t Banker() const { return m_banker; }
  const tagTurn& Turn() const { return m_turn; }
  uint16_t TurnChair() const { return m_turnChair; }
  const uint8_t* Hand(uint16_t chair) const { return m_hands[chair]; }  // sorted by rank
  uint8_t HandCount(uint16_t chair) const { return m_handCount[chair]; }
  uint8_t PileCount() const { return m_pileCount; }
  const uint8_t* Pile() const { return m_pile; }  // the next card drawn is Pile()[0]
  uint8_t PlayedCount() const { return m_playedCount; }
  const uint8_t* Played() const { return m_played; }
  bool Trustee(uint16_t chair) const { return m_trustee[chair] != 0; }
  bool Connected(uint16_t chair) const { return m_connected[chair] != 0; }
  bool Seated(uint16_t chair) const { return m_seated[chair] != 0; }
  // Ready for the next game (between games; cleared when a game starts and when it ends).
  bool Ready(uint16_t chair) const { return m_ready[chair] != 0; }
  uint8_t SingleJokerRule() const { return m_singleJokerRule; }
  uint64_t PauseUntil() const { return m_pauseUntil; }
  uint16_t Multiple() const { return m_multiple; }  // the game multiple so far
  int64_t Gold(uint16_t chair) const { return m_gold[chair]; }
  const tagGameStats& Stats() const { return m_stats; }
  uint32_t GamesPlayed() const { return m_games; }
  // Every card of the deck is in exactly one hand, the pile or the played cards, and nothing
  // else is: true from the first deal on.
  bool HoldsEveryCardOnce() const;

 private:
  void StartGame(uint64_t now);
  void BeginPlay(uint64_t now);
  void BeginPlayWhenDealt(uint64_t now);
  TableCode Play(uint16_t chair, const tagCliPlay& play, uint64_t now);
  TableCode Pass(uint16_t chair, uint64_t now, bool byServer);
  void EndTrick(uint16_t passChair, uint64_t now);
  void EndGame(uint16_t winner);
  void ActFor(uint16_t chair, uint64_t now);
  void SetTrustee(uint16_t chair, bool on, bool quiet);
  void StartClock(uint64_t now, uint64_t clockMs);
  uint64_t TurnMs() const { return uint64_t{m_config.turnSeconds} * 1000; }
  uint16_t NextChair(uint16_t chair) const {
    return static_cast<uint16_t>((chair + 1) % SEAT_COUNT);
  }

  void Send(uint16_t chair, uint16_t id, const uint8_t* data, size_t size);
  void SendPlay(const tagSrvPlay& play);
  void SendPassNotice(uint16_t chair);

  ITableSink& m_sink;
  tagTableConfig m_config;
  CRandom m_random;  // the shuffle and the first banker
  CGameLogic m_logic;

  // Seats.
  uint8_t m_seated[SEAT_COUNT] = {};
  uint8_t m_human[SEAT_COUNT] = {};
  uint8_t m_connected[SEAT_COUNT] = {};
  uint8_t m_ready[SEAT_COUNT] = {};
  int64_t m_gold[SEAT_COUNT] = {};
  uint16_t m_lastWinner = NO_CHAIR;
  uint8_t m_stackedDeck[DECK_SIZE] = {};
  uint16_t m_stackedBanker = NO_CHAIR;  // a chair when a deck is stacked
  uint32_t m_games = 0;

  // The game.
  TablePhase m_phase = TablePhase::Free;
  uint16_t m_banker = NO_CHAIR;
  uint16_t m_current = NO_CHAIR;
  uint8_t m_hands[SEAT_COUNT][MAX_CARDS] = {};
  uint8_t m_handCount[SEAT_COUNT] = {};
  uint8_t m_pile[DECK_SIZE] = {};
  uint8_t m_pileCount = 0;
  uint8_t m_played[DECK_SIZE] = {};
  uint8_t m_playedCount = 0;
  tagTurn m_turn{};
  uint16_t m_turnChair = NO_CHAIR;
  uint8_t m_singleJokerRule = 0;
  uint8_t m_dealDone[SEAT_COUNT] = {};
  uint8_t m_trustee[SEAT_COUNT] = {};
  uint8_t m_expiries[SEAT_COUNT] = {};
  uint8_t m_playsMade[SEAT_COUNT] = {};
  uint16_t m_multiple = 1;
  uint16_t m_bombCount = 0;
  uint16_t m_rocketCount = 0;
  uint8_t m_lastPlayType = PT_INVALID;
  uint64_t m_dealDeadline = NO_DEADLINE;
  uint64_t m_clockDeadline = NO_DEADLINE;  // the current chair's clock plus grace
  uint64_t m_pauseUntil = 0;               // no play before this time
  tagGameStats m_stats{};
};
