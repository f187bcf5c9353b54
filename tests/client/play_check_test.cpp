// The play button against the table's own check: for random hands, plays on the table and
// raised cards, the button lights up exactly when the table would accept the play.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "cardcontrol/CardControl.h"
#include "server/PlayCheck.h"
#include "server/Random.h"
#include "tools/scenario/ClientHarness.h"
#include "widgets/MyCButtonEx.h"

namespace {

TEST(PlayButton, LightsUpExactlyForWhatTheTableAccepts) {
  scenario::CClientHarness h;
  ASSERT_TRUE(h.Start());
  h.Link().DeliverSelf(1, false, false);
  h.Pump();
  CRandom random(77);
  CGameLogic logic;
  int legal = 0;
  int illegal = 0;
  for (int round = 0; round < 300; ++round) {
    // A shuffled deck: the local hand, then the play on the table from the next cards.
    uint8_t deck[DECK_SIZE];
    std::memcpy(deck, CARD_DECK, DECK_SIZE);
    for (int i = DECK_SIZE - 1; i > 0; --i) std::swap(deck[i], deck[random.Below(i + 1)]);
    const uint8_t handCount = static_cast<uint8_t>(6 + random.Below(8));
    const bool emptyPile = random.Below(3) == 0;
    logic.SetSingleJokerRule(emptyPile ? 1 : 0);

    tagSrvPlayBegin begin{};
    begin.bankerChair = 0;
    begin.currentChair = 0;
    std::memcpy(begin.hand, deck, handCount);
    begin.handCount = handCount;
    begin.pileCount = emptyPile ? 0 : 10;
    begin.cardCount[0] = 10;
    begin.cardCount[1] = handCount;
    begin.cardCount[2] = 10;
    std::memset(begin.playing, 1, 3);
    uint8_t buffer[sizeof(tagSrvPlayBegin)];
    size_t n = EncodeSrvPlayBegin(begin, buffer, sizeof(buffer));
    ASSERT_TRUE(h.Dialog().OnServerMessage(SRV_PLAY_BEGIN, buffer, static_cast<WORD>(n)));

    // The play on the table: a lead of chair 0 made of cards that are not in the hand.
    tagTurn turn{};
    uint8_t others[MAX_CARDS];
    std::memcpy(others, deck + handCount, 10);
    logic.SortCards(others, 10, SORT_BY_RANK);
    tagPlayCandidate scratch;
    if (logic.ListAnswers(others, 10, turn.cards, 0, scratch) && random.Below(4) != 0) {
      // Any valid play of those cards: try a few random subsets.
      for (int tries = 0; tries < 40; ++tries) {
        uint8_t pick[MAX_CARDS];
        uint8_t count = 0;
        for (uint8_t i = 0; i < 10; ++i) {
          if (random.Below(3) == 0) pick[count++] = others[i];
        }
        uint8_t sorted[MAX_CARDS];
        uint8_t resolved[MAX_CARDS];
        uint8_t type = 0;
        if (count > 0 && CheckPlay(logic, pick, count, turn, sorted, resolved, type)) {
          std::memcpy(turn.cards, sorted, count);
          std::memcpy(turn.resolved, resolved, count);
          turn.count = count;
          break;
        }
      }
    }
    if (turn.count > 0) {
      tagSrvPlay play{};
      play.count = turn.count;
      play.outChair = 0;
      play.currentChair = 1;
      std::memcpy(play.cards, turn.cards, turn.count);
      std::memcpy(play.resolved, turn.resolved, turn.count);
      play.cardCount[0] = static_cast<uint8_t>(10 - turn.count);
      play.cardCount[1] = handCount;
      play.cardCount[2] = 10;
      uint8_t wire[sizeof(tagSrvPlay)];
      n = EncodeSrvPlay(play, wire, sizeof(wire));
      ASSERT_TRUE(h.Dialog().OnServerMessage(SRV_PLAY, wire, static_cast<WORD>(n)));
    } else {
      // The local player leads.
      tagSrvPlayBegin mine = begin;
      mine.currentChair = 1;
      n = EncodeSrvPlayBegin(mine, buffer, sizeof(buffer));
      ASSERT_TRUE(h.Dialog().OnServerMessage(SRV_PLAY_BEGIN, buffer, static_cast<WORD>(n)));
    }
    ASSERT_TRUE(h.Button("play")->isVisible());

    // Random raises: the button agrees with the table's check every time.
    CardControl* hand = h.View().m_pHandCard[LOCAL_SEAT].get();
    for (int tries = 0; tries < 12; ++tries) {
      uint8_t pick[MAX_CARDS];
      uint8_t count = 0;
      const uint32_t odds = 2 + random.Below(5);
      for (uint8_t i = 0; i < handCount; ++i) {
        if (random.Below(odds) == 0) pick[count++] = begin.hand[i];
      }
      hand->RaiseCards(pick, count);
      h.Dialog().SendMessage(MSG_SELECTION_CHANGED, 0, 0);
      const bool accepted = count > 0 && IsLegalPlay(logic, pick, count, turn);
      (accepted ? legal : illegal)++;
      ASSERT_EQ(h.Button("play")->isEnabled(), accepted)
          << "round " << round << ", " << int{count} << " cards raised";
    }
  }
  EXPECT_GT(legal, 100);
  EXPECT_GT(illegal, 100);
}

}  // namespace
