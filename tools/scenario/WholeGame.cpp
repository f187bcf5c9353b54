#include "tools/scenario/WholeGame.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <string>

#include "cardcontrol/CardControl.h"
#include "link/Packet.h"
#include "server/TrusteePlay.h"
#include "widgets/MyCButtonEx.h"
#include "widgets/ScoreView.h"

namespace scenario {

namespace {

std::string Cards(const uint8_t* cards, size_t n) { return "[" + HexList(cards, n) + "]"; }

}  // namespace

CWholeGame::CWholeGame(CClientHarness& harness, uint64_t seed, WORD me, LocalPlay mode)
    : m_h(harness), m_host(HostConfig(seed)), m_random(seed * 7919 + 13), m_me(me), m_mode(mode) {}

tagHostConfig CWholeGame::HostConfig(uint64_t seed) {
  tagHostConfig config;
  config.table.seed = seed;
  config.table.baseScore = 2;
  config.botDelayMinMs = 300;
  config.botDelayMaxMs = 1800;
  return config;
}

void CWholeGame::SetBotLevels(const char* chair0, const char* chair1, const char* chair2) {
  m_botLevels[0] = chair0;
  m_botLevels[1] = chair1;
  m_botLevels[2] = chair2;
}

void CWholeGame::Play(uint32_t games, uint64_t limitMs) {
  for (WORD c = 0; c < SEAT_COUNT; ++c) {
    const bool seated = c == m_me ? m_host.SeatHuman(c, this) : m_host.SeatBot(c, m_botLevels[c]);
    if (!seated) return Fail("chair " + std::to_string(c) + " could not be seated");
  }
  EnterTable();
  DeliverTableScene();
  const uint64_t end = m_h.Now() + limitMs;
  m_startAt = m_h.Now() + 500;
  while (m_tally.games < games && m_h.Now() < end && !m_tally.failed) {
    if (m_stopAtDivergence && m_tally.divergences > 0) break;
    Step();
  }
}

void CWholeGame::DeliverMessage(uint16_t id, const uint8_t* data, size_t size) {
  // The record travels in a game packet of the link's format, as the embedded link carries it.
  uint8_t packet[PACKET_MAX_SIZE];
  tagPacket decoded;
  const size_t n =
      EncodePacket(GamePacket(id, data, size), PacketDirection::ToClient, packet, sizeof(packet));
  if (n == 0 || !DecodePacket(packet, n, PacketDirection::ToClient, decoded)) {
    Expect(false, "message " + std::to_string(id) + " does not travel in a packet");
    return;
  }
  ObserveForMarks(id, decoded.record, decoded.recordSize);
  m_h.Link().DeliverGameMessage(decoded.sub, decoded.record, decoded.recordSize);
  m_h.Dialog().PollLink();
  ++m_tally.messages;
  ++m_turnSerial;
  if (m_check) CheckTruth(id);
  if (id == SRV_RESULT) {
    CountResult();
    ++m_tally.games;
    if (m_returned) ++m_tally.returnedGames;
    m_returned = false;
    m_startAt = 0;
  }
}

void CWholeGame::DeliverScene(uint8_t status, const uint8_t* data, size_t size) {
  m_h.Link().DeliverScene(status, false, data, static_cast<WORD>(size));
  m_h.Dialog().PollLink();
  // The scene carries no passes: the client starts from none.
  std::fill(std::begin(m_marks), std::end(m_marks), false);
  m_pauseEnds = 0;
  m_trickOpen = m_host.Table().Turn().count > 0;
  if (status == STATUS_PLAYING && m_check) CheckTruth(0);
}

void CWholeGame::CountResult() {
  const CTable& table = m_host.Table();
  for (WORD c = 0; c < SEAT_COUNT; ++c) {
    m_tally.score[c] += table.Stats().score[c];
    if (table.Stats().winner == c) ++m_tally.wins[c];
  }
}

// The frame's users and the client's own chair, as the lobby gives them on entering.
void CWholeGame::EnterTable() {
  CLoopbackLink& link = m_h.Link();
  link.DeliverSelf(m_me, false, false);
  tagServerAttribute attribute{};
  attribute.wChairCount = SEAT_COUNT;
  link.DeliverServerAttribute(attribute);
  static const char* const kNames[SEAT_COUNT] = {"Alice", "Bruno", "Chen"};
  for (WORD c = 0; c < SEAT_COUNT; ++c) {
    tagUserData user{};
    SetUserName(user, kNames[c]);
    user.cbGender = static_cast<BYTE>(c == 0 ? GENDER_FEMALE : GENDER_MALE);
    user.wFaceID = c;
    user.wChairID = c;
    user.cbUserStatus = US_SIT;
    link.DeliverUserEnter(user, c, false);
  }
  m_h.Pump();
  m_forwarded = 0;
}

// The client quits during a game; a few seconds later a new one comes back to the table.
void CWholeGame::Leave() {
  m_h.Stop();
  m_host.Leave(m_me, m_now);
  m_away = true;
  m_returnAt = m_now + 1000 + m_random.Below(15000);
  m_actAt = 0;
}

void CWholeGame::Return() {
  m_away = false;
  if (!m_h.Start()) return Fail("the client did not start again");
  m_h.Clock().Advance(m_now > m_h.Now() ? m_now - m_h.Now() : 0);
  EnterTable();
  if (m_host.Return(m_me, m_now)) {
    ++m_tally.returns;
    m_returned = true;
    return;
  }
  // The game ended while the client was away, and the chair was freed: sit down again.
  if (!m_host.SeatHuman(m_me, this)) return Fail("the client's chair could not be taken again");
  DeliverTableScene();
}

void CWholeGame::DeliverTableScene() {
  uint8_t status = 0;
  uint8_t buffer[sizeof(tagScenePlaying)];
  size_t size = 0;
  if (m_host.Table().BuildScene(m_me, status, buffer, sizeof(buffer), size))
    DeliverScene(status, buffer, size);
}

// One step of virtual time: the client's timers and clocks, the table's events, the local
// player.
void CWholeGame::Step() {
  if (m_away) {
    // Only the table runs until the client comes back.
    const uint64_t next = std::min(m_returnAt, std::max(m_now, m_host.NextEvent()));
    m_now = next;
    while (m_host.NextEvent() <= m_now) m_host.Step();
    if (m_now >= m_returnAt) Return();
    return;
  }
  const uint64_t now = m_h.Now();
  // Virtual time jumps to the next thing due: a window timer, a tick of a frame clock, a table
  // event, the player's move or start. Nothing happens in between, so nothing is skipped.
  const uint64_t next = NextDue(now);
  if (next > now) m_h.Clock().Advance(next - now);
  m_now = m_h.Now();
  m_h.Pump();
  if (m_h.Closed()) {
    Note("the client closed its window");
    ++m_tally.divergences;
    m_h.Stop();
    if (!m_h.Start()) Fail("the client did not start again");
    return;
  }
  m_h.Dialog().StepClocks();
  Forward();
  while (m_host.NextEvent() <= m_h.Now()) {
    m_host.Step();
    Forward();
  }
  LocalPlayer();
  Forward();
}

uint64_t CWholeGame::NextDue(uint64_t now) const {
  uint64_t next = UINT64_MAX;
  const int64_t timer = CMessageQueue::Instance().MsUntilNextTimer();
  if (timer >= 0) next = now + static_cast<uint64_t>(timer);
  next = std::min(next, m_h.Dialog().NextClockTickMs());
  next = std::min(next, m_host.NextEvent());
  if (m_actAt != 0) next = std::min(next, m_actAt);
  if (m_startAt != 0) next = std::min(next, m_startAt);
  // A step always moves time on, so a timer that is due already cannot hold time still.
  if (next <= now) return now + 1;
  return next == UINT64_MAX ? now + kIdleStepMs : next;
}

// What the client sent goes to the table as the chair's input.
void CWholeGame::Forward() {
  if (m_away || !m_h.Running()) return;
  const auto& sent = m_h.Link().Sent();
  while (m_forwarded < sent.size()) {
    const CLoopbackLink::tagSent m = sent[m_forwarded++];
    TableCode code = TableCode::Ok;
    if (m.kind == CLoopbackLink::SentKind::UserReady) {
      code = m_host.Ready(m_me, m_h.Now());
      tagUserData user = *m_h.Dialog().GetUserData(m_me);
      user.cbUserStatus = US_READY;
      m_h.Link().DeliverUserStatus(user, m_me, false);
    } else if (m.kind == CLoopbackLink::SentKind::GameData) {
      if (m.id == CLI_PLAY || m.id == CLI_PASS) {
        ++m_tally.clientMoves;
        m_localMoveMade = true;
      }
      if (m.id == CLI_AUTO_PLAY && m.data.size() == 4 && m.data[2] == 1) ++m_tally.autoPlayOn;
      code = m_host.ClientMessage(m_me, m.id, m.data.data(), m.data.size(), m_h.Now());
    }
    if (code != TableCode::Ok) {
      ++m_tally.refusedMoves;
      Note("the table refused message " + std::to_string(m.id) + " (code " +
           std::to_string(static_cast<int>(code)) + ")");
    }
  }
}

void CWholeGame::LocalPlayer() {
  CGameClientDlg& dlg = m_h.Dialog();
  const CTable& table = m_host.Table();
  const uint64_t now = m_h.Now();
  // Between games: the start button, pressed after a moment.
  gcn::MyCButtonEx* start = m_h.Button("start");
  const bool startShown = start != nullptr && start->isVisible();
  if (table.Phase() != TablePhase::Playing) m_leftThisGame = false;
  if (table.Phase() == TablePhase::Free && (startShown || m_startAt != 0)) {
    if (m_startAt == 0) m_startAt = now + 300 + m_random.Below(2000);
    if (now >= m_startAt) {
      m_startAt = 0;
      dlg.SendMessage(MSG_START, 0, 0);
    }
    return;
  }
  if (table.Phase() != TablePhase::Playing || table.Current() != m_me || now < table.PauseUntil()) {
    m_actAt = 0;
    return;
  }
  if (m_actSerial != m_turnSerial || m_actAt == 0) {
    m_actSerial = m_turnSerial;
    // Now and then a person lets the clock run out and the server moves.
    const bool waitsOut = m_mode != LocalPlay::HintThenPlay && m_random.Below(12) == 0;
    m_actAt = now + (waitsOut ? 30000 : 200 + m_random.Below(2500));
  }
  if (now < m_actAt) return;
  m_actAt = 0;
  if (m_mode == LocalPlay::TableDirect) {
    PlayDirect();
    return;
  }
  if (m_mode == LocalPlay::HintThenPlay) {
    PlayHintThenPlay();
    return;
  }
  // Now and then, in a game picked for it, the client goes away mid-game.
  if (m_leaveEvery != 0 && (m_tally.games + 1) % m_leaveEvery == 0 && !m_leftThisGame &&
      table.HandCount(m_me) > 1 && m_random.Below(3) == 0) {
    m_leftThisGame = true;
    Leave();
    return;
  }
  PlayByClicks();
}

void CWholeGame::Click(const char* name) { m_h.Click(name); }

// The player at the table: what a person does with the buttons and the cards.
void CWholeGame::PlayByClicks() {
  CGameClientDlg& dlg = m_h.Dialog();
  gcn::MyCButtonEx* hint = m_h.Button("hint");
  if (hint == nullptr || !hint->isVisible()) return;  // not the player's turn on the screen
  if (dlg.GetState().autoPlay) {
    // On auto-play the client moves by itself; now and then the player takes over again.
    if (m_random.Below(3) == 0) Click("autooff");
    return;
  }
  const uint32_t choice = m_random.Below(20);
  if (choice < 3) return;  // the player does nothing: the clock runs out
  if (choice < 7) {
    // A raise of the player's own: any legal answer from the table's point of view.
    const CTable& table = m_host.Table();
    CGameLogic logic;
    logic.SetSingleJokerRule(table.SingleJokerRule());
    tagPlayCandidate scratch;
    if (logic.ListAnswers(table.Hand(m_me), table.HandCount(m_me),
                          HintReference(logic, table.Turn()), table.Turn().count, scratch)) {
      const tagPlayCandidate& c = logic.GetAnswer(m_random.Below(logic.GetAnswerCount()));
      if (m_h.Raise(c.cards, c.count)) {
        const bool legal = IsLegalPlay(logic, c.cards, c.count, table.Turn());
        gcn::MyCButtonEx* play = m_h.Button("play");
        Expect(play != nullptr && play->isEnabled() == legal,
               "the play button does not follow the table's check for " + Cards(c.cards, c.count));
        if (legal) {
          Click(m_random.Below(4) == 0 ? "right" : "play");
          return;
        }
      }
    }
  }
  if (choice == 7 && m_h.Button("pass")->isEnabled()) {
    Click("pass");
    return;
  }
  PlayHintThenPlay();
}

// The client's own choice: the hint's play, or a pass when it finds nothing to beat with.
void CWholeGame::PlayHintThenPlay() {
  gcn::MyCButtonEx* hint = m_h.Button("hint");
  if (hint == nullptr || !hint->isVisible()) return;
  Click("hint");
  gcn::MyCButtonEx* play = m_h.Button("play");
  if (play != nullptr && play->isVisible() && play->isEnabled()) {
    Click("play");
  } else {
    Click("pass");
  }
}

// The chair's move straight into the table: the trustee's move, or another legal candidate.
void CWholeGame::PlayDirect() {
  const CTable& table = m_host.Table();
  CGameLogic logic;
  logic.SetSingleJokerRule(table.SingleJokerRule());
  tagTableMove move =
      ChooseTrusteeMove(logic, table.Hand(m_me), table.HandCount(m_me), table.Turn());
  tagPlayCandidate scratch;
  if (m_random.Below(3) == 0 &&
      logic.ListAnswers(table.Hand(m_me), table.HandCount(m_me), HintReference(logic, table.Turn()),
                        table.Turn().count, scratch)) {
    const tagPlayCandidate& c = logic.GetAnswer(m_random.Below(logic.GetAnswerCount()));
    if (IsLegalPlay(logic, c.cards, c.count, table.Turn())) move = PlayMove(c.cards, c.count);
  }
  if (table.Turn().count > 0 && m_random.Below(5) == 0) move = PassMove();
  m_localMoveMade = true;
  TableCode code;
  if (move.pass) {
    code = m_host.ClientMessage(m_me, CLI_PASS, nullptr, 0, m_h.Now());
  } else {
    tagCliPlay play{};
    play.count = move.count;
    std::memcpy(play.cards, move.cards, move.count);
    uint8_t buffer[sizeof(tagCliPlay)];
    const size_t n = EncodeCliPlay(play, buffer, sizeof(buffer));
    code = m_host.ClientMessage(m_me, CLI_PLAY, buffer, n, m_h.Now());
  }
  if (code != TableCode::Ok) {
    ++m_tally.refusedMoves;
    Note("the table refused the test's own move");
  }
}

// ---- the pass marks the table's messages call for ------------------------------------------
// A chair shows a pass mark from its pass until its next turn or the next lead; after a play
// nobody can answer, every other chair shows one until the pause is over.
void CWholeGame::ObserveForMarks(uint16_t id, const uint8_t* data, size_t size) {
  tagServerMessage m;
  if (!DecodeServerMessage(id, data, size, m_me, m)) return;
  switch (id) {
    case SRV_PLAY_BEGIN:
      std::fill(std::begin(m_marks), std::end(m_marks), false);
      m_trickOpen = false;
      m_pauseEnds = 0;
      break;
    case SRV_PLAY: {
      const WORD out = m.play.outChair;
      if (!m_trickOpen) std::fill(std::begin(m_marks), std::end(m_marks), false);
      m_trickOpen = true;
      m_pauseEnds = 0;
      if (m.play.currentChair == out) {
        for (WORD c = 0; c < SEAT_COUNT; ++c) m_marks[c] = c != out;
        m_trickOpen = false;
        m_pauseEnds = m_h.Now() + NEW_TURN_TIMER_MS;
      } else if (IsChair(m.play.currentChair)) {
        m_marks[m.play.currentChair] = false;
      }
      if (out == m_me && !m_localMoveMade) ++m_tally.serverMoves;
      if (out == m_me) m_localMoveMade = false;
      break;
    }
    case SRV_PASS:
      m_marks[m.pass.passChair] = true;
      m_marks[m.pass.currentChair] = false;
      if (m.pass.newTurn == 1) m_trickOpen = false;
      if (m.pass.passChair == m_me) {
        if (!m_localMoveMade) ++m_tally.serverMoves;
        m_localMoveMade = false;
      }
      break;
    case SRV_PASS_NOTICE:
      m_marks[m.passNotice.passChair] = true;
      m_marks[m.passNotice.currentChair] = false;
      if (m.passNotice.passChair == m_me) ++m_tally.serverMoves;
      break;
    default:
      break;
  }
}

// ---- the client against the table ------------------------------------------------------------
void CWholeGame::Note(const std::string& what) {
  if (m_tally.firstFailures.size() < 12) {
    m_tally.firstFailures.push_back("game " + std::to_string(m_tally.games + 1) + ", message " +
                                    std::to_string(m_tally.messages) + ": " + what);
  }
}

void CWholeGame::Fail(const std::string& what) {
  m_tally.failed = true;
  Note(what);
}

void CWholeGame::Expect(bool ok, const std::string& what) {
  if (ok) return;
  ++m_tally.divergences;
  Note(what);
}

// A play or pass the client sent that the table has not been given yet: the message being
// checked came out of an earlier input (the client's own auto-play switch, say).
bool CWholeGame::MoveInFlight() const {
  const auto& sent = m_h.Link().Sent();
  for (size_t i = m_forwarded; i < sent.size(); ++i) {
    if (sent[i].kind == CLoopbackLink::SentKind::GameData &&
        (sent[i].id == CLI_PLAY || sent[i].id == CLI_PASS))
      return true;
  }
  return false;
}

void CWholeGame::CheckTruth(uint16_t id) {
  const CTable& table = m_host.Table();
  CGameClientDlg& dlg = m_h.Dialog();
  CGameClientView& view = m_h.View();
  const tagClientState& s = dlg.GetState();
  const std::string at = " after message " + std::to_string(id);
  const bool inFlight = MoveInFlight();

  // The hand, in rank order on both sides; a play on its way counts as still held.
  uint8_t hand[MAX_CARDS] = {};
  uint8_t count = s.handCount;
  std::memcpy(hand, s.hand, s.handCount);
  if (inFlight && count + s.pendingCount <= MAX_CARDS) {
    std::memcpy(hand + count, s.pendingCards, s.pendingCount);
    count = static_cast<uint8_t>(count + s.pendingCount);
  }
  CGameLogic logic;
  logic.SortCards(hand, count, SORT_BY_RANK);
  Expect(count == table.HandCount(m_me) && std::memcmp(hand, table.Hand(m_me), count) == 0,
         "hand " + Cards(hand, count) + " vs table " +
             Cards(table.Hand(m_me), table.HandCount(m_me)) + at);
  for (WORD c = 0; c < SEAT_COUNT; ++c) {
    if (c == m_me && inFlight) continue;
    Expect(s.cardCount[c] == table.HandCount(c), "card count of chair " + std::to_string(c) + ": " +
                                                     std::to_string(s.cardCount[c]) + " vs " +
                                                     std::to_string(table.HandCount(c)) + at);
  }

  if (table.Phase() == TablePhase::Playing) {
    Expect(view.m_cbGameRunning == 1, "the game is not shown running" + at);
    Expect(view.m_cbLeftCardCount == table.PileCount(),
           "deck " + std::to_string(view.m_cbLeftCardCount) + " vs " +
               std::to_string(table.PileCount()) + at);
    Expect(
        s.multiple == table.Multiple() && view.m_wBeiShu == table.Multiple(),
        "multiple " + std::to_string(s.multiple) + " vs " + std::to_string(table.Multiple()) + at);
    const tagTurn& turn = table.Turn();
    Expect(s.turnCount == turn.count && std::memcmp(s.turnCards, turn.cards, turn.count) == 0 &&
               std::memcmp(s.turnResolved, turn.resolved, turn.count) == 0,
           "turn " + Cards(s.turnCards, s.turnCount) + " vs " + Cards(turn.cards, turn.count) + at);
    for (WORD c = 0; c < SEAT_COUNT; ++c) {
      const WORD seat = dlg.SwitchViewChairID(c);
      if (c == m_me && inFlight) continue;
      Expect(view.m_cbCardCount[seat] == table.HandCount(c),
             "drawn count of chair " + std::to_string(c) + at);
      Expect(view.m_cbAutoPlayFlag[seat] == (table.Trustee(c) ? 1 : 0),
             "auto-play mark of chair " + std::to_string(c) + at);
      const bool mark = m_marks[c] && !(m_pauseEnds != 0 && m_h.Now() >= m_pauseEnds);
      Expect(view.m_cbPassFlag[seat] == (mark ? 1 : 0),
             "pass mark of chair " + std::to_string(c) + ": " +
                 std::to_string(view.m_cbPassFlag[seat]) + at);
      if (c != m_me) {
        const CardControl* control = view.m_pHandCard[seat].get();
        Expect(control != nullptr && control->GetCardCount() == table.HandCount(c),
               "cards shown for chair " + std::to_string(c) + at);
      }
      // The turn clock runs on the current chair only (it may have run out already).
      const bool paused = m_h.Now() < table.PauseUntil();
      if (c != table.Current() || paused) {
        Expect(dlg.GetGameTimerSeconds(c) == 0, "a clock runs on chair " + std::to_string(c) + at);
      }
    }
    const CardControl* own = view.m_pHandCard[LOCAL_SEAT].get();
    Expect(own != nullptr && own->GetCardCount() == s.handCount,
           "the local hand control holds " + std::to_string(own ? own->GetCardCount() : 0) + at);
    const bool myTurn = table.Current() == m_me && m_h.Now() >= table.PauseUntil() && !inFlight;
    gcn::MyCButtonEx* hint = m_h.Button("hint");
    Expect(
        hint != nullptr && hint->isVisible() == myTurn,
        std::string("the hint button is ") + (hint && hint->isVisible() ? "shown" : "hidden") + at);
  }
  if (id == SRV_RESULT) {
    const tagGameStats& stats = table.Stats();
    Expect(s.multiple == stats.multiple, "result multiple" + at);
    const CScoreView* panel = view.m_pScoreView.get();
    Expect(panel != nullptr && panel->IsShow(), "the end panel is not shown" + at);
    for (WORD c = 0; c < SEAT_COUNT && panel != nullptr; ++c) {
      const tagScoreEntry* e = panel->GetEntry(dlg.SwitchViewChairID(c));
      Expect(e->lScore == stats.score[c] && e->cbCardsLeft == table.HandCount(c),
             "end panel entry of chair " + std::to_string(c) + at);
      const CardControl* control = view.m_pHandCard[dlg.SwitchViewChairID(c)].get();
      Expect(control != nullptr && control->GetCardCount() == table.HandCount(c) &&
                 (table.HandCount(c) == 0 || control->IsFaceUp()),
             "left cards of chair " + std::to_string(c) + at);
    }
  }
}

}  // namespace scenario
