#include "server/Table.h"

#include <cstring>
#include <limits>

#include "server/TableRules.h"

namespace {

int32_t ClampToInt32(int64_t v) {
  if (v > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  if (v < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(v);
}

// Bound on the chairs the server plays for in one Tick (each act hands the turn on).
constexpr int kMaxActsPerTick = 64;

}  // namespace

CTable::CTable(ITableSink& sink, const tagTableConfig& config)
    : m_sink(sink), m_config(config), m_random(config.seed) {
  m_stats.winner = NO_CHAIR;
}

void CTable::Send(uint16_t chair, uint16_t id, const uint8_t* data, size_t size) {
  m_sink.OnTableMessage(chair, id, data, size);
}

// --- Seats ---------------------------------------------------------------------------------------

bool CTable::Sit(uint16_t chair, bool human) {
  if (chair >= SEAT_COUNT || m_seated[chair]) return false;
  m_seated[chair] = 1;
  m_human[chair] = human ? 1 : 0;
  m_connected[chair] = 1;
  m_ready[chair] = 0;
  m_gold[chair] = 0;
  return true;
}

void CTable::Leave(uint16_t chair, uint64_t now) {
  if (chair >= SEAT_COUNT || !m_seated[chair]) return;
  if (m_phase == TablePhase::Free) {
    m_seated[chair] = 0;
    m_ready[chair] = 0;
    m_connected[chair] = 0;
    return;
  }
  m_connected[chair] = 0;
  if (!m_trustee[chair]) SetTrustee(chair, true, false);
  // A gone chair never reports its deal as done.
  m_dealDone[chair] = 1;
  BeginPlayWhenDealt(now);
  Tick(now);
}

bool CTable::Return(uint16_t chair, uint64_t now) {
  if (chair >= SEAT_COUNT || !m_seated[chair] || m_connected[chair]) return false;
  m_connected[chair] = 1;
  (void)now;
  return true;
}

bool CTable::StackNextDeal(const uint8_t deck[DECK_SIZE], uint16_t banker) {
  if (banker >= SEAT_COUNT) return false;
  bool seen[DECK_SIZE] = {};
  for (int i = 0; i < DECK_SIZE; ++i) {
    const int at = CardDeckIndex(deck[i]);
    if (at < 0 || seen[at]) return false;
    seen[at] = true;
  }
  std::memcpy(m_stackedDeck, deck, DECK_SIZE);
  m_stackedBanker = banker;
  return true;
}

TableCode CTable::SetReady(uint16_t chair, uint64_t now) {
  if (chair >= SEAT_COUNT || !m_seated[chair]) return TableCode::NotSeated;
  if (m_phase != TablePhase::Free) return TableCode::WrongPhase;
  m_ready[chair] = 1;
  for (uint16_t c = 0; c < SEAT_COUNT; ++c) {
    if (!m_seated[c] || !m_ready[c]) return TableCode::Ok;
  }
  StartGame(now);
  return TableCode::Ok;
}

// --- Game flow -----------------------------------------------------------------------------------

void CTable::StartGame(uint64_t now) {
  ++m_games;
  m_stats = tagGameStats{};
  m_stats.winner = NO_CHAIR;
  std::memset(m_hands, 0, sizeof(m_hands));
  std::memset(m_handCount, 0, sizeof(m_handCount));
  std::memset(m_ready, 0, sizeof(m_ready));
  std::memset(m_dealDone, 0, sizeof(m_dealDone));
  std::memset(m_trustee, 0, sizeof(m_trustee));
  std::memset(m_expiries, 0, sizeof(m_expiries));
  std::memset(m_playsMade, 0, sizeof(m_playsMade));
  m_playedCount = 0;
  m_turn = tagTurn{};
  m_turnChair = NO_CHAIR;
  m_singleJokerRule = 0;
  m_logic.SetSingleJokerRule(0);
  m_multiple = 1;
  m_bombCount = 0;
  m_rocketCount = 0;
  m_pauseUntil = 0;
  m_clockDeadline = NO_DEADLINE;

  uint8_t deck[DECK_SIZE];
  if (m_stackedBanker < SEAT_COUNT) {
    m_banker = m_stackedBanker;
    m_stackedBanker = NO_CHAIR;
    std::memcpy(deck, m_stackedDeck, DECK_SIZE);
  } else {
    m_banker = m_lastWinner < SEAT_COUNT ? m_lastWinner
                                         : static_cast<uint16_t>(m_random.Below(SEAT_COUNT));
    std::memcpy(deck, CARD_DECK, DECK_SIZE);
    for (int i = DECK_SIZE - 1; i > 0; --i) {
      const uint32_t j = m_random.Below(static_cast<uint32_t>(i + 1));
      const uint8_t t = deck[i];
      deck[i] = deck[j];
      deck[j] = t;
    }
  }
  // One card at a time from the banker: the banker gets 6, the others 5.
  const int dealt = BANKER_FIRST_HAND + 2 * OTHER_FIRST_HAND;
  for (int i = 0; i < dealt; ++i) {
    const uint16_t chair = static_cast<uint16_t>((m_banker + i) % SEAT_COUNT);
    m_hands[chair][m_handCount[chair]++] = deck[i];
  }
  m_pileCount = static_cast<uint8_t>(DECK_SIZE - dealt);
  std::memcpy(m_pile, deck + dealt, m_pileCount);

  // Each chair sees only its own hand, in the order dealt; the table keeps hands sorted.
  tagSrvDeal deals[SEAT_COUNT] = {};
  for (uint16_t c = 0; c < SEAT_COUNT; ++c) {
    tagSrvDeal& deal = deals[c];
    deal.bankerChair = m_banker;
    deal.currentChair = m_banker;
    std::memcpy(deal.cardArea, m_hands[c], m_handCount[c]);
    deal.handCount = m_handCount[c];
    std::memcpy(deal.cardCount, m_handCount, SEAT_COUNT);
    std::memset(deal.playing, 1, SEAT_COUNT);
    m_logic.SortCards(m_hands[c], m_handCount[c], SORT_BY_RANK);
    // Bots and gone clients have no deal animation to wait for.
    if (!m_human[c] || !m_connected[c]) m_dealDone[c] = 1;
  }
  m_phase = TablePhase::Dealing;
  m_current = NO_CHAIR;
  m_dealDeadline = now + DEAL_WAIT_MS;
  for (uint16_t c = 0; c < SEAT_COUNT; ++c) {
    uint8_t buffer[sizeof(tagSrvDeal)];
    const size_t n = EncodeSrvDeal(deals[c], buffer, sizeof(buffer));
    Send(c, SRV_DEAL, buffer, n);
  }
  BeginPlayWhenDealt(now);
}

void CTable::BeginPlayWhenDealt(uint64_t now) {
  if (m_phase != TablePhase::Dealing) return;
  for (uint16_t c = 0; c < SEAT_COUNT; ++c) {
    if (!m_dealDone[c]) return;
  }
  BeginPlay(now);
}

void CTable::BeginPlay(uint64_t now) {
  m_phase = TablePhase::Playing;
  m_dealDeadline = NO_DEADLINE;
  m_current = m_banker;
  StartClock(now, TurnMs() + (FIRST_TURN_CLOCK_MS - TURN_CLOCK_MS));
  for (uint16_t c = 0; c < SEAT_COUNT; ++c) {
    tagSrvPlayBegin begin{};
    begin.bankerChair = m_banker;
    begin.currentChair = m_current;
    std::memcpy(begin.hand, m_hands[c], m_handCount[c]);
    begin.handCount = m_handCount[c];
    begin.pileCount = m_pileCount;
    std::memcpy(begin.cardCount, m_handCount, SEAT_COUNT);
    begin.baseScore = m_config.baseScore;
    std::memset(begin.playing, 1, SEAT_COUNT);
    uint8_t buffer[sizeof(tagSrvPlayBegin)];
    const size_t n = EncodeSrvPlayBegin(begin, buffer, sizeof(buffer));
    Send(c, SRV_PLAY_BEGIN, buffer, n);
  }
}

void CTable::StartClock(uint64_t now, uint64_t clockMs) {
  const uint64_t start = now > m_pauseUntil ? now : m_pauseUntil;
  m_clockDeadline = start + clockMs + CLOCK_GRACE_MS;
}

void CTable::SendPlay(const tagSrvPlay& play) {
  uint8_t buffer[sizeof(tagSrvPlay)];
  const size_t n = EncodeSrvPlay(play, buffer, sizeof(buffer));
  for (uint16_t c = 0; c < SEAT_COUNT; ++c) Send(c, SRV_PLAY, buffer, n);
}

TableCode CTable::Play(uint16_t chair, const tagCliPlay& play, uint64_t now) {
  if (m_phase != TablePhase::Playing) return TableCode::WrongPhase;
  if (chair != m_current) return TableCode::NotYourTurn;
  if (now < m_pauseUntil) return TableCode::Paused;

  uint8_t rest[MAX_CARDS];
  std::memcpy(rest, m_hands[chair], MAX_CARDS);
  if (!m_logic.RemoveCard(play.cards, play.count, rest, m_handCount[chair])) {
    return TableCode::NotInHand;
  }
  tagSrvPlay out{};
  uint8_t type = PT_INVALID;
  if (!CheckPlay(m_logic, play.cards, play.count, m_turn, out.cards, out.resolved, type)) {
    return TableCode::Illegal;
  }

  // The play stands.
  const uint8_t left = static_cast<uint8_t>(m_handCount[chair] - play.count);
  std::memset(m_hands[chair], 0, MAX_CARDS);
  std::memcpy(m_hands[chair], rest, left);
  m_handCount[chair] = left;
  std::memcpy(m_played + m_playedCount, out.cards, play.count);
  m_playedCount = static_cast<uint8_t>(m_playedCount + play.count);
  m_turn.count = play.count;
  std::memcpy(m_turn.cards, out.cards, MAX_CARDS);
  std::memcpy(m_turn.resolved, out.resolved, MAX_CARDS);
  m_turnChair = chair;
  m_lastPlayType = type;
  ++m_playsMade[chair];
  ++m_stats.turns;
  m_multiple = static_cast<uint16_t>(m_multiple * PlayTypeMultiple(type));
  if (type >= PT_BOMB3_JOKER && type <= PT_BOMB4) ++m_bombCount;
  if (type == PT_ROCKET) ++m_rocketCount;

  out.count = play.count;
  out.outChair = chair;
  std::memcpy(out.cardCount, m_handCount, SEAT_COUNT);

  if (left == 0) {  // the last card ends the game
    m_current = NO_CHAIR;
    m_clockDeadline = NO_DEADLINE;
    out.currentChair = NO_CHAIR;
    SendPlay(out);
    EndGame(chair);
    return TableCode::Ok;
  }
  if (m_pileCount == 0 && !CanAnyoneAnswer(m_logic, m_hands, m_handCount, m_turn, chair)) {
    // Nobody can answer and nobody will draw: the player leads again after a pause.
    ++m_stats.tricks;
    m_current = chair;
    m_turn = tagTurn{};
    m_turnChair = NO_CHAIR;
    m_pauseUntil = now + NEW_TURN_PAUSE_MS;
    StartClock(now, TurnMs());
    out.currentChair = chair;
    SendPlay(out);
    return TableCode::Ok;
  }
  m_current = NextChair(chair);
  StartClock(now, TurnMs());
  out.currentChair = m_current;
  SendPlay(out);
  return TableCode::Ok;
}

TableCode CTable::Pass(uint16_t chair, uint64_t now, bool byServer) {
  if (m_phase != TablePhase::Playing) return TableCode::WrongPhase;
  if (chair != m_current) return TableCode::NotYourTurn;
  if (now < m_pauseUntil) return TableCode::Paused;
  if (m_turn.count == 0) return TableCode::MustPlay;

  ++m_stats.turns;
  const uint16_t next = NextChair(chair);
  if (next == m_turnChair) {
    EndTrick(chair, now);
    return TableCode::Ok;
  }
  m_current = next;
  StartClock(now, TurnMs());
  if (byServer) {
    SendPassNotice(chair);
    return TableCode::Ok;
  }
  tagSrvPass pass{};
  pass.newTurn = 0;
  pass.passChair = chair;
  pass.currentChair = m_current;
  std::memcpy(pass.cardCount, m_handCount, SEAT_COUNT);
  uint8_t buffer[sizeof(tagSrvPass)];
  for (uint16_t c = 0; c < SEAT_COUNT; ++c) {
    const size_t n = EncodeSrvPass(pass, c, buffer, sizeof(buffer));
    Send(c, SRV_PASS, buffer, n);
  }
  return TableCode::Ok;
}

void CTable::SendPassNotice(uint16_t chair) {
  tagSrvPassNotice notice{};
  notice.pileCount = m_pileCount;
  std::memcpy(notice.cardCount, m_handCount, SEAT_COUNT);
  notice.passChair = chair;
  notice.currentChair = m_current;
  uint8_t buffer[sizeof(tagSrvPassNotice)];
  const size_t n = EncodeSrvPassNotice(notice, buffer, sizeof(buffer));
  for (uint16_t c = 0; c < SEAT_COUNT; ++c) Send(c, SRV_PASS_NOTICE, buffer, n);
}

// Everybody else passed: the last player leads, and each chair from the leader on draws one
// card while the pile lasts.
void CTable::EndTrick(uint16_t passChair, uint64_t now) {
  const uint16_t leader = m_turnChair;
  ++m_stats.tricks;
  DrawAfterTrick(m_logic, m_hands, m_handCount, m_pile, m_pileCount, leader);
  m_singleJokerRule = m_pileCount == 0 ? 1 : 0;
  m_logic.SetSingleJokerRule(m_singleJokerRule);
  m_turn = tagTurn{};
  m_turnChair = NO_CHAIR;
  m_current = leader;
  StartClock(now, TurnMs());

  tagSrvPass pass{};
  pass.newTurn = 1;
  pass.singleJokerRule = m_singleJokerRule;
  pass.passChair = passChair;
  pass.currentChair = leader;
  std::memcpy(pass.cardCount, m_handCount, SEAT_COUNT);
  pass.pileCount = m_pileCount;
  uint8_t buffer[sizeof(tagSrvPass)];
  for (uint16_t c = 0; c < SEAT_COUNT; ++c) {
    std::memset(pass.hand, 0, MAX_CARDS);
    std::memcpy(pass.hand, m_hands[c], m_handCount[c]);
    const size_t n = EncodeSrvPass(pass, c, buffer, sizeof(buffer));
    Send(c, SRV_PASS, buffer, n);
  }
}

void CTable::EndGame(uint16_t winner) {
  tagSrvResult result{};
  result.bombCount = m_bombCount;
  result.rocketCount = m_rocketCount;
  result.multiple = m_multiple;
  std::memset(result.playing, 1, SEAT_COUNT);

  bool everyLoserSilent = true;
  int64_t won = 0;
  size_t at = 0;
  for (uint16_t c = 0; c < SEAT_COUNT; ++c) {
    result.leftCount[c] = m_handCount[c];
    std::memcpy(result.leftCards + at, m_hands[c], m_handCount[c]);
    at += m_handCount[c];
    if (c == winner) {
      result.personalMultiple[c] = 1;
      continue;
    }
    // A loser that never played a card pays double.
    const bool silent = m_playsMade[c] == 0;
    everyLoserSilent = everyLoserSilent && silent;
    result.personalMultiple[c] = silent ? 2 : 1;
    const int64_t pay = m_config.baseScore * LoserPays(m_multiple, m_handCount[c], !silent);
    result.score[c] = -pay;
    won += pay;
  }
  result.score[winner] = won;
  result.spring = everyLoserSilent ? 1 : 0;
  // The banker led and never played again, and another chair won.
  result.reverseSpring = winner != m_banker && m_playsMade[m_banker] == 1 ? 1 : 0;
  // The winner went out with its first play of the game.
  result.haoSpring = m_playsMade[winner] == 1 ? 1 : 0;

  for (uint16_t c = 0; c < SEAT_COUNT; ++c) m_gold[c] += result.score[c];
  m_lastWinner = winner;
  m_stats.winner = winner;
  m_stats.multiple = m_multiple;
  std::memcpy(m_stats.score, result.score, sizeof(m_stats.score));

  m_phase = TablePhase::Free;
  m_current = NO_CHAIR;
  m_clockDeadline = NO_DEADLINE;
  m_pauseUntil = 0;
  m_turn = tagTurn{};
  m_turnChair = NO_CHAIR;
  std::memset(m_ready, 0, sizeof(m_ready));
  std::memset(m_trustee, 0, sizeof(m_trustee));

  uint8_t buffer[sizeof(tagSrvResult)];
  const size_t n = EncodeSrvResult(result, buffer, sizeof(buffer));
  for (uint16_t c = 0; c < SEAT_COUNT; ++c) Send(c, SRV_RESULT, buffer, n);
  // Chairs whose clients left during the game are freed now.
  for (uint16_t c = 0; c < SEAT_COUNT; ++c) {
    if (!m_connected[c]) m_seated[c] = 0;
  }
}

void CTable::SetTrustee(uint16_t chair, bool on, bool quiet) {
  m_trustee[chair] = on ? 1 : 0;
  tagSrvAutoPlay note{};
  note.chair = chair;
  note.autoPlay = on ? 1 : 0;
  note.quiet = quiet ? 1 : 0;
  uint8_t buffer[sizeof(tagSrvAutoPlay)];
  const size_t n = EncodeSrvAutoPlay(note, buffer, sizeof(buffer));
  for (uint16_t c = 0; c < SEAT_COUNT; ++c) Send(c, SRV_AUTO_PLAY, buffer, n);
}

// The server plays for a chair: the first legal hint, else a pass (sent as a pass notice
// unless it ends the trick).
void CTable::ActFor(uint16_t chair, uint64_t now) {
  const tagTableMove a = ChooseTrusteeMove(m_logic, m_hands[chair], m_handCount[chair], m_turn);
  if (!a.pass) {
    tagCliPlay play{};
    play.count = a.count;
    std::memcpy(play.cards, a.cards, a.count);
    if (Play(chair, play, now) == TableCode::Ok) return;
  }
  if (m_turn.count > 0) {
    Pass(chair, now, true);
    return;
  }
  // A leader always holds a play (a natural single, or a joker once lone jokers count). Were it
  // ever otherwise, waiting a turn's length keeps Tick from spinning on this chair.
  m_pauseUntil = now + TurnMs();
  StartClock(now, TurnMs());
}

// --- Inputs
// ----------------------------------------------------------------------------------------

TableCode CTable::OnClientMessage(uint16_t chair, uint16_t id, const uint8_t* data, size_t size,
                                  uint64_t now) {
  if (chair >= SEAT_COUNT || !m_seated[chair]) return TableCode::NotSeated;
  tagClientMessage message;
  if (!DecodeClientMessage(id, data, size, message)) {
    switch (id) {
      case CLI_PLAY:
      case CLI_PASS:
      case CLI_AUTO_PLAY:
      case CLI_DEAL_DONE:
      case CLI_CHANGE_TABLE:
        return TableCode::Malformed;
      default:
        return TableCode::Unknown;
    }
  }
  switch (id) {
    case CLI_PLAY:
      return Play(chair, message.play, now);
    case CLI_PASS:
      return Pass(chair, now, false);
    case CLI_AUTO_PLAY:
      if (message.autoPlay.chair != chair) return TableCode::Malformed;
      SetTrustee(chair, message.autoPlay.autoPlay != 0, message.autoPlay.quiet != 0);
      return TableCode::Ok;
    case CLI_DEAL_DONE:
      // Each chair reports its deal watched; a repeated report changes nothing.
      if (m_phase == TablePhase::Dealing) {
        m_dealDone[chair] = 1;
        BeginPlayWhenDealt(now);
      }
      return TableCode::Ok;
    case CLI_CHANGE_TABLE:
      return TableCode::ChangeTable;
    default:
      return TableCode::Unknown;
  }
}

void CTable::Tick(uint64_t now) {
  if (m_phase == TablePhase::Dealing && now >= m_dealDeadline) BeginPlay(now);
  for (int acts = 0; acts < kMaxActsPerTick && m_phase == TablePhase::Playing; ++acts) {
    const uint16_t c = m_current;
    if (c >= SEAT_COUNT || now < m_pauseUntil) return;
    if (now >= m_clockDeadline) {
      if (m_expiries[c] < UINT8_MAX) ++m_expiries[c];
      if (!m_trustee[c]) SetTrustee(c, true, false);
      ActFor(c, now);
    } else if (m_trustee[c] && !m_connected[c]) {
      ActFor(c, now);
    } else {
      return;
    }
  }
}

bool CTable::HoldsEveryCardOnce() const {
  uint8_t seen[DECK_SIZE] = {};
  auto count = [&seen](const uint8_t* cards, uint8_t n) {
    for (uint8_t i = 0; i < n; ++i) {
      const int at = CardDeckIndex(cards[i]);
      if (at < 0 || seen[at]++ != 0) return false;
    }
    return true;
  };
  for (uint16_t c = 0; c < SEAT_COUNT; ++c) {
    if (!count(m_hands[c], m_handCount[c])) return false;
  }
  if (!count(m_pile, m_pileCount) || !count(m_played, m_playedCount)) return false;
  for (uint8_t s : seen) {
    if (s != 1) return false;
  }
  return true;
}

uint64_t CTable::NextDeadline() const {
  if (m_phase == TablePhase::Dealing) return m_dealDeadline;
  if (m_phase != TablePhase::Playing || m_current >= SEAT_COUNT) return NO_DEADLINE;
  if (m_trustee[m_current] && !m_connected[m_current]) return m_pauseUntil;
  return m_clockDeadline;
}

bool CTable::BuildScene(uint16_t chair, uint8_t& status, uint8_t* buffer, size_t capacity,
                        size_t& size) const {
  if (chair >= SEAT_COUNT) return false;
  if (m_phase == TablePhase::Free) {
    tagSceneFree scene{};
    scene.score = ClampToInt32(m_gold[chair]);
    scene.turnTime = static_cast<uint16_t>(m_config.turnSeconds);
    scene.tableKind = SEAT_COUNT;
    status = STATUS_FREE;
    size = EncodeSceneFree(scene, buffer, capacity);
    return size != 0;
  }
  tagScenePlaying scene{};
  scene.bankerChair = m_banker;
  scene.multiple = m_multiple;
  scene.score = ClampToInt32(m_gold[chair]);
  scene.turnTime = static_cast<uint16_t>(m_config.turnSeconds);
  scene.bankerMark = 1;
  scene.lastPlayChair = m_turn.count > 0 ? m_turnChair : NO_CHAIR;
  scene.currentChair = m_phase == TablePhase::Playing ? m_current : NO_CHAIR;
  std::memcpy(scene.hand, m_hands[chair], m_handCount[chair]);
  std::memcpy(scene.cardCount, m_handCount, SEAT_COUNT);
  scene.turnCount = m_turn.count;
  std::memcpy(scene.turnCards, m_turn.cards, m_turn.count);
  std::memcpy(scene.autoPlay, m_trustee, SEAT_COUNT);
  std::memcpy(scene.turnResolved, m_turn.resolved, m_turn.count);
  scene.pileCount = m_pileCount;
  std::memcpy(scene.clockExpiries, m_expiries, SEAT_COUNT);
  scene.baseScore = m_config.baseScore;
  std::memset(scene.playing, 1, SEAT_COUNT);
  status = STATUS_PLAYING;
  size = EncodeScenePlaying(scene, chair, buffer, capacity);
  return size != 0;
}
