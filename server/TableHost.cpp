#include "server/TableHost.h"

#include <algorithm>
#include <cstring>

CTableHost::CTableHost(const tagHostConfig& config)
    : m_table(*this, config.table), m_config(config), m_random(config.table.seed ^ 0x5EEDB07ull) {
  for (uint16_t c = 0; c < SEAT_COUNT; ++c) m_seats[c].view = CChairView(c);
}

CTableHost::~CTableHost() {
  for (Seat& seat : m_seats) DropThought(seat);
}

bool CTableHost::StartThinking(Seat& seat) {
  const tagThought::State state = m_config.thinkPool->Poll(seat.thought);
  // An earlier decision still runs on the bot: RunBot looks again once it is done.
  if (state == tagThought::State::Queued || state == tagThought::State::Running) return true;
  seat.thought.bot = seat.bot.get();
  seat.thought.view = seat.view;
  seat.thought.version = seat.viewVersion;
  return m_config.thinkPool->Submit(seat.thought);
}

void CTableHost::DropThought(Seat& seat) {
  if (m_config.thinkPool) m_config.thinkPool->Withdraw(seat.thought);
  seat.thought.state = tagThought::State::Idle;
}

uint64_t CTableHost::BotDelay() {
  const uint32_t span = m_config.botDelayMaxMs > m_config.botDelayMinMs
                            ? m_config.botDelayMaxMs - m_config.botDelayMinMs
                            : 0;
  if (span == 0) return m_config.botDelayMinMs;
  return uint64_t{m_config.botDelayMinMs} + m_random.Below(uint64_t{span} + 1);
}

bool CTableHost::SeatBot(uint16_t chair, std::string_view level) {
  return SeatBot(chair, MakeBot(level));
}

bool CTableHost::SeatBot(uint16_t chair, std::unique_ptr<CBot> bot) {
  if (chair >= SEAT_COUNT || !bot || !m_table.Sit(chair, false)) return false;
  Seat& seat = m_seats[chair];
  DropThought(seat);
  seat.bot = std::move(bot);
  seat.view = CChairView(chair);
  ++seat.viewVersion;
  seat.readyAt = m_now + BotDelay();
  return true;
}

bool CTableHost::SeatHuman(uint16_t chair, IChairLink* link) {
  if (chair >= SEAT_COUNT || !m_table.Sit(chair, true)) return false;
  m_seats[chair].link = link;
  return true;
}

bool CTableHost::UnseatBot(uint16_t chair) {
  if (!IsBot(chair) || m_table.Phase() != TablePhase::Free) return false;
  m_table.Leave(chair, m_now);
  Seat& seat = m_seats[chair];
  DropThought(seat);
  seat.bot.reset();
  seat.actAt = NO_DEADLINE;
  seat.readyAt = NO_DEADLINE;
  return true;
}

bool CTableHost::Relink(uint16_t chair, IChairLink* link) {
  if (chair >= SEAT_COUNT || IsBot(chair) || !m_table.Seated(chair) || m_table.Connected(chair))
    return false;
  m_seats[chair].link = link;
  return true;
}

bool CTableHost::AddWatcher(uint16_t chair, IChairLink* link) {
  if (chair >= SEAT_COUNT || link == nullptr) return false;
  for (IChairLink*& slot : m_watchers[chair]) {
    if (slot == nullptr) {
      slot = link;
      return true;
    }
  }
  return false;
}

void CTableHost::RemoveWatcher(IChairLink* link) {
  for (auto& chair : m_watchers) {
    for (IChairLink*& slot : chair) {
      if (slot == link) slot = nullptr;
    }
  }
}

uint16_t CTableHost::WatcherCount(uint16_t chair) const {
  uint16_t n = 0;
  if (chair >= SEAT_COUNT) return 0;
  for (const IChairLink* slot : m_watchers[chair]) n += slot != nullptr ? 1 : 0;
  return n;
}

TableCode CTableHost::ClientMessage(uint16_t chair, uint16_t id, const uint8_t* data, size_t size,
                                    uint64_t now) {
  m_now = now;
  return m_table.OnClientMessage(chair, id, data, size, now);
}

TableCode CTableHost::Ready(uint16_t chair, uint64_t now) {
  m_now = now;
  return m_table.SetReady(chair, now);
}

void CTableHost::Leave(uint16_t chair, uint64_t now) {
  m_now = now;
  m_table.Leave(chair, now);
  if (chair < SEAT_COUNT && !IsBot(chair)) m_seats[chair].link = nullptr;
}

bool CTableHost::Return(uint16_t chair, uint64_t now) {
  m_now = now;
  if (!m_table.Return(chair, now)) return false;
  uint8_t status = 0;
  uint8_t buffer[sizeof(tagScenePlaying)];
  size_t size = 0;
  if (m_seats[chair].link && m_table.BuildScene(chair, status, buffer, sizeof(buffer), size)) {
    m_seats[chair].link->DeliverScene(status, buffer, size);
  }
  return true;
}

void CTableHost::OnTableMessage(uint16_t chair, uint16_t id, const uint8_t* data, size_t size) {
  if (chair >= SEAT_COUNT) return;
  Seat& seat = m_seats[chair];
  if (seat.bot) {
    // A level chosen after the bot readied but before the deal still takes this game.
    if (id == SRV_DEAL) RenewBot(chair);
    seat.view.ApplyMessage(id, data, size);
    ++seat.viewVersion;
    if (id == SRV_RESULT) seat.readyAt = m_now + BotDelay();
    if (!seat.view.MyTurn()) {
      seat.actAt = NO_DEADLINE;
    } else if (seat.actAt == NO_DEADLINE) {
      // After a play nobody could answer, the table holds the lead for a pause.
      const uint64_t from = seat.view.NewTurnPause() ? m_now + NEW_TURN_PAUSE_MS : m_now;
      seat.actAt = from + BotDelay();
      // It thinks while it waits to move.
      if (ThinksAside(seat)) StartThinking(seat);
    }
  } else if (seat.link && m_table.Connected(chair)) {
    seat.link->DeliverMessage(id, data, size);
  }
  for (IChairLink* watcher : m_watchers[chair]) {
    if (watcher) watcher->DeliverMessage(id, data, size);
  }
  if (m_observer) m_observer->OnDelivered(chair, id, data, size);
}

void CTableHost::RunBot(uint16_t chair, uint64_t now) {
  Seat& seat = m_seats[chair];
  seat.actAt = NO_DEADLINE;
  if (!seat.view.MyTurn()) return;
  tagBotAction action;
  if (ThinksAside(seat) && m_config.thinkPool->Poll(seat.thought) == tagThought::State::Done &&
      seat.thought.version == seat.viewVersion) {
    action = seat.thought.action;
    seat.thought.state = tagThought::State::Idle;
  } else if (ThinksAside(seat) && StartThinking(seat)) {
    // Still thinking, or it thought about a view that has changed since: look again soon.
    seat.actAt = now + THINK_POLL_MS;
    return;
  } else {
    // A bot that thinks fast, or a pool without a thread: here and now.
    action = seat.bot->Decide(seat.view);
  }
  TableCode code;
  if (action.pass) {
    code = m_table.OnClientMessage(chair, CLI_PASS, nullptr, 0, now);
  } else {
    tagCliPlay play{};
    play.count = action.count;
    std::memcpy(play.cards, action.cards, action.count);
    uint8_t buffer[sizeof(tagCliPlay)];
    const size_t n = EncodeCliPlay(play, buffer, sizeof(buffer));
    code = m_table.OnClientMessage(chair, CLI_PLAY, buffer, n, now);
  }
  // A refused bot move is left to the table's clock, which plays for the chair.
  if (code != TableCode::Ok) ++m_botRefusals;
}

void CTableHost::RenewBot(uint16_t chair) {
  Seat& seat = m_seats[chair];
  if (!m_botLevelSource || !seat.bot) return;
  const std::string level = m_botLevelSource(chair);
  if (level.empty() || level == seat.bot->Level()) return;
  if (std::unique_ptr<CBot> bot = MakeBot(level)) {
    DropThought(seat);
    seat.bot = std::move(bot);
  }
}

uint64_t CTableHost::NextEvent() const {
  uint64_t next = m_table.NextDeadline();
  for (const Seat& seat : m_seats) {
    if (seat.actAt < next) next = seat.actAt;
    if (seat.readyAt < next) next = seat.readyAt;
  }
  return next;
}

bool CTableHost::Step() {
  const uint64_t t = NextEvent();
  if (t == NO_DEADLINE) return false;
  // An event that was due before the host's present (a gone chair's move, due "at once") runs
  // now: the host's clock never goes back, or the bots would time their moves from the past.
  const uint64_t at = std::max(m_now, t);
  m_now = at;
  for (uint16_t c = 0; c < SEAT_COUNT; ++c) {
    Seat& seat = m_seats[c];
    if (seat.readyAt == t) {
      seat.readyAt = NO_DEADLINE;
      RenewBot(c);
      m_table.SetReady(c, at);
      return true;
    }
    if (seat.actAt == t) {
      RunBot(c, at);
      return true;
    }
  }
  m_table.Tick(at);
  return true;
}

void CTableHost::Advance(uint64_t now) {
  while (NextEvent() <= now && Step()) {
  }
  m_now = now;
}
