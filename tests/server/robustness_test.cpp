// Random bytes from a peer never break the table or a chair's view: every record is refused or
// applied within bounds (the sanitizer build watches for overruns), and the table keeps every
// card exactly once while every chair's view follows it.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "server/ChairView.h"
#include "server/Table.h"
#include "server/TableAudit.h"

namespace {

// A byte string that is often a plausible record: a real size, small counts, real cards.
std::vector<uint8_t> RandomRecord(std::mt19937& rng, size_t size) {
  std::vector<uint8_t> bytes(size);
  std::uniform_int_distribution<int> kind(0, 3);
  std::uniform_int_distribution<int> byte(0, 255);
  std::uniform_int_distribution<int> card(0, DECK_SIZE - 1);
  for (uint8_t& b : bytes) {
    switch (kind(rng)) {
      case 0:
        b = static_cast<uint8_t>(byte(rng));
        break;
      case 1:
        b = CARD_DECK[card(rng)];
        break;
      case 2:
        b = static_cast<uint8_t>(byte(rng) % 4);
        break;
      default:
        b = 0;
        break;
    }
  }
  return bytes;
}

TEST(Robustness, ChairViewSurvivesRandomRecordsAndScenes) {
  std::mt19937 rng(99);
  const uint16_t ids[] = {SRV_DEAL,        SRV_PLAY_BEGIN, SRV_PLAY, SRV_PASS, SRV_RESULT,
                          SRV_PASS_NOTICE, SRV_AUTO_PLAY,  101,      117};
  const size_t sizes[] = {0, 4, 8, 37, 38, 39, 40, 63, 64, 96, 132, 200, 232};
  CChairView view(1);
  for (int i = 0; i < 60000; ++i) {
    const size_t size = sizes[rng() % std::size(sizes)];
    const std::vector<uint8_t> bytes = RandomRecord(rng, size);
    if (i % 5 == 0) {
      const uint8_t status = (rng() % 2) ? STATUS_PLAYING : STATUS_FREE;
      view.ApplyScene(status, bytes.data(), bytes.size());
    } else {
      view.ApplyMessage(ids[rng() % std::size(ids)], bytes.data(), bytes.size());
    }
    ASSERT_LE(view.HandCount(), MAX_CARDS);
    ASSERT_LE(view.Turn().count, MAX_CARDS);
  }
}

TEST(Robustness, TableRefusesRandomClientBytesAndKeepsEveryCard) {
  std::mt19937 rng(7);
  CTableAudit audit;
  CTable table(audit, tagTableConfig{3, 1});
  audit.Watch(table);
  for (uint16_t c = 0; c < SEAT_COUNT; ++c) {
    table.Sit(c, true);
    table.SetReady(c, 0);
  }
  uint64_t now = 0;
  int accepted = 0;
  for (int i = 0; i < 60000 && table.Phase() != TablePhase::Free; ++i) {
    now += rng() % 400;
    const uint16_t chair = static_cast<uint16_t>(rng() % 4);  // 3 is no chair
    const uint16_t id = static_cast<uint16_t>(rng() % 9);
    std::vector<uint8_t> bytes = RandomRecord(rng, rng() % 30);
    // Often a play of cards the chair really holds, so that games move on.
    if (id == CLI_PLAY && chair < SEAT_COUNT && table.HandCount(chair) > 0 && rng() % 2) {
      const uint8_t n =
          static_cast<uint8_t>(1 + rng() % std::min<uint8_t>(4, table.HandCount(chair)));
      bytes.assign(1, n);
      for (uint8_t k = 0; k < n; ++k) bytes.push_back(table.Hand(chair)[k]);
    }
    if (table.OnClientMessage(chair, id, bytes.data(), bytes.size(), now) == TableCode::Ok) {
      ++accepted;
    }
    table.Tick(now);
    audit.CheckCards();
    ASSERT_EQ(audit.Violations(), 0u) << audit.FirstViolation() << " after input " << i;
  }
  EXPECT_GT(accepted, 0);
}

}  // namespace
