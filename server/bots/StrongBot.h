// The "strong" bot level. At each decision it deals the cards it cannot see (the other hands
// and the pile, in an order) at random, consistently with what its chair has seen: its hand,
// the cards played, the counts of every hand and of the pile. It plays each of its candidate
// moves (the normal level's best plays, and passing when it may) out to the end of the game
// over the same deals, every chair playing the normal level's policy, and picks the move with
// the best mean gold for its chair (what it wins or pays, not only whether it wins).
//
// Its budget is a count of moves and games played out per decision, so a seed and a view give
// the same move on any machine; the time cap (CPU time of its thread, so that a busy machine
// does not reach it) is a safety net for a slow machine, far above what the count takes. The
// generator is seeded afresh for each decision from the seed and what the chair sees, so the move
// depends on nothing else (not the hidden cards, not earlier decisions).
#pragma once

#include <cstdint>
#include <memory>

#include "server/bots/Bot.h"

// The budget of a decision is a count: it stops dealing once it has played out `moves` moves
// or `rollouts` games, whichever comes first (long games early on, many short ones near the
// end), over all its candidates.
struct tagStrongConfig {
  uint32_t moves = 16000;     // moves played out per decision
  uint32_t rollouts = 3000;   // games played out per decision
  uint32_t timeCapMs = 400;   // a decision stops dealing after this much of its thread's CPU time
  uint8_t candidates = 8;     // plays weighed besides passing (the normal level's best)
  uint64_t seed = 0x5713B07;  // mixed with what the chair sees for each decision's deals
};

// What the last decision did, for figures.
struct tagStrongStats {
  uint32_t rollouts;   // games played out
  uint32_t moves;      // moves played out
  uint8_t candidates;  // moves weighed (0: the move was forced or went out)
  bool capped;         // the time cap stopped it
};

class CStrongBot : public CBot {
 public:
  virtual const tagStrongStats& LastDecision() const = 0;
};

std::unique_ptr<CStrongBot> MakeStrongBot(const tagStrongConfig& config = {});

// The calling thread's CPU time in microseconds: what a decision costs its core, however busy the
// machine is (a wall clock would stop a decision early, and change its move, whenever others
// run).
uint64_t ThreadCpuUs();
