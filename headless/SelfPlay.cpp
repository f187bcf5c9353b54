#include "headless/SelfPlay.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "cardcontrol/CardControl.h"
#include "headless/LinkRelay.h"
#include "widgets/MyCButtonEx.h"
#include "widgets/ScoreView.h"

namespace headless {

namespace {

// The step of virtual time when nothing at all is due.
constexpr uint64_t kIdleStepMs = 1000;

bool IsMove(WORD id) { return id == CLI_PLAY || id == CLI_PASS; }

}  // namespace

// The client's link during self-play: everything goes on to the in-process link as it is, and
// what arrives is looked at once the frame has handled it.
class CSelfPlay::CTap final : public ITableLink, private CLinkRelay {
 public:
  explicit CTap(CSelfPlay& game) : m_game(game), m_link(*game.m_link) {}

  bool SendGameData(WORD id, const void* data, WORD size) override {
    if (!m_link.SendGameData(id, data, size)) return false;
    m_game.OnSent(id, static_cast<const uint8_t*>(data), size);
    return true;
  }
  bool SendUserReady(const void* data, WORD size) override {
    return Sent(m_link.SendUserReady(data, size));
  }
  bool SendChangeTable(WORD table) override { return Sent(m_link.SendChangeTable(table)); }
  bool RejoinTable() override { return Sent(m_link.RejoinTable()); }
  void Poll(ILinkSink& sink) override {
    m_sink = &sink;
    m_link.Poll(*this);
    m_game.AfterPoll();
  }
  uint64_t NextEventMs() override { return m_link.NextEventMs(); }

 private:
  bool Sent(bool sent) {
    if (sent) ++m_game.m_sent;
    return sent;
  }
  void OnLinkScene(BYTE status, bool lookon, const void* data, WORD size) override {
    m_sink->OnLinkScene(status, lookon, data, size);
    m_game.OnScene(status);
  }
  void OnLinkGameMessage(WORD id, const void* data, WORD size) override {
    m_sink->OnLinkGameMessage(id, data, size);
    m_game.OnMessage(id, static_cast<const uint8_t*>(data), size);
  }

  CSelfPlay& m_game;
  CInProcessLink& m_link;
};

CSelfPlay::CSelfPlay(CHeadlessClient& client, std::unique_ptr<CInProcessLink> link, uint64_t seed)
    : m_client(client),
      m_link(std::move(link)),
      m_tap(std::make_unique<CTap>(*this)),
      m_random(seed * 7919 + 13),
      m_me(m_link->TableEnd().Chair()) {
  m_checker.SetChair(m_me);
}

CSelfPlay::~CSelfPlay() {
  m_client.SetLink(nullptr);
  m_link->Host().SetObserver(nullptr);
}

void CSelfPlay::Play(uint32_t games, uint64_t limitMs) {
  if (m_check) m_link->Host().SetObserver(this);
  if (!m_client.Running()) return Fail("the client is not running");
  Attach();
  const uint64_t end = m_client.Now() + limitMs;
  while (m_tally.games < games && m_client.Now() < end && !m_tally.failed &&
         !(m_stopAtDivergence && m_tally.divergences > 0)) {
    Step();
  }
}

// The client talks through the tap, counting what it sends from the table end's count on.
void CSelfPlay::Attach() {
  m_client.SetLink(m_tap.get());
  m_sent = m_link->TableEnd().Received();
}

bool CSelfPlay::StartClient() {
  Attach();
  return m_client.Start(m_client.DataFolder());
}

// The player quits during a game; a new client comes back later.
void CSelfPlay::Leave(uint64_t awayMs) {
  m_client.Stop();
  m_link->Leave(m_client.Now());
  m_truths.clear();
  m_sceneToCheck = false;
  m_away = true;
  m_returnAt = m_client.Now() + awayMs;
  m_actAt = m_startAt = 0;
}

// One step of virtual time, to the next thing due: a window timer, a frame clock's tick, a table
// event or a packet, the player's move or start. Nothing happens in between, so nothing is
// skipped.
void CSelfPlay::Step() {
  const uint64_t now = m_client.Now();
  if (m_away) {
    // Only the table runs until the player comes back.
    const uint64_t next = std::min(m_returnAt, m_link->TableEnd().NextEvent());
    m_client.Clock().Advance(next > now ? next - now : 1);
    m_link->RunTable(m_client.Now());
    if (m_client.Now() < m_returnAt) return;
    m_away = false;
    m_link->Return();
    if (!StartClient()) Fail("the client did not start again");
    return;
  }
  uint64_t next = m_client.NextDue();
  if (m_actAt != 0) next = std::min(next, m_actAt);
  if (m_startAt != 0) next = std::min(next, m_startAt);
  m_client.StepTo(next == UINT64_MAX ? now + kIdleStepMs : next);
  if (m_client.Closed()) {
    Expect(false, "the client closed its window");
    return Leave(1000);
  }
  LocalPlayer();
  // The player's move reaches the table at once (unless the player went away).
  if (!m_away) m_client.Pump();
  if (m_link->TableEnd().Refused() != m_tally.refusedMoves) {
    m_tally.refusedMoves = m_link->TableEnd().Refused();
    Note("the table refused an input of the client");
  }
}

void CSelfPlay::LocalPlayer() {
  const CTable& table = Table();
  const uint64_t now = m_client.Now();
  // Between games: the start button, pressed after a moment.
  if (table.Phase() == TablePhase::Free) {
    gcn::MyCButtonEx* start = m_client.Button("start");
    if (start == nullptr || !start->isVisible()) return;
    if (m_startAt == 0) m_startAt = now + 300 + m_random.Below(2000);
    if (now < m_startAt) return;
    m_startAt = 0;
    m_client.Click("start");
    return;
  }
  m_startAt = 0;
  if (table.Phase() != TablePhase::Playing || table.Current() != m_me || now < table.PauseUntil()) {
    m_actAt = 0;
    return;
  }
  if (m_actSerial != m_turnSerial || m_actAt == 0) {
    m_actSerial = m_turnSerial;
    m_actAt = now + ThinkMs();
  }
  if (now < m_actAt) return;
  m_actAt = 0;
  Move();
}

uint64_t CSelfPlay::ThinkMs() { return 200 + m_random.Below(2500); }

void CSelfPlay::Move() { PlayHint(); }

void CSelfPlay::PlayHint() {
  gcn::MyCButtonEx* hint = m_client.Button("hint");
  if (hint == nullptr || !hint->isVisible()) return;  // not the player's turn on the screen
  m_client.Click("hint");
  if (!m_client.Click("play")) m_client.Click("pass");
}

// ---- what passes the link --------------------------------------------------------------------
void CSelfPlay::OnSent(WORD id, const uint8_t* data, WORD size) {
  ++m_sent;
  if (IsMove(id)) {
    m_lastMove = m_sent;
    m_localMoveMade = true;
    ++m_tally.clientMoves;
  }
  if (id == CLI_AUTO_PLAY && size == 4 && data[2] == 1) ++m_tally.autoPlayOn;
}

CSelfPlay::tagTruth CSelfPlay::TruthNow() const {
  const CTable& t = m_link->Host().Table();
  tagTruth truth{};
  truth.playing = t.Phase() == TablePhase::Playing;
  truth.current = t.Current();
  truth.pauseUntil = t.PauseUntil();
  std::memcpy(truth.hand, t.Hand(m_me), t.HandCount(m_me));
  for (uint16_t c = 0; c < SEAT_COUNT; ++c) {
    truth.counts[c] = t.HandCount(c);
    truth.trustee[c] = t.Trustee(c);
  }
  truth.pile = t.PileCount();
  truth.multiple = t.Multiple();
  truth.turn = t.Turn();
  truth.resultMultiple = t.Stats().multiple;
  for (uint16_t c = 0; c < SEAT_COUNT; ++c) truth.resultScore[c] = t.Stats().score[c];
  truth.received = m_link->TableEnd().Received();
  return truth;
}

// The table sends a message: what it is at this moment is what the client must show once the
// message arrives (later, and maybe after more messages).
void CSelfPlay::OnDelivered(uint16_t chair, uint16_t id, const uint8_t*, size_t) {
  if (chair != m_me || !Table().Connected(m_me)) return;  // the table end passes it on
  m_truths.push_back(TruthNow());
  m_truths.back().id = id;
}

void CSelfPlay::OnMessage(uint16_t id, const uint8_t* data, size_t size) {
  ObserveForMarks(id, data, size);
  ++m_tally.messages;
  ++m_turnSerial;
  m_sceneToCheck = false;
  if (m_check) {
    if (m_truths.empty() || m_truths.front().id != id)
      return Fail("message " + std::to_string(id) + " is not the next one the table sent");
    Check(m_truths.front());
    m_truths.pop_front();
  }
  if (id != SRV_RESULT) return;
  const tagGameStats& stats = Table().Stats();
  for (uint16_t c = 0; c < SEAT_COUNT; ++c) {
    m_tally.score[c] += stats.score[c];
    if (stats.winner == c) ++m_tally.wins[c];
  }
  ++m_tally.games;
  if (m_returned) ++m_tally.returnedGames;
  m_returned = false;
}

void CSelfPlay::OnScene(uint8_t status) {
  // The scene carries no passes: the client starts from none.
  m_checker.OnScene(Table().Turn().count > 0);
  if (status != STATUS_PLAYING) return;
  ++m_tally.returns;
  m_returned = true;
  // The table as it is now is the scene's, unless messages follow it.
  m_sceneToCheck = m_check;
}

void CSelfPlay::AfterPoll() {
  if (m_sceneToCheck) Check(TruthNow());
  m_sceneToCheck = false;
}

// ---- the server's moves for the player ------------------------------------------------------
void CSelfPlay::ObserveForMarks(uint16_t id, const uint8_t* data, size_t size) {
  m_checker.Observe(id, data, size);
  tagServerMessage m;
  if (!DecodeServerMessage(id, data, size, m_me, m)) return;
  switch (id) {
    case SRV_PLAY:
      if (m.play.outChair == m_me && !m_localMoveMade) ++m_tally.serverMoves;
      if (m.play.outChair == m_me) m_localMoveMade = false;
      break;
    case SRV_PASS:
      if (m.pass.passChair == m_me) {
        if (!m_localMoveMade) ++m_tally.serverMoves;
        m_localMoveMade = false;
      }
      break;
    case SRV_PASS_NOTICE:
      if (m.passNotice.passChair == m_me) ++m_tally.serverMoves;
      break;
    default:
      break;
  }
}

void CSelfPlay::Note(const std::string& what) { m_checker.Note(what); }
void CSelfPlay::Fail(const std::string& what) { m_checker.Fail(what); }
void CSelfPlay::Expect(bool ok, const std::string& what) { m_checker.Expect(ok, what); }

void CSelfPlay::Check(const tagTruth& t) { m_checker.Check(t, m_lastMove > t.received); }

}  // namespace headless
