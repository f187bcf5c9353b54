// Protocol records: sizes, round trips, and every refusal of the decoders and encoders.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <utility>
#include <vector>

#include "protocol/Protocol.h"

namespace {

using Bytes = std::vector<uint8_t>;
constexpr uint16_t ME = 1;  // the receiving chair of every sample
enum class Kind { Server, Scene, Client };

template <class T>
Bytes Raw(const T& record) {
  const auto* p = reinterpret_cast<const uint8_t*>(&record);
  return Bytes(p, p + sizeof record);
}

struct Sample {
  const char* name;
  Kind kind;
  uint16_t id;  // message id, or scene status
  Bytes raw;    // the record as it lies in memory (empty: no record)
  size_t wireSize;
};

// A valid record of every kind: receiver ME, all card counts within the deck.
std::vector<Sample> Samples() {
  const tagSrvDeal deal{1, 1, {0x01, 0x12, 0x23, 0x3D, 0x4E, 0x4F}, 6, {}, {5, 6, 5}, {1, 1, 1}, 0};
  const tagSrvPlayBegin begin{
      1, 1, {0x02, 0x13, 0x24, 0x35, 0x06, 0x4E}, 6, 38, {5, 6, 5}, {}, -3, {1, 1, 1}, {}};
  const tagSrvPlay play{2, 0, 2, ME, {0x4E, 0x05}, {5, 4, 5}, {0x15, 0x05}, 0};
  const tagSrvPass pass{1, 0, 2, 0, {5, 4, 5}, {0x01, 0x02, 0x03, 0x4F}, 30, 0};
  const tagSrvResult result{0,
                            1,
                            1,
                            0,
                            0,
                            0,
                            4,
                            {2, 1, 1},
                            {},
                            {-200, 100, 100},
                            {},
                            {3, 0, 2},
                            {0x01, 0x11, 0x4E, 0x3D, 0x2C},
                            {1, 1, 1}};
  const tagSrvPassNotice notice{20, {5, 5, 5}, 0, ME};
  const tagSrvAutoPlay autoPlay{2, 1, 0};
  const tagSceneFree freeTable{-50, 0, 15, {}, 2, {}};
  const tagScenePlaying playing{0,
                                2,
                                {},
                                1000,
                                0,
                                15,
                                1,
                                0,
                                2,
                                0,
                                {},
                                {0x07, 0x18, 0x29},
                                {4, 3, 5},
                                2,
                                {0x4F, 0x09},
                                {},
                                {0x39, 0x09},
                                30,
                                {0, 0, 2},
                                {},
                                0x100000002LL,
                                {1, 1, 1},
                                0,
                                {}};
  const tagCliPlay cliPlay{4, {0x03, 0x13, 0x23, 0x33}};
  const tagCliAutoPlay cliAuto{ME, 1, 0};
  const tagCliChangeTable cliChange{2};
  return {
      {"SRV_DEAL", Kind::Server, SRV_DEAL, Raw(deal), 132},
      {"SRV_PLAY_BEGIN", Kind::Server, SRV_PLAY_BEGIN, Raw(begin), 96},
      {"SRV_PLAY", Kind::Server, SRV_PLAY, Raw(play), 39},
      {"SRV_PASS", Kind::Server, SRV_PASS, Raw(pass), 38},
      {"SRV_RESULT", Kind::Server, SRV_RESULT, Raw(result), 200},
      {"SRV_PASS_NOTICE", Kind::Server, SRV_PASS_NOTICE, Raw(notice), 8},
      {"SRV_AUTO_PLAY", Kind::Server, SRV_AUTO_PLAY, Raw(autoPlay), 4},
      {"STATUS_FREE", Kind::Scene, STATUS_FREE, Raw(freeTable), 72},
      {"STATUS_PLAYING", Kind::Scene, STATUS_PLAYING, Raw(playing), 232},
      {"CLI_PLAY", Kind::Client, CLI_PLAY, Raw(cliPlay), 5},  // a play of 4 cards
      {"CLI_PASS", Kind::Client, CLI_PASS, {}, 0},
      {"CLI_AUTO_PLAY", Kind::Client, CLI_AUTO_PLAY, Raw(cliAuto), 4},
      {"CLI_DEAL_DONE", Kind::Client, CLI_DEAL_DONE, {}, 0},
      {"CLI_CHANGE_TABLE", Kind::Client, CLI_CHANGE_TABLE, Raw(cliChange), 2},
  };
}

// Raw record bytes are copied over the record area of a message or scene and encoded.
bool EncodeRaw(Kind kind, uint16_t id, const Bytes& raw, uint16_t receiver, Bytes& wire) {
  uint8_t buffer[512];
  size_t written = 0;
  bool ok = false;
  auto fill = [&](auto& holder, void* record) {
    std::memset(&holder, 0, sizeof holder);
    const size_t room =
        sizeof holder - (static_cast<uint8_t*>(record) - reinterpret_cast<uint8_t*>(&holder));
    if (!raw.empty()) std::memcpy(record, raw.data(), std::min(raw.size(), room));
  };
  if (kind == Kind::Server) {
    tagServerMessage m;
    fill(m, &m.deal);
    m.id = id;
    ok = EncodeServerMessage(m, receiver, buffer, sizeof buffer, written);
  } else if (kind == Kind::Scene) {
    tagScene s;
    fill(s, &s.playing);
    s.status = static_cast<uint8_t>(id);
    ok = EncodeScene(s, receiver, buffer, sizeof buffer, written);
  } else {
    tagClientMessage c;
    fill(c, &c.play);
    c.id = id;
    ok = EncodeClientMessage(c, buffer, sizeof buffer, written);
  }
  wire.assign(buffer, buffer + (ok ? written : 0));
  return ok;
}

// Decodes through the single entries; the decoded record's bytes go to *record.
bool Decode(Kind kind, uint16_t id, const uint8_t* data, size_t size, uint16_t receiver = ME,
            Bytes* record = nullptr) {
  tagServerMessage m;
  tagScene s;
  tagClientMessage c;
  const uint8_t* p = nullptr;
  bool ok = false;
  if (kind == Kind::Server) {
    ok = DecodeServerMessage(id, data, size, receiver, m);
    p = reinterpret_cast<const uint8_t*>(&m.deal);
  } else if (kind == Kind::Scene) {
    ok = DecodeScene(static_cast<uint8_t>(id), data, size, receiver, s);
    p = reinterpret_cast<const uint8_t*>(&s.playing);
  } else {
    ok = DecodeClientMessage(id, data, size, c);
    p = reinterpret_cast<const uint8_t*>(&c.play);
  }
  if (ok && record) record->assign(p, p + record->size());
  return ok;
}

Bytes Wire(Kind kind, uint16_t id) {
  for (const Sample& s : Samples()) {
    Bytes wire;
    if (s.kind == kind && s.id == id && EncodeRaw(kind, id, s.raw, ME, wire)) return wire;
  }
  ADD_FAILURE() << "no sample " << id;
  return {};
}

TEST(ProtocolSizes, EveryRecordRoundTripsAtItsSizeAndOneByteOffIsRefused) {
  for (const Sample& s : Samples()) {
    SCOPED_TRACE(s.name);
    Bytes wire;
    ASSERT_TRUE(EncodeRaw(s.kind, s.id, s.raw, ME, wire));
    ASSERT_EQ(wire.size(), s.wireSize);
    Bytes record(s.raw.size());
    EXPECT_TRUE(Decode(s.kind, s.id, wire.data(), wire.size(), ME, &record));
    EXPECT_EQ(record, s.raw);
    Bytes longer = wire;
    longer.push_back(0);
    EXPECT_FALSE(Decode(s.kind, s.id, longer.data(), longer.size()));
    if (!wire.empty()) {
      EXPECT_FALSE(Decode(s.kind, s.id, wire.data(), wire.size() - 1));
    }
  }
}

TEST(ProtocolSizes, PlayIsThirtySevenPlusItsCount) {
  Bytes play = Wire(Kind::Server, SRV_PLAY);  // count 2, 39 bytes, pad 0 at the end
  EXPECT_EQ(play[36], 0x15);
  EXPECT_EQ(play[38], 0);
  EXPECT_FALSE(Decode(Kind::Server, SRV_PLAY, play.data(), 36));
  play[38] = 0x99;  // padding carries no meaning and is not kept
  Bytes record(sizeof(tagSrvPlay));
  EXPECT_TRUE(Decode(Kind::Server, SRV_PLAY, play.data(), 39, ME, &record));
  EXPECT_EQ(record, Samples()[2].raw);
  play[0] = 1;  // count 1 at 38 bytes
  EXPECT_TRUE(Decode(Kind::Server, SRV_PLAY, play.data(), 38));
  EXPECT_FALSE(Decode(Kind::Server, SRV_PLAY, play.data(), 39));
}

TEST(ProtocolSizes, UnknownIdsAndStatusesRefused) {
  const uint8_t any[256] = {};
  for (uint16_t id : {0, 1, 6, 99, 101, 106, 107, 108, 110, 115, 117, 0xFFFF}) {
    for (size_t size : {size_t{0}, size_t{4}, size_t{132}}) {
      EXPECT_FALSE(Decode(Kind::Server, id, any, size)) << id << " " << size;
    }
  }
  for (uint16_t id : {0, 1, 6, 8, 100}) EXPECT_FALSE(Decode(Kind::Client, id, any, 2)) << id;
  for (uint8_t status : {1, 99, 102, 255}) EXPECT_FALSE(Decode(Kind::Scene, status, any, 72));
  for (size_t size : {size_t{0}, size_t{1}, size_t{232}, size_t{256}}) {
    EXPECT_TRUE(Decode(Kind::Scene, STATUS_STARTED, any, size));  // no record is read
  }
  EXPECT_TRUE(Decode(Kind::Scene, STATUS_STARTED, nullptr, 0));
}

TEST(ProtocolWire, SixtyFourBitValuesAreLowWordThenHighWord) {
  const Bytes begin = Wire(Kind::Server, SRV_PLAY_BEGIN);  // base score -3
  EXPECT_EQ(Bytes(begin.begin() + 80, begin.begin() + 88),
            Bytes({0xFD, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
  const Bytes scene = Wire(Kind::Scene, STATUS_PLAYING);  // base score 2 + 2^32
  EXPECT_EQ(Bytes(scene.begin() + 216, scene.begin() + 224), Bytes({2, 0, 0, 0, 1, 0, 0, 0}));
}

TEST(ProtocolWire, SmallBufferAndRefusedDecodeLeaveThingsAlone) {
  tagSrvPlay play;
  const Bytes wire = Wire(Kind::Server, SRV_PLAY);
  ASSERT_TRUE(DecodeSrvPlay(wire.data(), wire.size(), play));
  uint8_t buffer[64];
  EXPECT_EQ(EncodeSrvPlay(play, buffer, 38), 0u);
  EXPECT_EQ(EncodeSrvPlay(play, buffer, 39), 39u);
  EXPECT_EQ(EncodeSrvPlay(play, nullptr, 39), 0u);

  Bytes bad = wire;
  bad[4] = 7;  // out chair
  tagSrvPlay out;
  std::memset(&out, 0x5A, sizeof out);
  const tagSrvPlay before = out;
  EXPECT_FALSE(DecodeSrvPlay(bad.data(), bad.size(), out));
  EXPECT_TRUE(out == before);
  tagServerMessage message{};
  message.id = 0x1234;
  EXPECT_FALSE(DecodeServerMessage(SRV_PLAY, bad.data(), bad.size(), ME, message));
  EXPECT_EQ(message.id, 0x1234);
}

// ----- Field checks: a valid record with some bytes changed, accepted or refused.

struct FieldCase {
  const char* name;
  Kind kind;
  uint16_t id;
  std::initializer_list<std::pair<size_t, uint8_t>> patch;
  bool accepted;
  uint16_t receiver = ME;
  size_t resize = 0;  // new wire size (extra bytes are the card 0x01), 0 = unchanged
  std::pair<size_t, size_t> fill = {0, 0};  // bytes set to the card 0x01 before the patch
};

const FieldCase kFieldCases[] = {
    // SRV_DEAL
    {"deal banker 3", Kind::Server, SRV_DEAL, {{0, 3}}, false},
    {"deal current none", Kind::Server, SRV_DEAL, {{2, 0xFF}, {3, 0xFF}}, true},
    {"deal current 5", Kind::Server, SRV_DEAL, {{2, 5}}, false},
    {"deal garbage beyond hand", Kind::Server, SRV_DEAL, {{10, 0xFF}, {84, 0}}, true},
    {"deal hand 27", Kind::Server, SRV_DEAL, {{85, 27}}, true, ME, 0, {4, 85}},
    {"deal hand 28 in 81 bytes", Kind::Server, SRV_DEAL, {{85, 28}}, false, ME, 0, {4, 85}},
    {"deal hand card 0", Kind::Server, SRV_DEAL, {{4, 0}}, false},
    {"deal chair count 28", Kind::Server, SRV_DEAL, {{125, 28}}, false},
    {"deal counts sum 55", Kind::Server, SRV_DEAL, {{125, 27}, {126, 27}, {127, 1}}, false},
    {"deal playing flag 7", Kind::Server, SRV_DEAL, {{128, 7}}, true},
    // SRV_PLAY_BEGIN (hands 16 + pile 38 = 54)
    {"begin banker 3", Kind::Server, SRV_PLAY_BEGIN, {{0, 3}}, false},
    {"begin current none", Kind::Server, SRV_PLAY_BEGIN, {{2, 0xFF}, {3, 0xFF}}, false},
    {"begin hand 27", Kind::Server, SRV_PLAY_BEGIN, {{31, 27}}, true, ME, 0, {4, 31}},
    {"begin hand 28", Kind::Server, SRV_PLAY_BEGIN, {{31, 28}}, false, ME, 0, {4, 31}},
    {"begin hand card 0x50", Kind::Server, SRV_PLAY_BEGIN, {{4, 0x50}}, false},
    {"begin hands and pile 55", Kind::Server, SRV_PLAY_BEGIN, {{32, 39}}, false},
    {"begin chair count 28", Kind::Server, SRV_PLAY_BEGIN, {{33, 28}, {32, 0}}, false},
    // SRV_PLAY (count 2, 39 bytes)
    {"play count 0", Kind::Server, SRV_PLAY, {{0, 0}}, false, ME, 37},
    {"play count 28", Kind::Server, SRV_PLAY, {{0, 28}}, false, ME, 65},
    {"play count 255", Kind::Server, SRV_PLAY, {{0, 255}}, false, ME, 292},
    {"play count 27", Kind::Server, SRV_PLAY, {{0, 27}}, true, ME, 64, {6, 64}},
    {"play current none", Kind::Server, SRV_PLAY, {{2, 0xFF}, {3, 0xFF}}, true},
    {"play current 3", Kind::Server, SRV_PLAY, {{2, 3}}, false},
    {"play out chair none", Kind::Server, SRV_PLAY, {{4, 0xFF}, {5, 0xFF}}, false},
    {"play card 0x4D", Kind::Server, SRV_PLAY, {{7, 0x4D}}, false},
    {"play garbage beyond count", Kind::Server, SRV_PLAY, {{8, 0xEE}, {32, 0xEE}}, true},
    {"play resolved card 0", Kind::Server, SRV_PLAY, {{37, 0}}, false},
    {"play chair count 28", Kind::Server, SRV_PLAY, {{33, 28}}, false},
    {"play counts sum 55", Kind::Server, SRV_PLAY, {{33, 27}, {34, 27}, {35, 1}}, false},
    // SRV_PASS (new turn, my 4 cards, hands 14 + pile 30)
    {"pass chair 3", Kind::Server, SRV_PASS, {{2, 3}}, false},
    {"pass current none", Kind::Server, SRV_PASS, {{4, 0xFF}, {5, 0xFF}}, false},
    {"pass chair count 28", Kind::Server, SRV_PASS, {{6, 28}, {36, 0}}, false},
    {"pass new turn pile 55", Kind::Server, SRV_PASS, {{36, 55}}, false},
    {"pass new turn hands and pile 55", Kind::Server, SRV_PASS, {{36, 41}}, false},
    {"pass my card 0xFF", Kind::Server, SRV_PASS, {{12, 0xFF}}, false},
    {"pass other receiver reads 5 cards", Kind::Server, SRV_PASS, {}, false, 0},
    {"pass new turn without receiver", Kind::Server, SRV_PASS, {}, false, NO_CHAIR},
    {"pass no new turn ignores hand and pile",
     Kind::Server,
     SRV_PASS,
     {{0, 0}, {9, 0xFF}, {36, 200}},
     true,
     NO_CHAIR},
    {"pass flag 2 is no new turn", Kind::Server, SRV_PASS, {{0, 2}, {9, 0}}, true},
    // SRV_RESULT (left 3 + 0 + 2)
    {"result left 27 + 0 + 2", Kind::Server, SRV_RESULT, {{140, 27}}, true, ME, 0, {143, 197}},
    {"result left count 28", Kind::Server, SRV_RESULT, {{140, 28}}, false, ME, 0, {143, 197}},
    {"result left sum 55", Kind::Server, SRV_RESULT, {{140, 27}, {141, 27}, {142, 1}}, false},
    {"result last left card 0x3E", Kind::Server, SRV_RESULT, {{147, 0x3E}}, false},
    {"result garbage beyond left", Kind::Server, SRV_RESULT, {{148, 0xEE}, {196, 0xFF}}, true},
    // SRV_PASS_NOTICE (hands 15 + pile 20)
    {"notice pass chair 3", Kind::Server, SRV_PASS_NOTICE, {{4, 3}}, false},
    {"notice current none", Kind::Server, SRV_PASS_NOTICE, {{6, 0xFF}, {7, 0xFF}}, false},
    {"notice hands and pile 54", Kind::Server, SRV_PASS_NOTICE, {{0, 39}}, true},
    {"notice hands and pile 55", Kind::Server, SRV_PASS_NOTICE, {{0, 40}}, false},
    {"notice chair count 28", Kind::Server, SRV_PASS_NOTICE, {{1, 28}, {0, 0}}, false},
    // SRV_AUTO_PLAY
    {"auto chair 3", Kind::Server, SRV_AUTO_PLAY, {{0, 3}}, false},
    {"auto flag 2", Kind::Server, SRV_AUTO_PLAY, {{2, 2}}, true},
    // STATUS_PLAYING scene (my 3 cards, hands 12 + pile 30, turn 2 cards)
    {"scene banker none", Kind::Scene, STATUS_PLAYING, {{0, 0xFF}, {1, 0xFF}}, false},
    {"scene last play none, no clock",
     Kind::Scene,
     STATUS_PLAYING,
     {{28, 0xFF}, {29, 0xFF}, {30, 0xFF}, {31, 0xFF}},
     true},
    {"scene last play chair 3", Kind::Scene, STATUS_PLAYING, {{28, 3}}, false},
    {"scene current 3", Kind::Scene, STATUS_PLAYING, {{30, 3}}, false},
    {"scene my card 0", Kind::Scene, STATUS_PLAYING, {{72, 0}}, false},
    {"scene chair count 28", Kind::Scene, STATUS_PLAYING, {{97, 28}, {158, 0}}, false},
    {"scene hands and pile 55", Kind::Scene, STATUS_PLAYING, {{158, 43}}, false},
    {"scene turn count 27", Kind::Scene, STATUS_PLAYING, {{100, 27}}, true, ME, 0, {101, 159}},
    {"scene turn count 28", Kind::Scene, STATUS_PLAYING, {{100, 28}}, false, ME, 0, {101, 159}},
    {"scene no turn, garbage turn cards",
     Kind::Scene,
     STATUS_PLAYING,
     {{100, 0}, {101, 0xEE}, {131, 0xEE}},
     true},
    {"scene turn card 0", Kind::Scene, STATUS_PLAYING, {{102, 0}}, false},
    {"scene resolved card 0x4C", Kind::Scene, STATUS_PLAYING, {{131, 0x4C}}, false},
    {"scene without receiver", Kind::Scene, STATUS_PLAYING, {}, false, NO_CHAIR},
    // Client messages
    {"cli play count 0", Kind::Client, CLI_PLAY, {{0, 0}}, false, ME, 1},
    {"cli play count 27", Kind::Client, CLI_PLAY, {{0, 27}}, true, ME, 28},
    {"cli play count 28", Kind::Client, CLI_PLAY, {{0, 28}}, false, ME, 29},
    {"cli play card 0x0F", Kind::Client, CLI_PLAY, {{4, 0x0F}}, false},
    {"cli auto chair 3", Kind::Client, CLI_AUTO_PLAY, {{0, 3}}, false},
    {"cli change table chair 3", Kind::Client, CLI_CHANGE_TABLE, {{0, 3}}, false},
};

TEST(ProtocolFields, DecoderAndEncoderAgreeOnEveryCheck) {
  for (const FieldCase& c : kFieldCases) {
    SCOPED_TRACE(c.name);
    Bytes b = Wire(c.kind, c.id);
    if (c.resize != 0) b.resize(c.resize, 0x01);
    std::fill(b.begin() + c.fill.first, b.begin() + c.fill.second, 0x01);
    for (const auto& [offset, value] : c.patch) b.at(offset) = value;
    EXPECT_EQ(Decode(c.kind, c.id, b.data(), b.size(), c.receiver), c.accepted);
    Bytes wire;
    EXPECT_EQ(EncodeRaw(c.kind, c.id, b, c.receiver, wire), c.accepted);
  }
}

}  // namespace
