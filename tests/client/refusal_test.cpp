// Records the client cannot trust are refused, and a refused record changes nothing at all:
// not the dialog's state, the view, the card controls, the buttons, the timers and clocks, the
// messages sent or the sounds played. (The client fuzz target does the same for any bytes.)
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include "protocol/Protocol.h"
#include "tools/scenario/ClientHarness.h"

// The records below name only the fields that matter; the rest are zero.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace {

using Bytes = std::vector<uint8_t>;

template <typename T>
Bytes Raw(const T& record, size_t size = sizeof(T)) {
  Bytes b(size, 0);
  std::memcpy(b.data(), &record, std::min(size, sizeof(T)));
  return b;
}

// A valid record of each kind, as the client of chair 1 gets it in a game the banker 0 leads.
Bytes Valid(uint16_t id) {
  switch (id) {
    case SRV_DEAL:
      return Raw(tagSrvDeal{.cardArea = {0x03, 0x14, 0x25, 0x36, 0x07},
                            .handCount = 5,
                            .cardCount = {6, 5, 5},
                            .playing = {1, 1, 1}});
    case SRV_PLAY_BEGIN:
      return Raw(tagSrvPlayBegin{.hand = {0x03, 0x14, 0x25, 0x36, 0x07},
                                 .handCount = 5,
                                 .pileCount = 38,
                                 .cardCount = {6, 5, 5},
                                 .baseScore = 1,
                                 .playing = {1, 1, 1}});
    case SRV_PLAY:  // the wire carries 37 + count bytes
      return Raw(tagSrvPlay{.count = 2,
                            .currentChair = 1,
                            .cards = {0x09, 0x19},
                            .cardCount = {4, 5, 5},
                            .resolved = {0x09, 0x19}},
                 SRV_PLAY_HEAD_SIZE + 2);
    case SRV_PASS:  // a new turn
      return Raw(tagSrvPass{.newTurn = 1,
                            .passChair = 2,
                            .cardCount = {5, 6, 6},
                            .hand = {0x03, 0x14, 0x25, 0x36, 0x07, 0x0A},
                            .pileCount = 35});
    case SRV_RESULT:
      return Raw(tagSrvResult{.multiple = 2,
                              .score = {4, -4, 0},
                              .leftCount = {0, 2, 0},
                              .leftCards = {0x03, 0x14},
                              .playing = {1, 1, 1}});
    case SRV_PASS_NOTICE:
      return Raw(tagSrvPassNotice{
          .pileCount = 38, .cardCount = {4, 5, 5}, .passChair = 1, .currentChair = 2});
    default:
      return Raw(tagSrvAutoPlay{2, 1, 0});
  }
}

Bytes ValidScene(uint8_t status) {
  if (status != STATUS_PLAYING) return Raw(tagSceneFree{});
  return Raw(tagScenePlaying{.multiple = 2,
                             .turnTime = 15,
                             .currentChair = 1,
                             .hand = {0x03, 0x14, 0x25},
                             .cardCount = {4, 3, 5},
                             .turnCount = 1,
                             .turnCards = {0x09},
                             .turnResolved = {0x09},
                             .pileCount = 20,
                             .playing = {1, 1, 1}});
}

// A valid record with bytes changed, and cut or padded to `size` (-1: as it is).
struct tagBad {
  const char* name;
  uint16_t id;  // a message id, or the scene status for scenes
  std::vector<std::pair<size_t, uint8_t>> changes;
  int size = -1;
};

Bytes Changed(const tagBad& c, bool scene) {
  Bytes b = scene ? ValidScene(static_cast<uint8_t>(c.id)) : Valid(c.id);
  if (c.size >= 0) b.resize(static_cast<size_t>(c.size), 0);
  for (const auto& [at, value] : c.changes) b[at] = value;
  return b;
}

#define AT(record, field) offsetof(record, field)
// Two bytes from `at` set to `value`: a chair of 0xFFFF (none), or two counts.
std::vector<std::pair<size_t, uint8_t>> Two(size_t at, uint8_t value) {
  return {{at, value}, {at + 1, value}};
}

// Every handled message at wrong sizes, and records whose contents the client must not use.
std::vector<tagBad> BadMessages() {
  std::vector<tagBad> cases = {
      {"deal short", SRV_DEAL, {}, 131},
      {"deal long", SRV_DEAL, {}, 133},
      {"deal empty", SRV_DEAL, {}, 0},
      {"deal hand count 28", SRV_DEAL, {{AT(tagSrvDeal, handCount), 28}}},
      {"deal hand of no cards", SRV_DEAL, {{AT(tagSrvDeal, cardArea) + 2, 0x0E}}},
      {"deal banker 3", SRV_DEAL, {{AT(tagSrvDeal, bankerChair), 3}}},
      {"deal counts past the deck", SRV_DEAL, Two(AT(tagSrvDeal, cardCount), 27)},
      {"begin short", SRV_PLAY_BEGIN, {}, 95},
      {"begin long", SRV_PLAY_BEGIN, {}, 97},
      {"begin current none", SRV_PLAY_BEGIN, Two(AT(tagSrvPlayBegin, currentChair), 0xFF)},
      {"begin pile 55", SRV_PLAY_BEGIN, {{AT(tagSrvPlayBegin, pileCount), 55}}},
      {"begin hand count 200", SRV_PLAY_BEGIN, {{AT(tagSrvPlayBegin, handCount), 200}}},
      {"play 36 bytes", SRV_PLAY, {}, 36},
      {"play one byte short", SRV_PLAY, {}, 38},
      {"play one byte long", SRV_PLAY, {}, 40},
      {"play the full 64 bytes", SRV_PLAY, {}, 64},
      {"play of no cards", SRV_PLAY, {{AT(tagSrvPlay, count), 0}}, 37},
      {"play count 28", SRV_PLAY, {{AT(tagSrvPlay, count), 28}}, 65},
      {"play count 255", SRV_PLAY, {{AT(tagSrvPlay, count), 255}}, 292},
      {"play by chair 3", SRV_PLAY, {{AT(tagSrvPlay, outChair), 3}}},
      {"play current 7", SRV_PLAY, {{AT(tagSrvPlay, currentChair), 7}}},
      {"play of a byte that is no card", SRV_PLAY, {{AT(tagSrvPlay, cards) + 1, 0x3E}}},
      {"play resolved to no card", SRV_PLAY, {{AT(tagSrvPlay, resolved), 0}}},
      {"play counts past the deck", SRV_PLAY, Two(AT(tagSrvPlay, cardCount), 27)},
      {"pass short", SRV_PASS, {}, 37},
      {"pass long", SRV_PASS, {}, 39},
      {"pass new turn hand of no card", SRV_PASS, {{AT(tagSrvPass, hand) + 5, 0}}},
      {"pass new turn count 28", SRV_PASS, {{AT(tagSrvPass, cardCount) + 1, 28}}},
      {"pass new turn pile past the deck", SRV_PASS, {{AT(tagSrvPass, pileCount), 50}}},
      {"pass chair none",
       SRV_PASS,
       {{AT(tagSrvPass, newTurn), 0},
        {AT(tagSrvPass, passChair), 0xFF},
        {AT(tagSrvPass, passChair) + 1, 0xFF}}},
      {"pass current 3",
       SRV_PASS,
       {{AT(tagSrvPass, newTurn), 0}, {AT(tagSrvPass, currentChair), 3}}},
      {"result short", SRV_RESULT, {}, 199},
      {"result long", SRV_RESULT, {}, 201},
      {"result left counts past the deck", SRV_RESULT, Two(AT(tagSrvResult, leftCount), 27)},
      {"result left card that is no card", SRV_RESULT, {{AT(tagSrvResult, leftCards) + 1, 0x50}}},
      {"notice short", SRV_PASS_NOTICE, {}, 7},
      {"notice long", SRV_PASS_NOTICE, {}, 9},
      {"notice pile 60", SRV_PASS_NOTICE, {{AT(tagSrvPassNotice, pileCount), 60}}},
      {"notice current none", SRV_PASS_NOTICE, Two(AT(tagSrvPassNotice, currentChair), 0xFF)},
      {"auto-play short", SRV_AUTO_PLAY, {}, 3},
      {"auto-play long", SRV_AUTO_PLAY, {}, 5},
      {"auto-play chair 3", SRV_AUTO_PLAY, {{AT(tagSrvAutoPlay, chair), 3}}},
  };
  for (uint16_t id :
       {0, 1, 2, 5, 99, 101, 106, 107, 108, 110, 111, 112, 113, 114, 115, 117, 200, 0xFFFF})
    cases.push_back({"unknown id", id, {}});
  return cases;
}

const std::vector<tagBad> kBadScenes = {
    {"free short", STATUS_FREE, {}, 71},
    {"free long", STATUS_FREE, {}, 73},
    {"free empty", STATUS_FREE, {}, 0},
    {"playing short", STATUS_PLAYING, {}, 231},
    {"playing long", STATUS_PLAYING, {}, 233},
    {"playing banker 3", STATUS_PLAYING, {{AT(tagScenePlaying, bankerChair), 3}}},
    {"playing hand of no card", STATUS_PLAYING, {{AT(tagScenePlaying, hand) + 1, 0}}},
    {"playing turn count 28", STATUS_PLAYING, {{AT(tagScenePlaying, turnCount), 28}}},
    {"playing counts past the deck", STATUS_PLAYING, {{AT(tagScenePlaying, pileCount), 50}}},
    {"status 1", 1, {}},
    {"status 99", 99, {}, 0},
    {"status 102", 102, {}},
    {"status 255", 255, {}, 0},
};

TEST(Refusal, EveryBadRecordChangesNothingInEveryPhase) {
  scenario::CClientHarness h;
  ASSERT_TRUE(h.Start());
  auto message = [&](uint16_t id, const Bytes& b) {
    return h.Dialog().OnServerMessage(id, b.data(), static_cast<WORD>(b.size()));
  };
  auto scene = [&](uint16_t status, const Bytes& b) {
    return h.Dialog().OnSceneRestore(static_cast<BYTE>(status), false, b.data(),
                                     static_cast<WORD>(b.size()));
  };
  auto expectRefused = [&](const tagBad& c, bool isScene) {
    const scenario::tagSnapshot before = h.Snapshot();
    const Bytes b = Changed(c, isScene);
    if (isScene ? scene(c.id, b) : message(c.id, b)) return ADD_FAILURE() << c.name << " accepted";
    const scenario::tagSnapshot after = h.Snapshot();
    EXPECT_EQ(before, after) << c.name << " changed:\n"
                             << scenario::DescribeDifference(before, after);
  };
  const struct {
    const char* phase;
    std::vector<uint16_t> openings;
  } phases[] = {
      {"dealing", {SRV_DEAL}},
      {"in play", {SRV_PLAY_BEGIN, SRV_PLAY}},
      {"game over", {SRV_PLAY_BEGIN, SRV_RESULT}},
  };
  for (const auto& p : phases) {
    SCOPED_TRACE(p.phase);
    ASSERT_TRUE(h.Reset());
    h.Link().DeliverSelf(1, false, false);
    for (WORD c = 0; c < SEAT_COUNT; ++c) {
      tagUserData user{};
      SetUserName(user, c == 1 ? "Me" : "Other");
      user.cbGender = GENDER_MALE;
      h.Link().DeliverUserEnter(user, c, false);
    }
    h.Pump();
    for (uint16_t id : p.openings) ASSERT_TRUE(message(id, Valid(id)));
    h.Advance(240);
    for (const tagBad& c : BadMessages()) expectRefused(c, false);
    for (const tagBad& c : kBadScenes) expectRefused(c, true);
    // The started scene is accepted at any size and changes nothing either.
    const scenario::tagSnapshot before = h.Snapshot();
    EXPECT_TRUE(scene(STATUS_STARTED, Bytes(17, 0xAB)));
    EXPECT_TRUE(scene(STATUS_STARTED, {}));
    EXPECT_EQ(before, h.Snapshot());
  }
  // The snapshot does see what a good record changes.
  const scenario::tagSnapshot before = h.Snapshot();
  EXPECT_TRUE(message(SRV_PLAY_BEGIN, Valid(SRV_PLAY_BEGIN)));
  EXPECT_NE(before, h.Snapshot());
}

}  // namespace
