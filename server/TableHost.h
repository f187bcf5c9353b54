// A table with its occupants: bots that play from their own chair's view, and links to human
// clients. The host routes each server message to the chair it is for, schedules the bots'
// actions (after a human-like delay at a real table, at once in self-play) and feeds them to
// the table as client messages, so bots pass the same checks as people.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "server/ChairView.h"
#include "server/Random.h"
#include "server/Table.h"
#include "server/bots/Bot.h"
#include "server/bots/ThinkPool.h"

// A human client's end of the table.
class IChairLink {
 public:
  virtual ~IChairLink() = default;
  virtual void DeliverMessage(uint16_t id, const uint8_t* data, size_t size) = 0;
  virtual void DeliverScene(uint8_t status, const uint8_t* data, size_t size) = 0;
};

// Sees every message the table sends, after its chair's occupant got it.
class ITableObserver {
 public:
  virtual ~ITableObserver() = default;
  virtual void OnDelivered(uint16_t chair, uint16_t id, const uint8_t* data, size_t size) = 0;
};

inline constexpr uint16_t MAX_WATCHERS_PER_CHAIR = 8;

struct tagHostConfig {
  tagTableConfig table;
  uint32_t botDelayMinMs = 0;  // bots act this long after their turn comes (min..max)
  uint32_t botDelayMaxMs = 0;
  // Where the bots that think long decide while the table runs on (shared by a server's tables);
  // null: every bot decides on the table's thread when its move is due. Only for tables on a real
  // clock: a bot whose move is due before its decision is done looks again THINK_POLL_MS later.
  std::shared_ptr<CThinkPool> thinkPool;
};

inline constexpr uint32_t THINK_POLL_MS = 5;

class CTableHost final : public ITableSink {
 public:
  explicit CTableHost(const tagHostConfig& config);
  ~CTableHost() override;  // waits for a decision still running on the think pool
  CTableHost(const CTableHost&) = delete;
  CTableHost& operator=(const CTableHost&) = delete;

  bool SeatBot(uint16_t chair, std::string_view level);
  // A bot made elsewhere (a level with its own budget, a bot under measurement).
  bool SeatBot(uint16_t chair, std::unique_ptr<CBot> bot);
  bool SeatHuman(uint16_t chair, IChairLink* link);
  // A bot leaves its chair between games (a person takes it, or nobody is left to play with);
  // false when the chair holds no bot or a game runs.
  bool UnseatBot(uint16_t chair);
  // Asked when each bot readies for the next game and again when that game is dealt: the level
  // that takes its chair from that game on (empty, an unknown level or the bot's own: the bot
  // stays).
  void SetBotLevelSource(std::function<std::string(uint16_t chair)> source) {
    m_botLevelSource = std::move(source);
  }
  // The level of the chair's bot, null for none.
  const char* BotLevel(uint16_t chair) const {
    return IsBot(chair) ? m_seats[chair].bot->Level() : nullptr;
  }
  // The next game deals this deck with this banker (CTable::StackNextDeal).
  bool StackNextDeal(const uint8_t deck[DECK_SIZE], uint16_t banker) {
    return m_table.StackNextDeal(deck, banker);
  }
  bool IsBot(uint16_t chair) const { return chair < SEAT_COUNT && m_seats[chair].bot != nullptr; }
  // The link of a chair whose player comes back during a game, before Return.
  bool Relink(uint16_t chair, IChairLink* link);
  // Watchers of a chair get every message that chair gets, after it (at most
  // MAX_WATCHERS_PER_CHAIR each); false when the chair has no room for another.
  bool AddWatcher(uint16_t chair, IChairLink* link);
  void RemoveWatcher(IChairLink* link);
  uint16_t WatcherCount(uint16_t chair) const;
  void SetObserver(ITableObserver* observer) { m_observer = observer; }

  // Human inputs, at time `now`. Leave also drops the chair's link: a player coming back
  // during the game brings its own (Relink).
  TableCode ClientMessage(uint16_t chair, uint16_t id, const uint8_t* data, size_t size,
                          uint64_t now);
  TableCode Ready(uint16_t chair, uint64_t now);
  void Leave(uint16_t chair, uint64_t now);
  bool Return(uint16_t chair, uint64_t now);  // the link gets the scene

  // Runs every bot action and table deadline due up to `now`, each at its own time.
  void Advance(uint64_t now);
  // Runs the next event alone, at its time; false when nothing is left to happen.
  bool Step();
  // The time of the next bot action or table deadline, or NO_DEADLINE.
  uint64_t NextEvent() const;

  const CTable& Table() const { return m_table; }
  uint32_t BotRefusals() const { return m_botRefusals; }

  void OnTableMessage(uint16_t chair, uint16_t id, const uint8_t* data, size_t size) override;

 private:
  struct Seat {
    std::unique_ptr<CBot> bot;
    CChairView view;
    IChairLink* link = nullptr;
    uint64_t actAt = NO_DEADLINE;    // the bot's next move
    uint64_t readyAt = NO_DEADLINE;  // the bot readies for the next game
    uint32_t viewVersion = 0;        // counts the changes of `view`
    tagThought thought;              // the bot's decision on the think pool
  };
  uint64_t BotDelay();
  void RunBot(uint16_t chair, uint64_t now);
  void RenewBot(uint16_t chair);
  bool ThinksAside(const Seat& seat) const {
    return m_config.thinkPool && seat.bot && seat.bot->ThinksLong();
  }
  // True while a decision of the bot's is in flight on the pool.
  bool StartThinking(Seat& seat);
  void DropThought(Seat& seat);

  CTable m_table;
  tagHostConfig m_config;
  CRandom m_random;  // the bots' thinking times
  uint64_t m_now = 0;
  Seat m_seats[SEAT_COUNT];
  IChairLink* m_watchers[SEAT_COUNT][MAX_WATCHERS_PER_CHAIR] = {};
  ITableObserver* m_observer = nullptr;
  std::function<std::string(uint16_t chair)> m_botLevelSource;
  uint32_t m_botRefusals = 0;
};
