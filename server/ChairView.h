// What one chair's client knows of the table, built only from the server messages and scenes
// addressed to that chair, the way the client dialog applies them: its own hand, the card
// counts, the pile, the play to beat, whose turn it is, the cards played so far and who has
// played. Bots decide from it; self-play checks compare it with the table's truth.
#pragma once

#include <cstddef>
#include <cstdint>

#include "protocol/Protocol.h"
#include "rules/GameLogic.h"
#include "rules/PlayCheck.h"

enum class ViewPhase : uint8_t { Free, Dealing, Playing, Over };

class CChairView {
 public:
  explicit CChairView(uint16_t me = NO_CHAIR) : m_me(me) {}

  // Applies one server message; false (and nothing changed) when the record is refused.
  bool ApplyMessage(uint16_t id, const uint8_t* data, size_t size);
  // Rebuilds the view from a scene record; false (and nothing changed) when refused.
  bool ApplyScene(uint8_t status, const uint8_t* data, size_t size);

  uint16_t Me() const { return m_me; }
  ViewPhase Phase() const { return m_phase; }
  uint16_t Banker() const { return m_banker; }
  uint16_t Current() const { return m_current; }
  // The chair that made the play to beat (NO_CHAIR when leading).
  uint16_t TurnChair() const { return m_turnChair; }
  const tagTurn& Turn() const { return m_turn; }
  const uint8_t* Hand() const { return m_hand; }  // sorted by rank
  uint8_t HandCount() const { return m_handCount; }
  uint8_t CardCount(uint16_t chair) const { return chair < SEAT_COUNT ? m_cardCount[chair] : 0; }
  uint8_t Pile() const { return m_pile; }
  uint8_t SingleJokerRule() const { return m_singleJokerRule; }
  bool Trustee(uint16_t chair) const { return chair < SEAT_COUNT && m_trustee[chair] != 0; }
  uint16_t Multiple() const { return m_multiple; }
  // True after a play nobody could answer: the current chair leads once the pause is over.
  bool NewTurnPause() const { return m_newTurnPause; }
  // The cards played this game (bit i: CARD_DECK[i]), as announced. A view rebuilt from a scene
  // does not know the plays before it and starts from none.
  uint64_t PlayedMask() const { return m_played; }
  // The chair has played a card this game (a loser that never did pays double). Unknown after a
  // scene: every chair is taken to have played.
  bool HasPlayed(uint16_t chair) const { return chair < SEAT_COUNT && m_hasPlayed[chair] != 0; }
  // My turn to act: playing, I am the current chair.
  bool MyTurn() const { return m_phase == ViewPhase::Playing && m_current == m_me; }

 private:
  void SetHand(const uint8_t* cards, uint8_t count);
  void ClearTurn();

  CGameLogic m_logic;
  uint16_t m_me;
  ViewPhase m_phase = ViewPhase::Free;
  uint16_t m_banker = NO_CHAIR;
  uint16_t m_current = NO_CHAIR;
  uint16_t m_turnChair = NO_CHAIR;
  tagTurn m_turn{};
  uint8_t m_hand[MAX_CARDS] = {};
  uint8_t m_handCount = 0;
  uint8_t m_cardCount[SEAT_COUNT] = {};
  uint8_t m_pile = 0;
  uint8_t m_singleJokerRule = 0;
  uint8_t m_trustee[SEAT_COUNT] = {};
  uint16_t m_multiple = 1;
  bool m_newTurnPause = false;
  uint64_t m_played = 0;
  uint8_t m_hasPlayed[SEAT_COUNT] = {};
};
