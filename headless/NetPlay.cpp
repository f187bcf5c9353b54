#include "headless/NetPlay.h"

#include <algorithm>
#include <chrono>
#include <cstring>

#include "cardcontrol/CardControl.h"
#include "headless/LinkRelay.h"
#include "widgets/MyCButtonEx.h"

namespace headless {

namespace {

using RealClock = std::chrono::steady_clock;

// The longest real wait in one step: the loop looks at the link's state at least this often.
constexpr uint64_t kMaxRealWaitMs = 50;

}  // namespace

// The client's link during network play: everything goes on to the network link as it is, and
// what arrives is looked at once the frame has handled it.
class CNetPlay::CTap final : public ITableLink, private CLinkRelay {
 public:
  explicit CTap(CNetPlay& play) : m_play(play) {}

  bool SendGameData(WORD id, const void* data, WORD size) override {
    if (!m_play.m_link.SendGameData(id, data, size)) return false;
    m_play.OnSent(id);
    return true;
  }
  bool SendUserReady(const void* data, WORD size) override {
    if (!m_play.m_link.SendUserReady(data, size)) return false;
    m_play.m_readied = true;
    return true;
  }
  bool SendChangeTable(WORD table) override { return m_play.m_link.SendChangeTable(table); }
  void Poll(ILinkSink& sink) override {
    m_sink = &sink;
    m_play.m_link.Poll(*this);
    m_play.AfterPoll();
  }
  uint64_t NextEventMs() override { return m_play.m_link.NextEventMs(); }
  bool SendAllowWatchers(bool allow) override { return m_play.m_link.SendAllowWatchers(allow); }

 private:
  void OnLinkSelf(WORD chair, bool lookon, bool allow) override {
    m_sink->OnLinkSelf(chair, lookon, allow);
    m_play.OnSelf(chair, lookon, allow);
  }
  void OnLinkScene(BYTE status, bool lookon, const void* data, WORD size) override {
    m_sink->OnLinkScene(status, lookon, data, size);
    m_play.OnScene(status, static_cast<const uint8_t*>(data), size);
  }
  void OnLinkGameMessage(WORD id, const void* data, WORD size) override {
    m_sink->OnLinkGameMessage(id, data, size);
    m_play.OnMessage(id, static_cast<const uint8_t*>(data), size);
  }

  CNetPlay& m_play;
};

CNetPlay::CNetPlay(CHeadlessClient& client, CNetLink& link, uint64_t seed)
    : m_client(client),
      m_link(link),
      m_tap(std::make_unique<CTap>(*this)),
      m_random(seed * 0x9E3779B97F4A7C15ull + 7) {}

CNetPlay::~CNetPlay() { m_client.SetLink(nullptr); }

void CNetPlay::Play(uint32_t games, uint64_t realLimitMs) {
  if (!m_client.Running()) return m_checker.Fail("the client is not running");
  m_client.SetLink(m_tap.get());
  // The driver waits on the socket itself: the link need not ask the loop to look.
  m_link.SetPollInterval(1000);
  const RealClock::time_point realStart = RealClock::now();
  const uint64_t virtualStart = m_client.Now();
  const auto realMs = [&] {
    return static_cast<uint64_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(RealClock::now() - realStart)
            .count());
  };
  while (m_tally.games < games && !m_tally.failed &&
         !(m_stopAtDivergence && m_tally.divergences > 0)) {
    if (realMs() >= realLimitMs) return m_checker.Fail("out of time");
    if (m_link.State() == NetLinkState::Ended)
      return m_checker.Fail("the connection ended: " + m_link.EndReason());
    uint64_t next = m_client.NextDue();
    if (m_actAt != 0) next = std::min(next, m_actAt);
    if (m_startAt != 0) next = std::min(next, m_startAt);
    uint64_t target = virtualStart + realMs() * m_speed;
    if (next > target) {
      const uint64_t wait = std::min<uint64_t>((next - target) / m_speed + 1, kMaxRealWaitMs);
      m_link.Wait(wait);
      target = virtualStart + realMs() * m_speed;
    }
    m_client.StepTo(std::max(m_client.Now() + 1, std::min(next, target)));
    // A link that ends before any table closes the window: the link says why.
    if (m_link.State() == NetLinkState::Ended)
      return m_checker.Fail("the connection ended: " + m_link.EndReason());
    if (m_client.Closed()) return m_checker.Fail("the client closed its window");
    LocalPlayer();
    m_client.Pump();
    if (m_hook) m_hook();
  }
}

// ---- the player --------------------------------------------------------------------------------

void CNetPlay::LocalPlayer() {
  if (m_watching || m_link.State() != NetLinkState::AtTable) {
    m_actAt = m_startAt = 0;
    return;
  }
  const uint64_t now = m_client.Now();
  gcn::MyCButtonEx* start = m_client.Button("start");
  if (start != nullptr && start->isVisible()) {
    if (m_startAt == 0) m_startAt = now + 300 + m_random % 2000;
    m_random = m_random * 6364136223846793005ull + 1442695040888963407ull;
    if (now < m_startAt) return;
    m_startAt = 0;
    m_client.Click("start");
    return;
  }
  m_startAt = 0;
  gcn::MyCButtonEx* hint = m_client.Button("hint");
  if (!m_view.MyTurn() || m_moveInFlight || hint == nullptr || !hint->isVisible()) {
    m_actAt = 0;
    return;
  }
  if (m_actAt == 0) {
    m_random = m_random * 6364136223846793005ull + 1442695040888963407ull;
    m_actAt = now + 200 + (m_random >> 33) % 2500;
  }
  if (now < m_actAt) return;
  m_actAt = 0;
  m_client.Click("hint");
  if (!m_client.Click("play")) m_client.Click("pass");
}

void CNetPlay::OnSent(uint16_t id) {
  if (id != CLI_PLAY && id != CLI_PASS) return;
  m_moveInFlight = true;
  ++m_tally.clientMoves;
}

// ---- what the chair is told ------------------------------------------------------------------

void CNetPlay::OnSelf(uint16_t chair, bool lookon, bool allow) {
  if (chair != m_me) m_view = CChairView(chair);
  m_me = chair;
  m_watching = lookon;
  m_allow = allow;
  m_checker.SetChair(chair);
  m_checker.SetWatching(lookon);
  m_checker.SetHandHidden(lookon && !allow);
}

void CNetPlay::OnScene(uint8_t status, const uint8_t* data, size_t size) {
  if (!m_view.ApplyScene(status, data, size)) return m_checker.Fail("a scene its chair refuses");
  m_checker.OnScene(m_view.Turn().count > 0);
  m_moveInFlight = false;
  m_readied = false;
  m_pauseUntil = 0;
  m_sinceScene = 0;
  m_actAt = 0;
  if (status != STATUS_PLAYING) return;
  if (m_link.Returns() != m_tally.returns) {
    m_tally.returns = m_link.Returns();
    m_returned = true;
  }
  m_sceneToCheck = m_check;
}

void CNetPlay::OnMessage(uint16_t id, const uint8_t* data, size_t size) {
  if (!m_view.ApplyMessage(id, data, size))
    return m_checker.Fail("message " + std::to_string(id) + " its chair refuses");
  ++m_tally.messages;
  ++m_sinceScene;
  m_sceneToCheck = false;
  m_checker.Observe(id, data, size);
  // Each play nobody can answer starts the pause afresh (the leader's next lead may be one).
  if (!m_view.NewTurnPause()) {
    m_pauseUntil = 0;
  } else if (id == SRV_PLAY) {
    m_pauseUntil = m_client.Now() + NEW_TURN_TIMER_MS;
  }
  tagServerMessage m;
  DecodeServerMessage(id, data, size, m_me, m);
  // Whether the chair's own move (or the table's for it) is in.
  bool mine = false;
  if (id == SRV_PLAY) mine = m.play.outChair == m_me;
  if (id == SRV_PASS) mine = m.pass.passChair == m_me;
  if (id == SRV_PASS_NOTICE) mine = m.passNotice.passChair == m_me;
  if (mine && !m_moveInFlight && !m_watching) ++m_tally.serverMoves;
  if (mine || id == SRV_RESULT || id == SRV_DEAL) m_moveInFlight = false;
  if (id == SRV_DEAL) m_readied = false;
  // Once the client is ready for the next game its table is cleared (the start button empties
  // the hand), while the chair's view still holds the last game: a message before the deal
  // (another client's auto-play reset, sent late when it handled the result) has nothing of a
  // game to be held against.
  const bool between = m_readied && m_view.Phase() != ViewPhase::Playing;

  if (m_check && !between) {
    m_checker.Check(TruthNow(id, id == SRV_RESULT ? &m.result : nullptr), m_moveInFlight);
    CheckWatcherFaces();
  }
  if (id != SRV_RESULT) return;
  for (uint16_t c = 0; c < SEAT_COUNT; ++c) {
    m_tally.score[c] += m.result.score[c];
    if (m.result.leftCount[c] == 0) ++m_tally.wins[c];
  }
  ++m_tally.games;
  if (m_returned) ++m_tally.returnedGames;
  m_returned = false;
}

void CNetPlay::AfterPoll() {
  if (m_sceneToCheck) {
    m_checker.Check(TruthNow(0, nullptr), false);
    CheckWatcherFaces();
  }
  m_sceneToCheck = false;
}

tagChairTruth CNetPlay::TruthNow(uint16_t id, const tagSrvResult* result) const {
  tagChairTruth t{};
  t.id = id;
  t.playing = m_view.Phase() == ViewPhase::Playing;
  t.current = m_view.Current();
  t.pauseUntil = m_pauseUntil;
  std::memcpy(t.hand, m_view.Hand(), m_view.HandCount());
  for (uint16_t c = 0; c < SEAT_COUNT; ++c) {
    t.counts[c] = m_view.CardCount(c);
    t.trustee[c] = m_view.Trustee(c);
  }
  t.pile = m_view.Pile();
  t.multiple = m_view.Multiple();
  t.turn = m_view.Turn();
  if (result != nullptr) {
    // The view keeps the counts of the last play; the result says what was left.
    t.resultMultiple = result->multiple;
    for (uint16_t c = 0; c < SEAT_COUNT; ++c) {
      t.counts[c] = result->leftCount[c];
      t.resultScore[c] = result->score[c];
    }
  }
  return t;
}

// A watcher sees the watched hand's faces only when its player allows it.
// The result shows every hand's last cards to everybody.
void CNetPlay::CheckWatcherFaces() {
  if (!m_watching || m_view.Phase() == ViewPhase::Over) return;
  const CardControl* own = m_client.View().m_pHandCard[LOCAL_SEAT].get();
  if (own == nullptr || own->GetCardCount() == 0) return;
  m_checker.Expect(own->IsFaceUp() == m_allow, [&] {
    return std::string("the watched hand is shown ") + (own->IsFaceUp() ? "face up" : "face down") +
           (m_allow ? " though its player allows watchers" : " though its player hides it");
  });
}

}  // namespace headless
