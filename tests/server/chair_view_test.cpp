// A chair's view applies each server record the way the client does, refuses bad records
// without change, and a scene rebuilds it.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "server/ChairView.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Begin(uint16_t banker, std::initializer_list<uint8_t> hand) {
  tagSrvPlayBegin r{};
  r.bankerChair = banker;
  r.currentChair = banker;
  r.handCount = static_cast<uint8_t>(hand.size());
  std::copy(hand.begin(), hand.end(), r.hand);
  r.pileCount = 38;
  for (uint16_t c = 0; c < SEAT_COUNT; ++c) r.cardCount[c] = c == banker ? 6 : 5;
  Bytes b(sizeof(r));
  EXPECT_EQ(EncodeSrvPlayBegin(r, b.data(), b.size()), b.size());
  return b;
}

Bytes PlayRecord(uint16_t out, uint16_t current, std::initializer_list<uint8_t> cards,
                 std::initializer_list<uint8_t> resolved, const uint8_t counts[3]) {
  tagSrvPlay r{};
  r.count = static_cast<uint8_t>(cards.size());
  r.outChair = out;
  r.currentChair = current;
  std::copy(cards.begin(), cards.end(), r.cards);
  std::copy(resolved.begin(), resolved.end(), r.resolved);
  std::memcpy(r.cardCount, counts, 3);
  Bytes b(64);
  b.resize(EncodeSrvPlay(r, b.data(), b.size()));
  return b;
}

class ChairViewTest : public testing::Test {
 protected:
  void Apply(uint16_t id, const Bytes& b) { ASSERT_TRUE(view.ApplyMessage(id, b.data(), b.size())); }
  CChairView view{1};
};

TEST_F(ChairViewTest, OwnPlayLeavesTheHandAndBombsCompoundTheMultiple) {
  Apply(SRV_PLAY_BEGIN, Begin(1, {0x4F, 0x4E, 0x05, 0x15, 0x25, 0x35}));
  EXPECT_TRUE(view.MyTurn());
  const uint8_t counts[3] = {5, 2, 5};
  Apply(SRV_PLAY, PlayRecord(1, 2, {0x35, 0x25, 0x15, 0x05}, {0x35, 0x25, 0x15, 0x05}, counts));
  EXPECT_EQ(view.HandCount(), 2);
  EXPECT_EQ(view.Hand()[0], 0x4F);
  EXPECT_EQ(view.Multiple(), 4);
  EXPECT_EQ(view.Current(), 2);
  EXPECT_EQ(view.Turn().count, 4);
  EXPECT_EQ(view.TurnChair(), 1);

  // Another chair's rocket that nobody can answer: x8, and the table is cleared for its lead.
  const uint8_t after[3] = {5, 2, 3};
  Apply(SRV_PLAY, PlayRecord(2, 2, {0x4F, 0x4E}, {0x4F, 0x4E}, after));
  EXPECT_EQ(view.Multiple(), 32);
  EXPECT_EQ(view.Turn().count, 0);
  EXPECT_TRUE(view.NewTurnPause());
  EXPECT_EQ(view.HandCount(), 2);  // another chair's cards never leave this hand
}

TEST_F(ChairViewTest, ANewTurnPassBringsTheWholeHandThePileAndTheRule) {
  Apply(SRV_PLAY_BEGIN, Begin(0, {0x09, 0x19, 0x0B, 0x1B, 0x0D}));
  tagSrvPass pass{};
  pass.newTurn = 1;
  pass.singleJokerRule = 1;
  pass.passChair = 0;
  pass.currentChair = 1;
  pass.cardCount[0] = 4;
  pass.cardCount[1] = 3;
  pass.cardCount[2] = 6;
  pass.hand[0] = 0x4E;
  pass.hand[1] = 0x0D;
  pass.hand[2] = 0x03;
  pass.pileCount = 0;
  Bytes b(sizeof(pass));
  ASSERT_EQ(EncodeSrvPass(pass, 1, b.data(), b.size()), b.size());
  Apply(SRV_PASS, b);
  EXPECT_EQ(view.HandCount(), 3);
  EXPECT_EQ(view.Pile(), 0);
  EXPECT_EQ(view.SingleJokerRule(), 1);
  EXPECT_TRUE(view.MyTurn());
  EXPECT_EQ(view.CardCount(2), 6);
}

TEST_F(ChairViewTest, RefusedRecordsChangeNothing) {
  Apply(SRV_PLAY_BEGIN, Begin(1, {0x03, 0x04, 0x05, 0x06, 0x07, 0x08}));
  const uint8_t counts[3] = {5, 6, 5};
  Bytes play = PlayRecord(1, 2, {0x08}, {0x08}, counts);
  struct Case {
    const char* what;
    uint16_t id;
    Bytes bytes;
  };
  Bytes shortPlay(play.begin(), play.end() - 1);
  Bytes badChair = play;
  badChair[4] = 7;  // out chair 7
  const Case cases[] = {
      {"one byte short", SRV_PLAY, shortPlay},
      {"a chair that is no chair", SRV_PLAY, badChair},
      {"an id without a handler", 101, play},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_FALSE(view.ApplyMessage(c.id, c.bytes.data(), c.bytes.size()));
    EXPECT_EQ(view.HandCount(), 6);
    EXPECT_EQ(view.Turn().count, 0);
    EXPECT_EQ(view.Current(), 1);
  }
}

TEST_F(ChairViewTest, APlayingSceneRebuildsTheView) {
  tagScenePlaying s{};
  s.bankerChair = 0;
  s.multiple = 2;
  s.lastPlayChair = 0;
  s.currentChair = 1;
  s.hand[0] = 0x07;
  s.hand[1] = 0x4F;
  s.cardCount[0] = 3;
  s.cardCount[1] = 2;
  s.cardCount[2] = 9;
  s.turnCount = 1;
  s.turnCards[0] = 0x06;
  s.turnResolved[0] = 0x06;
  s.autoPlay[2] = 1;
  s.pileCount = 0;
  Bytes b(sizeof(s));
  ASSERT_EQ(EncodeScenePlaying(s, 1, b.data(), b.size()), b.size());
  ASSERT_TRUE(view.ApplyScene(STATUS_PLAYING, b.data(), b.size()));
  EXPECT_TRUE(view.MyTurn());
  EXPECT_EQ(view.HandCount(), 2);
  EXPECT_EQ(view.Hand()[0], 0x4F);  // sorted
  EXPECT_EQ(view.Turn().count, 1);
  EXPECT_EQ(view.TurnChair(), 0);
  EXPECT_TRUE(view.Trustee(2));
  EXPECT_EQ(view.SingleJokerRule(), 1);  // the pile is out
  EXPECT_EQ(view.Multiple(), 2);
  EXPECT_FALSE(view.ApplyScene(STATUS_PLAYING, b.data(), b.size() - 1));
  EXPECT_TRUE(view.ApplyScene(STATUS_STARTED, nullptr, 0));
  EXPECT_EQ(view.HandCount(), 2);
}

}  // namespace
