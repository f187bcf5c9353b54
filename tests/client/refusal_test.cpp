// Records the client cannot trust are refused, and a refused record changes nothing at all:
// not the dialog's state, the view, the card controls, the buttons, the timers and clocks, the
// messages sent or the sounds played.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "protocol/Protocol.h"
#include "server/Random.h"
#include "tools/scenario/ClientHarness.h"

namespace {

using Bytes = std::vector<uint8_t>;

template <typename T>
Bytes Raw(const T& record, size_t size = sizeof(T)) {
  Bytes b(size, 0);
  std::memcpy(b.data(), &record, std::min(size, sizeof(T)));
  return b;
}

tagSrvDeal Deal() {
  tagSrvDeal r{};
  r.bankerChair = 0;
  r.currentChair = 0;
  const uint8_t hand[] = {0x03, 0x14, 0x25, 0x36, 0x07};
  std::memcpy(r.cardArea, hand, sizeof(hand));
  r.handCount = 5;
  r.cardCount[0] = 6;
  r.cardCount[1] = 5;
  r.cardCount[2] = 5;
  std::memset(r.playing, 1, 3);
  return r;
}

tagSrvPlayBegin Begin() {
  tagSrvPlayBegin r{};
  r.bankerChair = 0;
  r.currentChair = 0;
  const uint8_t hand[] = {0x03, 0x14, 0x25, 0x36, 0x07};
  std::memcpy(r.hand, hand, sizeof(hand));
  r.handCount = 5;
  r.pileCount = 38;
  r.cardCount[0] = 6;
  r.cardCount[1] = 5;
  r.cardCount[2] = 5;
  r.baseScore = 1;
  std::memset(r.playing, 1, 3);
  return r;
}

tagSrvPlay Play() {
  tagSrvPlay r{};
  r.count = 2;
  r.outChair = 0;
  r.currentChair = 1;
  r.cards[0] = r.resolved[0] = 0x09;
  r.cards[1] = r.resolved[1] = 0x19;
  r.cardCount[0] = 4;
  r.cardCount[1] = 5;
  r.cardCount[2] = 5;
  return r;
}

Bytes PlayWire(const tagSrvPlay& r, size_t extra = 0) {
  Bytes b = Raw(r, SRV_PLAY_HEAD_SIZE + r.count + extra);
  b[SRV_PLAY_HEAD_SIZE + r.count - 1] = 0;
  return b;
}

tagSrvPass Pass() {
  tagSrvPass r{};
  r.newTurn = 1;
  r.passChair = 2;
  r.currentChair = 0;
  r.cardCount[0] = 5;
  r.cardCount[1] = 6;
  r.cardCount[2] = 6;
  const uint8_t hand[] = {0x03, 0x14, 0x25, 0x36, 0x07, 0x0A};
  std::memcpy(r.hand, hand, sizeof(hand));
  r.pileCount = 35;
  return r;
}

tagSrvResult Result() {
  tagSrvResult r{};
  r.multiple = 2;
  r.leftCount[1] = 2;
  r.leftCards[0] = 0x03;
  r.leftCards[1] = 0x14;
  r.score[0] = 4;
  r.score[1] = -4;
  std::memset(r.playing, 1, 3);
  return r;
}

tagSrvPassNotice Notice() {
  tagSrvPassNotice r{};
  r.pileCount = 38;
  r.cardCount[0] = 4;
  r.cardCount[1] = 5;
  r.cardCount[2] = 5;
  r.passChair = 1;
  r.currentChair = 2;
  return r;
}

tagSrvAutoPlay Auto() { return tagSrvAutoPlay{2, 1, 0}; }

tagScenePlaying ScenePlaying() {
  tagScenePlaying r{};
  r.bankerChair = 0;
  r.multiple = 2;
  r.turnTime = 15;
  r.lastPlayChair = 0;
  r.currentChair = 1;
  const uint8_t hand[] = {0x03, 0x14, 0x25};
  std::memcpy(r.hand, hand, sizeof(hand));
  r.cardCount[0] = 4;
  r.cardCount[1] = 3;
  r.cardCount[2] = 5;
  r.turnCount = 1;
  r.turnCards[0] = r.turnResolved[0] = 0x09;
  r.pileCount = 20;
  std::memset(r.playing, 1, 3);
  return r;
}

struct tagBadRecord {
  const char* name;
  uint16_t id;
  std::function<Bytes()> bytes;
};

// Every handled message at wrong sizes, and records whose contents the client must not use.
std::vector<tagBadRecord> BadMessages() {
  std::vector<tagBadRecord> cases = {
      {"deal short", SRV_DEAL, [] { return Raw(Deal(), 131); }},
      {"deal long", SRV_DEAL, [] { return Raw(Deal(), 133); }},
      {"deal empty", SRV_DEAL, [] { return Bytes{}; }},
      {"deal hand count 28", SRV_DEAL,
       [] {
         auto r = Deal();
         r.handCount = 28;
         return Raw(r);
       }},
      {"deal hand of no cards", SRV_DEAL,
       [] {
         auto r = Deal();
         r.cardArea[2] = 0x0E;
         return Raw(r);
       }},
      {"deal banker 3", SRV_DEAL,
       [] {
         auto r = Deal();
         r.bankerChair = 3;
         return Raw(r);
       }},
      {"deal counts past the deck", SRV_DEAL,
       [] {
         auto r = Deal();
         r.cardCount[0] = r.cardCount[1] = 27;
         r.cardCount[2] = 1;
         return Raw(r);
       }},
      {"begin short", SRV_PLAY_BEGIN, [] { return Raw(Begin(), 95); }},
      {"begin long", SRV_PLAY_BEGIN, [] { return Raw(Begin(), 97); }},
      {"begin current none", SRV_PLAY_BEGIN,
       [] {
         auto r = Begin();
         r.currentChair = NO_CHAIR;
         return Raw(r);
       }},
      {"begin pile 55", SRV_PLAY_BEGIN,
       [] {
         auto r = Begin();
         r.pileCount = 55;
         return Raw(r);
       }},
      {"begin hand count 200", SRV_PLAY_BEGIN,
       [] {
         auto r = Begin();
         r.handCount = 200;
         return Raw(r);
       }},
      {"play 36 bytes", SRV_PLAY, [] { return Raw(Play(), 36); }},
      {"play one byte short", SRV_PLAY,
       [] {
         Bytes b = PlayWire(Play());
         b.pop_back();
         return b;
       }},
      {"play one byte long", SRV_PLAY, [] { return PlayWire(Play(), 1); }},
      {"play the full 64 bytes", SRV_PLAY, [] { return Raw(Play()); }},
      {"play of no cards", SRV_PLAY,
       [] {
         auto r = Play();
         r.count = 0;
         return Raw(r, SRV_PLAY_HEAD_SIZE);
       }},
      {"play count 28", SRV_PLAY,
       [] {
         auto r = Play();
         r.count = 28;
         Bytes b = Raw(r, SRV_PLAY_HEAD_SIZE + 28);
         return b;
       }},
      {"play count 255", SRV_PLAY,
       [] {
         auto r = Play();
         r.count = 255;
         return Raw(r, SRV_PLAY_HEAD_SIZE + 255);
       }},
      {"play by chair 3", SRV_PLAY,
       [] {
         auto r = Play();
         r.outChair = 3;
         return PlayWire(r);
       }},
      {"play current 7", SRV_PLAY,
       [] {
         auto r = Play();
         r.currentChair = 7;
         return PlayWire(r);
       }},
      {"play of a byte that is no card", SRV_PLAY,
       [] {
         auto r = Play();
         r.cards[1] = 0x3E;
         return PlayWire(r);
       }},
      {"play resolved to no card", SRV_PLAY,
       [] {
         auto r = Play();
         r.resolved[0] = 0;
         return PlayWire(r);
       }},
      {"play counts past the deck", SRV_PLAY,
       [] {
         auto r = Play();
         r.cardCount[0] = r.cardCount[1] = r.cardCount[2] = 27;
         return PlayWire(r);
       }},
      {"pass short", SRV_PASS, [] { return Raw(Pass(), 37); }},
      {"pass long", SRV_PASS, [] { return Raw(Pass(), 39); }},
      {"pass new turn hand of no card", SRV_PASS,
       [] {
         auto r = Pass();
         r.hand[5] = 0;
         return Raw(r);
       }},
      {"pass new turn count 28", SRV_PASS,
       [] {
         auto r = Pass();
         r.cardCount[1] = 28;
         return Raw(r);
       }},
      {"pass new turn pile past the deck", SRV_PASS,
       [] {
         auto r = Pass();
         r.pileCount = 50;
         return Raw(r);
       }},
      {"pass chair none", SRV_PASS,
       [] {
         auto r = Pass();
         r.newTurn = 0;
         r.passChair = NO_CHAIR;
         return Raw(r);
       }},
      {"pass current 3", SRV_PASS,
       [] {
         auto r = Pass();
         r.newTurn = 0;
         r.currentChair = 3;
         return Raw(r);
       }},
      {"result short", SRV_RESULT, [] { return Raw(Result(), 199); }},
      {"result long", SRV_RESULT, [] { return Raw(Result(), 201); }},
      {"result left counts past the deck", SRV_RESULT,
       [] {
         auto r = Result();
         r.leftCount[0] = 27;
         r.leftCount[1] = 27;
         r.leftCount[2] = 1;
         return Raw(r);
       }},
      {"result left card that is no card", SRV_RESULT,
       [] {
         auto r = Result();
         r.leftCards[1] = 0x50;
         return Raw(r);
       }},
      {"notice short", SRV_PASS_NOTICE, [] { return Raw(Notice(), 7); }},
      {"notice long", SRV_PASS_NOTICE, [] { return Raw(Notice(), 9); }},
      {"notice pile 60", SRV_PASS_NOTICE,
       [] {
         auto r = Notice();
         r.pileCount = 60;
         return Raw(r);
       }},
      {"notice current none", SRV_PASS_NOTICE,
       [] {
         auto r = Notice();
         r.currentChair = NO_CHAIR;
         return Raw(r);
       }},
      {"auto-play short", SRV_AUTO_PLAY, [] { return Raw(Auto(), 3); }},
      {"auto-play long", SRV_AUTO_PLAY, [] { return Raw(Auto(), 5); }},
      {"auto-play chair 3", SRV_AUTO_PLAY,
       [] {
         auto r = Auto();
         r.chair = 3;
         return Raw(r);
       }},
  };
  for (uint16_t id :
       {0, 1, 2, 5, 99, 101, 106, 107, 108, 110, 111, 112, 113, 114, 115, 117, 200, 0xFFFF}) {
    cases.push_back({"unknown id", id, [] { return Raw(Auto()); }});
  }
  return cases;
}

class Refusal : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(h.Start());
    h.Link().DeliverSelf(1, false, false);
    for (WORD c = 0; c < 3; ++c) {
      tagUserData user{};
      SetUserName(user, c == 1 ? "Me" : "Other");
      user.cbGender = GENDER_MALE;
      h.Link().DeliverUserEnter(user, c, false);
    }
    h.Pump();
  }

  bool Message(uint16_t id, const Bytes& b) {
    return h.Dialog().OnServerMessage(id, b.empty() ? nullptr : b.data(),
                                      static_cast<WORD>(b.size()));
  }

  // Every case against the client as it stands: refused, and nothing changed.
  void ExpectAllRefused(const char* state) {
    for (const tagBadRecord& c : BadMessages()) {
      const scenario::tagSnapshot before = h.Snapshot();
      EXPECT_FALSE(Message(c.id, c.bytes())) << c.name << " (" << state << ")";
      const scenario::tagSnapshot after = h.Snapshot();
      EXPECT_EQ(before, after) << c.name << " (" << state << ") changed:\n"
                               << scenario::DescribeDifference(before, after);
    }
  }

  scenario::CClientHarness h;
};

TEST_F(Refusal, EveryBadMessageChangesNothingInPlay) {
  ASSERT_TRUE(Message(SRV_PLAY_BEGIN, Raw(Begin())));
  ASSERT_TRUE(Message(SRV_PLAY, PlayWire(Play())));
  ExpectAllRefused("in play");
  // The snapshot does see what a good record changes.
  const scenario::tagSnapshot before = h.Snapshot();
  EXPECT_TRUE(Message(SRV_AUTO_PLAY, Raw(Auto())));
  EXPECT_NE(before, h.Snapshot());
}

TEST_F(Refusal, EveryBadMessageChangesNothingDuringTheDeal) {
  ASSERT_TRUE(Message(SRV_DEAL, Raw(Deal())));
  h.Advance(240);
  ExpectAllRefused("dealing");
}

TEST_F(Refusal, EveryBadMessageChangesNothingAfterTheEnd) {
  ASSERT_TRUE(Message(SRV_PLAY_BEGIN, Raw(Begin())));
  ASSERT_TRUE(Message(SRV_RESULT, Raw(Result())));
  ExpectAllRefused("game over");
}

TEST_F(Refusal, BadScenesChangeNothing) {
  ASSERT_TRUE(Message(SRV_PLAY_BEGIN, Raw(Begin())));
  const std::vector<std::pair<const char*, std::pair<uint8_t, Bytes>>> scenes = {
      {"free short", {STATUS_FREE, Raw(tagSceneFree{}, 71)}},
      {"free long", {STATUS_FREE, Raw(tagSceneFree{}, 73)}},
      {"free empty", {STATUS_FREE, Bytes{}}},
      {"playing short", {STATUS_PLAYING, Raw(ScenePlaying(), 231)}},
      {"playing long", {STATUS_PLAYING, Raw(ScenePlaying(), 233)}},
      {"playing banker 3",
       {STATUS_PLAYING,
        [] {
          auto r = ScenePlaying();
          r.bankerChair = 3;
          return Raw(r);
        }()}},
      {"playing hand of no card",
       {STATUS_PLAYING,
        [] {
          auto r = ScenePlaying();
          r.hand[1] = 0;
          return Raw(r);
        }()}},
      {"playing turn count 28",
       {STATUS_PLAYING,
        [] {
          auto r = ScenePlaying();
          r.turnCount = 28;
          return Raw(r);
        }()}},
      {"playing counts past the deck",
       {STATUS_PLAYING,
        [] {
          auto r = ScenePlaying();
          r.pileCount = 50;
          return Raw(r);
        }()}},
      {"status 1", {1, Raw(tagSceneFree{})}},
      {"status 99", {99, Bytes{}}},
      {"status 102", {102, Raw(ScenePlaying())}},
      {"status 255", {255, Bytes{}}},
  };
  for (const auto& [name, scene] : scenes) {
    const scenario::tagSnapshot before = h.Snapshot();
    const Bytes& b = scene.second;
    EXPECT_FALSE(h.Dialog().OnSceneRestore(scene.first, false, b.empty() ? nullptr : b.data(),
                                           static_cast<WORD>(b.size())))
        << name;
    const scenario::tagSnapshot after = h.Snapshot();
    EXPECT_EQ(before, after) << name << " changed:\n"
                             << scenario::DescribeDifference(before, after);
  }
  // The started scene is accepted at any size and changes nothing either.
  const scenario::tagSnapshot before = h.Snapshot();
  const Bytes junk(17, 0xAB);
  EXPECT_TRUE(h.Dialog().OnSceneRestore(STATUS_STARTED, false, junk.data(), 17));
  EXPECT_TRUE(h.Dialog().OnSceneRestore(STATUS_STARTED, false, nullptr, 0));
  EXPECT_EQ(before, h.Snapshot());
}

// Valid openings, then arbitrary ids and bytes: random, and valid records and scenes with
// random bytes changed. Nothing crashes (the sanitizer build watches), and every refused record
// leaves the client exactly as it was.
TEST_F(Refusal, ArbitraryBytesAfterValidOpenings) {
  CRandom random(20240611);
  const std::vector<std::pair<uint16_t, Bytes>> valid = {
      {SRV_DEAL, Raw(Deal())},     {SRV_PLAY_BEGIN, Raw(Begin())}, {SRV_PLAY, PlayWire(Play())},
      {SRV_PASS, Raw(Pass())},     {SRV_RESULT, Raw(Result())},    {SRV_PASS_NOTICE, Raw(Notice())},
      {SRV_AUTO_PLAY, Raw(Auto())}};
  const uint16_t ids[] = {SRV_DEAL,        SRV_PLAY_BEGIN, SRV_PLAY, SRV_PASS, SRV_RESULT,
                          SRV_PASS_NOTICE, SRV_AUTO_PLAY,  101,      117,      0};
  int refused = 0;
  int accepted = 0;
  for (int round = 0; round < 4; ++round) {
    ASSERT_TRUE(Message(SRV_DEAL, Raw(Deal())));
    h.Advance(random.Below(1000));
    ASSERT_TRUE(Message(SRV_PLAY_BEGIN, Raw(Begin())));
    for (int i = 0; i < 300; ++i) {
      uint16_t id;
      Bytes b;
      if (random.Below(2) == 0) {
        const auto& v = valid[random.Below(valid.size())];
        id = v.first;
        b = v.second;
        for (uint32_t k = random.Below(4) + 1; k > 0; --k)
          b[random.Below(b.size())] = static_cast<uint8_t>(random.Below(256));
        if (random.Below(8) == 0) b.resize(random.Below(260));
      } else {
        id = ids[random.Below(std::size(ids))];
        b.resize(random.Below(3) == 0 ? random.Below(300)
                                      : valid[random.Below(valid.size())].second.size());
        for (uint8_t& x : b) x = static_cast<uint8_t>(random.Below(256));
      }
      const scenario::tagSnapshot before = h.Snapshot();
      if (random.Below(6) == 0) {
        // A scene instead: a free or playing one with bytes changed, or any status.
        const uint8_t statuses[] = {STATUS_FREE, STATUS_STARTED, STATUS_PLAYING, 1, 102};
        const uint8_t status = statuses[random.Below(std::size(statuses))];
        b = status == STATUS_FREE ? Raw(tagSceneFree{}) : Raw(ScenePlaying());
        for (uint32_t k = random.Below(6); k > 0; --k)
          b[random.Below(b.size())] = static_cast<uint8_t>(random.Below(256));
        if (random.Below(8) == 0) b.resize(random.Below(300));
        if (h.Dialog().OnSceneRestore(status, false, b.empty() ? nullptr : b.data(),
                                      static_cast<WORD>(b.size()))) {
          ++accepted;
          continue;
        }
        ++refused;
        const scenario::tagSnapshot after = h.Snapshot();
        ASSERT_EQ(before, after) << "scene " << int{status} << " of " << b.size()
                                 << " bytes changed:\n"
                                 << scenario::DescribeDifference(before, after);
        continue;
      }
      if (Message(id, b)) {
        ++accepted;
        if (random.Below(10) == 0) h.Advance(random.Below(4000), 50);
        continue;
      }
      ++refused;
      const scenario::tagSnapshot after = h.Snapshot();
      ASSERT_EQ(before, after) << "message " << id << " of " << b.size() << " bytes changed:\n"
                               << scenario::DescribeDifference(before, after);
    }
  }
  EXPECT_GT(refused, 100);
  EXPECT_GT(accepted, 100);
}

}  // namespace
