#include "server/ChairView.h"

#include <cstring>

void CChairView::SetHand(const uint8_t* cards, uint8_t count) {
  std::memset(m_hand, 0, sizeof(m_hand));
  m_handCount = count <= MAX_CARDS ? count : 0;
  std::memcpy(m_hand, cards, m_handCount);
  m_logic.SortCards(m_hand, m_handCount, SORT_BY_RANK);
}

void CChairView::ClearTurn() {
  m_turn = tagTurn{};
  m_turnChair = NO_CHAIR;
}

bool CChairView::ApplyMessage(uint16_t id, const uint8_t* data, size_t size) {
  tagServerMessage m;
  if (!DecodeServerMessage(id, data, size, m_me, m)) return false;

  switch (id) {
    case SRV_DEAL:
      m_phase = ViewPhase::Dealing;
      m_banker = m.deal.bankerChair;
      m_current = NO_CHAIR;
      std::memcpy(m_cardCount, m.deal.cardCount, SEAT_COUNT);
      SetHand(m.deal.cardArea, m.deal.handCount);
      ClearTurn();
      std::memset(m_trustee, 0, sizeof(m_trustee));
      m_multiple = 1;
      m_pile = 0;
      m_singleJokerRule = 0;
      m_newTurnPause = false;
      m_played = 0;
      std::memset(m_hasPlayed, 0, sizeof(m_hasPlayed));
      break;
    case SRV_PLAY_BEGIN:
      m_phase = ViewPhase::Playing;
      m_banker = m.playBegin.bankerChair;
      m_current = m.playBegin.currentChair;
      std::memcpy(m_cardCount, m.playBegin.cardCount, SEAT_COUNT);
      SetHand(m.playBegin.hand, m.playBegin.handCount);
      m_pile = m.playBegin.pileCount;
      m_played = 0;
      std::memset(m_hasPlayed, 0, sizeof(m_hasPlayed));
      ClearTurn();
      m_multiple = 1;
      m_singleJokerRule = 0;
      m_newTurnPause = false;
      break;
    case SRV_PLAY: {
      const tagSrvPlay& p = m.play;
      m_newTurnPause = false;
      m_turn.count = p.count;
      std::memcpy(m_turn.cards, p.cards, p.count);
      std::memcpy(m_turn.resolved, p.resolved, p.count);
      m_turnChair = p.outChair;
      m_hasPlayed[p.outChair] = 1;
      for (uint8_t i = 0; i < p.count; ++i) {
        const int at = CardDeckIndex(p.cards[i]);
        if (at >= 0) m_played |= uint64_t{1} << at;
      }
      m_multiple = static_cast<uint16_t>(
          m_multiple * PlayTypeMultiple(m_logic.ClassifyPlay(p.resolved, p.count)));
      if (p.outChair == m_me) {
        uint8_t hand[MAX_CARDS];
        std::memcpy(hand, m_hand, sizeof(hand));
        if (m_logic.RemoveCard(p.cards, p.count, hand, m_handCount)) {
          SetHand(hand, static_cast<uint8_t>(m_handCount - p.count));
        }
      }
      std::memcpy(m_cardCount, p.cardCount, SEAT_COUNT);
      m_current = p.currentChair;
      if (p.currentChair == p.outChair) {  // nobody can answer: the player leads again
        ClearTurn();
        m_newTurnPause = true;
      }
      break;
    }
    case SRV_PASS: {
      const tagSrvPass& p = m.pass;
      m_newTurnPause = false;
      std::memcpy(m_cardCount, p.cardCount, SEAT_COUNT);
      if (p.newTurn == 1) {
        ClearTurn();
        m_singleJokerRule = p.singleJokerRule;
        m_logic.SetSingleJokerRule(p.singleJokerRule);
        SetHand(p.hand, p.cardCount[m_me]);
        m_pile = p.pileCount;
      }
      m_current = p.currentChair;
      break;
    }
    case SRV_PASS_NOTICE:
      m_newTurnPause = false;
      m_pile = m.passNotice.pileCount;
      std::memcpy(m_cardCount, m.passNotice.cardCount, SEAT_COUNT);
      m_current = m.passNotice.currentChair;
      break;
    case SRV_AUTO_PLAY:
      m_trustee[m.autoPlay.chair] = m.autoPlay.autoPlay != 0 ? 1 : 0;
      break;
    case SRV_RESULT:
      m_phase = ViewPhase::Over;
      m_current = NO_CHAIR;
      m_multiple = m.result.multiple;
      ClearTurn();
      std::memset(m_trustee, 0, sizeof(m_trustee));
      m_newTurnPause = false;
      break;
    default:
      return false;
  }
  return true;
}

bool CChairView::ApplyScene(uint8_t status, const uint8_t* data, size_t size) {
  tagScene scene;
  if (!DecodeScene(status, data, size, m_me, scene)) return false;
  if (status == STATUS_STARTED) return true;

  const uint16_t me = m_me;
  *this = CChairView(me);
  if (status == STATUS_FREE) return true;

  const tagScenePlaying& s = scene.playing;
  m_phase =
      s.currentChair == NO_CHAIR && s.turnCount == 0 ? ViewPhase::Dealing : ViewPhase::Playing;
  m_banker = s.bankerChair;
  m_multiple = s.multiple;
  m_current = s.currentChair;
  std::memcpy(m_cardCount, s.cardCount, SEAT_COUNT);
  SetHand(s.hand, s.cardCount[me]);
  m_pile = s.pileCount;
  std::memcpy(m_trustee, s.autoPlay, SEAT_COUNT);
  std::memset(m_hasPlayed, 1, sizeof(m_hasPlayed));
  m_turn.count = s.turnCount;
  std::memcpy(m_turn.cards, s.turnCards, s.turnCount);
  std::memcpy(m_turn.resolved, s.turnResolved, s.turnCount);
  m_turnChair = s.turnCount > 0 ? s.lastPlayChair : NO_CHAIR;
  // The scene does not carry the single-joker rule: the server sets it only once the pile is
  // empty, so it follows from the pile.
  m_singleJokerRule = m_pile == 0 ? 1 : 0;
  m_logic.SetSingleJokerRule(m_singleJokerRule);
  return true;
}
