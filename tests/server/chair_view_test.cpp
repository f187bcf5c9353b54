// A chair's view refuses bad records and scenes without any change. (What it makes of good ones
// is held against the table after every message by the table's audit: the robustness test here
// and the self-play check.)
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "server/ChairView.h"

namespace {

using Bytes = std::vector<uint8_t>;

TEST(ChairView, RefusedRecordsAndScenesChangeNothing) {
  CChairView view(1);
  tagSrvPlayBegin begin{};
  begin.bankerChair = begin.currentChair = 1;
  begin.handCount = 6;
  std::memcpy(begin.hand, CARD_DECK + 2, 6);
  begin.pileCount = 38;
  begin.cardCount[0] = begin.cardCount[2] = 5;
  begin.cardCount[1] = 6;
  Bytes b(sizeof(begin));
  ASSERT_EQ(EncodeSrvPlayBegin(begin, b.data(), b.size()), b.size());
  ASSERT_TRUE(view.ApplyMessage(SRV_PLAY_BEGIN, b.data(), b.size()));

  tagSrvPlay play{};
  play.count = 1;
  play.outChair = 1;
  play.currentChair = 2;
  play.cards[0] = play.resolved[0] = CARD_DECK[2];
  std::memcpy(play.cardCount, begin.cardCount, SEAT_COUNT);
  Bytes good(64);
  good.resize(EncodeSrvPlay(play, good.data(), good.size()));
  Bytes badChair = good;
  badChair[4] = 7;  // out chair 7
  const Bytes noBanker(sizeof(tagScenePlaying), 0xFF);
  const struct {
    const char* what;
    bool scene;
    uint16_t id;  // message id or scene status
    Bytes bytes;
  } cases[] = {
      {"a play one byte short", false, SRV_PLAY, Bytes(good.begin(), good.end() - 1)},
      {"a chair that is no chair", false, SRV_PLAY, badChair},
      {"an id without a handler", false, 101, good},
      {"a playing scene one byte short", true, STATUS_PLAYING, Bytes(231)},
      {"a playing scene without a banker", true, STATUS_PLAYING, noBanker},
      {"a scene of an unknown status", true, 7, noBanker},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const bool applied =
        c.scene ? view.ApplyScene(static_cast<uint8_t>(c.id), c.bytes.data(), c.bytes.size())
                : view.ApplyMessage(c.id, c.bytes.data(), c.bytes.size());
    EXPECT_FALSE(applied);
    EXPECT_EQ(view.HandCount(), 6);
    EXPECT_EQ(view.Turn().count, 0);
    EXPECT_EQ(view.Current(), 1);
    EXPECT_EQ(view.Pile(), 38);
  }
  EXPECT_TRUE(view.ApplyScene(STATUS_STARTED, nullptr, 0));  // no record: nothing to apply
  EXPECT_EQ(view.HandCount(), 6);
  EXPECT_TRUE(view.ApplyMessage(SRV_PLAY, good.data(), good.size()));
  EXPECT_EQ(view.HandCount(), 5);
}

}  // namespace
