// Worker threads on which the bots that think long (CBot::ThinksLong) decide, so that the thread
// that runs the tables (a window's frames, a server's connections) never waits for a decision:
// the table hands the bot a copy of its chair's view when its turn comes and takes the move when
// the bot's delay is up. A decision depends only on the bot and the view, so a move is the same
// whether it was thought here or on the table's own thread.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "server/bots/Bot.h"

// One decision, owned by the table that asked for it. The pool touches it only between Submit
// and the moment Poll says Done (or Withdraw returns); the table sets it up and reads its action
// outside that span.
struct tagThought {
  enum class State : uint8_t { Idle, Queued, Running, Done };
  CBot* bot = nullptr;
  CChairView view;
  uint32_t version = 0;  // the table's count of the view's changes when it was copied
  tagBotAction action{};
  State state = State::Idle;  // under the pool's lock
};

class CThinkPool final {
 public:
  explicit CThinkPool(unsigned threads);
  ~CThinkPool();  // withdraws what is queued, waits for what runs
  CThinkPool(const CThinkPool&) = delete;
  CThinkPool& operator=(const CThinkPool&) = delete;

  // Queues the decision; false (nothing done) while it is still queued or running, or when the
  // pool has no thread.
  bool Submit(tagThought& thought);
  // Where the decision stands.
  tagThought::State Poll(const tagThought& thought);
  // The pool lets go of the decision: out of the queue if it waits there, finished if it runs
  // (the caller waits for it). Afterwards the thought and its bot may be changed or destroyed.
  void Withdraw(tagThought& thought);

 private:
  void Work();

  std::mutex m_lock;
  std::condition_variable m_work;  // a decision queued, or the pool stopping
  std::condition_variable m_done;  // a decision finished
  std::deque<tagThought*> m_queue;
  std::vector<std::thread> m_threads;
  bool m_stop = false;
};
