// Protocol records: sizes, round trips, and the refusals of the decoders and encoders.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <type_traits>
#include <vector>

#include "protocol/Protocol.h"

namespace {

using Bytes = std::vector<uint8_t>;
constexpr uint16_t ME = 1;  // the receiving chair of every sample
enum Kind { Server, Scene, Client };

template <class T>
Bytes Raw(const T& record) {
  const auto* p = reinterpret_cast<const uint8_t*>(&record);
  return Bytes(p, p + sizeof record);
}

template <class T, size_t N>  // the first values of an array field
void Set(T (&field)[N], std::initializer_list<std::type_identity_t<T>> values) {
  std::copy(values.begin(), values.end(), field);
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
  // Fixed fields travel as they lie; the 64-bit values and the counted lists are what to fill.
  tagSrvResult result{};
  Set(result.score, {-200, 100, 100});
  Set(result.leftCount, {3, 0, 2});
  Set(result.leftCards, {0x01, 0x11, 0x4E, 0x3D, 0x2C});
  tagScenePlaying playing{};
  playing.lastPlayChair = 2;
  playing.turnCount = 2;
  playing.pileCount = 30;
  playing.baseScore = 0x100000002LL;
  Set(playing.hand, {0x07, 0x18, 0x29});
  Set(playing.cardCount, {4, 3, 5});
  Set(playing.turnCards, {0x4F, 0x09});
  Set(playing.turnResolved, {0x39, 0x09});
  return {
      {"SRV_DEAL", Server, SRV_DEAL, Raw(deal), 132},
      {"SRV_PLAY_BEGIN", Server, SRV_PLAY_BEGIN, Raw(begin), 96},
      {"SRV_PLAY", Server, SRV_PLAY, Raw(play), 39},
      {"SRV_PASS", Server, SRV_PASS, Raw(pass), 38},
      {"SRV_RESULT", Server, SRV_RESULT, Raw(result), 200},
      {"SRV_PASS_NOTICE", Server, SRV_PASS_NOTICE, Raw(tagSrvPassNotice{20, {5, 5, 5}, 0, ME}), 8},
      {"SRV_AUTO_PLAY", Server, SRV_AUTO_PLAY, Raw(tagSrvAutoPlay{2, 1, 0}), 4},
      {"STATUS_FREE", Scene, STATUS_FREE, Raw(tagSceneFree{-50, 0, 15, {}, 2, {}}), 72},
      {"STATUS_PLAYING", Scene, STATUS_PLAYING, Raw(playing), 232},
      {"CLI_PLAY", Client, CLI_PLAY, Raw(tagCliPlay{4, {0x03, 0x13, 0x23, 0x33}}), 5},
      {"CLI_PASS", Client, CLI_PASS, {}, 0},
      {"CLI_AUTO_PLAY", Client, CLI_AUTO_PLAY, Raw(tagCliAutoPlay{ME, 1, 0}), 4},
      {"CLI_CHANGE_TABLE", Client, CLI_CHANGE_TABLE, Raw(tagCliChangeTable{2}), 2},
  };
}

// Raw record bytes are laid over the record area of a message or scene and encoded.
bool EncodeRaw(Kind kind, uint16_t id, const Bytes& raw, uint16_t receiver, Bytes& wire) {
  uint8_t buffer[512];
  size_t written = 0;
  auto fill = [&](auto& holder, void* record) {
    std::memset(&holder, 0, sizeof holder);
    const size_t room =
        sizeof holder - (static_cast<uint8_t*>(record) - reinterpret_cast<uint8_t*>(&holder));
    if (!raw.empty()) std::memcpy(record, raw.data(), std::min(raw.size(), room));
  };
  tagServerMessage m;
  tagScene s;
  tagClientMessage c;
  bool ok = false;
  if (kind == Server) {
    fill(m, &m.deal);
    m.id = id;
    ok = EncodeServerMessage(m, receiver, buffer, sizeof buffer, written);
  } else if (kind == Scene) {
    fill(s, &s.playing);
    s.status = static_cast<uint8_t>(id);
    ok = EncodeScene(s, receiver, buffer, sizeof buffer, written);
  } else {
    fill(c, &c.play);
    c.id = id;
    ok = EncodeClientMessage(c, buffer, sizeof buffer, written);
  }
  wire.assign(buffer, buffer + (ok ? written : 0));
  return ok;
}

// Decodes through the single entries; the decoded record's first bytes go to *record.
bool Decode(Kind kind, uint16_t id, const uint8_t* data, size_t size, uint16_t receiver = ME,
            Bytes* record = nullptr) {
  tagServerMessage m;
  tagScene s;
  tagClientMessage c;
  const bool ok = kind == Server  ? DecodeServerMessage(id, data, size, receiver, m)
                  : kind == Scene ? DecodeScene(static_cast<uint8_t>(id), data, size, receiver, s)
                                  : DecodeClientMessage(id, data, size, c);
  const auto* p = kind == Server  ? reinterpret_cast<const uint8_t*>(&m.deal)
                  : kind == Scene ? reinterpret_cast<const uint8_t*>(&s.playing)
                                  : reinterpret_cast<const uint8_t*>(&c.play);
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
    EXPECT_TRUE(wire.empty() || !Decode(s.kind, s.id, wire.data(), wire.size() - 1));
  }
}

// A play's padding means nothing; a small buffer gets nothing; a refused record leaves the
// output alone.
TEST(ProtocolSizes, PaddingSmallBuffersAndRefusals) {
  Bytes play = Wire(Server, SRV_PLAY);  // count 2, 39 bytes, pad 0 at the end
  play[38] = 0x99;
  Bytes record(sizeof(tagSrvPlay));
  EXPECT_TRUE(Decode(Server, SRV_PLAY, play.data(), 39, ME, &record));
  EXPECT_EQ(record, Samples()[2].raw);
  tagSrvPlay decoded;
  ASSERT_TRUE(DecodeSrvPlay(play.data(), play.size(), decoded));
  uint8_t buffer[64];
  EXPECT_EQ(EncodeSrvPlay(decoded, buffer, 38), 0u);
  EXPECT_EQ(EncodeSrvPlay(decoded, nullptr, 39), 0u);
  play[4] = 7;  // out chair 7
  tagServerMessage message{};
  message.id = 0x1234;
  EXPECT_FALSE(DecodeServerMessage(SRV_PLAY, play.data(), play.size(), ME, message));
  EXPECT_EQ(message.id, 0x1234);
  EXPECT_TRUE(message.play == tagSrvPlay{});
}

TEST(ProtocolSizes, UnknownIdsAndStatusesRefused) {
  const uint8_t any[256] = {};
  for (uint16_t id : {0, 1, 6, 99, 101, 106, 107, 108, 110, 115, 117, 0xFFFF}) {
    EXPECT_FALSE(Decode(Server, id, any, 4) || Decode(Server, id, any, 132)) << id;
  }
  for (uint16_t id : {0, 1, 6, 8, 100}) EXPECT_FALSE(Decode(Client, id, any, 2)) << id;
  for (uint8_t status : {1, 99, 102, 255}) EXPECT_FALSE(Decode(Scene, status, any, 72));
  for (size_t size : {0, 1, 232, 256}) EXPECT_TRUE(Decode(Scene, STATUS_STARTED, any, size));
  EXPECT_TRUE(Decode(Scene, STATUS_STARTED, nullptr, 0));  // no record is read
}

TEST(ProtocolWire, SixtyFourBitValuesAreLowWordThenHighWord) {
  const Bytes begin = Wire(Server, SRV_PLAY_BEGIN);  // base score -3
  EXPECT_EQ(Bytes(begin.begin() + 80, begin.begin() + 88),
            Bytes({0xFD, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
  const Bytes scene = Wire(Scene, STATUS_PLAYING);  // base score 2 + 2^32
  EXPECT_EQ(Bytes(scene.begin() + 216, scene.begin() + 224), Bytes({2, 0, 0, 0, 1, 0, 0, 0}));
}

// A valid record with bytes changed, accepted or refused alike by decoder and encoder.
TEST(ProtocolFields, DecoderAndEncoderAgreeOnEveryCheck) {
  const struct {
    const char* name;
    Kind kind;
    uint16_t id;
    const char* patch;  // "offset=value ..." over the sample's wire bytes
    bool accepted;
    uint16_t receiver = ME;
    size_t resize = 0;  // new wire size (extra bytes are the card 0x01), 0 = unchanged
    std::pair<size_t, size_t> fill = {0, 0};  // bytes set to the card 0x01 before the patch
  } cases[] = {
      // Chairs: a chair, or no chair where none may be.
      {"deal banker 3", Server, SRV_DEAL, "0=3", false},
      {"begin current none", Server, SRV_PLAY_BEGIN, "2=0xFF 3=0xFF", false},
      {"play current none", Server, SRV_PLAY, "2=0xFF 3=0xFF", true},
      {"scene no last play, no clock", Scene, STATUS_PLAYING, "28=255 29=255 30=255 31=255", true},
      {"cli change table chair 3", Client, CLI_CHANGE_TABLE, "0=3", false},
      // Counts: at most 27 cards a list, at most 54 in the hands and the pile together.
      {"deal hand 28 in 81 bytes", Server, SRV_DEAL, "85=28", false, ME, 0, {4, 85}},
      {"play count 0", Server, SRV_PLAY, "0=0", false, ME, 37},
      {"play count 27", Server, SRV_PLAY, "0=27", true, ME, 64, {6, 64}},
      {"play count 28", Server, SRV_PLAY, "0=28", false, ME, 65},
      {"cli play count 28", Client, CLI_PLAY, "0=28", false, ME, 29},
      {"result left 27 + 0 + 2", Server, SRV_RESULT, "140=27", true, ME, 0, {143, 197}},
      {"scene turn count 28", Scene, STATUS_PLAYING, "100=28", false, ME, 0, {101, 159}},
      {"deal counts sum 55", Server, SRV_DEAL, "125=27 126=27 127=1", false},  // hands 16
      {"begin hands and pile 55", Server, SRV_PLAY_BEGIN, "32=39", false},     // + pile 38
      {"notice hands and pile 54", Server, SRV_PASS_NOTICE, "0=39", true},     // 15 + 20
      {"notice hands and pile 55", Server, SRV_PASS_NOTICE, "0=40", false},
      // Cards: every byte within a count is a card; bytes past it mean nothing.
      {"deal hand card 0", Server, SRV_DEAL, "4=0", false},
      {"play resolved card 0", Server, SRV_PLAY, "37=0", false},
      {"result last left card 0x3E", Server, SRV_RESULT, "147=0x3E", false},
      {"scene resolved card 0x4C", Scene, STATUS_PLAYING, "131=0x4C", false},
      {"cli play card 0x0F", Client, CLI_PLAY, "4=0x0F", false},
      {"play garbage beyond count", Server, SRV_PLAY, "8=0xEE 32=0xEE", true},
      {"result garbage beyond left", Server, SRV_RESULT, "148=0xEE 196=0xFF", true},
      {"scene no turn, garbage turn cards", Scene, STATUS_PLAYING, "100=0 101=0xEE 131=0xEE", true},
      // A pass (new turn, my 4 cards, hands 14 + pile 30) carries the receiver's hand.
      {"pass my card 0xFF", Server, SRV_PASS, "12=0xFF", false},
      {"pass other receiver reads 5 cards", Server, SRV_PASS, "", false, 0},
      {"pass new turn without receiver", Server, SRV_PASS, "", false, NO_CHAIR},
      {"pass no new turn: no hand", Server, SRV_PASS, "0=0 9=0xFF 36=200", true, NO_CHAIR},
      {"pass flag 2 is no new turn", Server, SRV_PASS, "0=2 9=0", true},
      {"scene without receiver", Scene, STATUS_PLAYING, "", false, NO_CHAIR},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes b = Wire(c.kind, c.id);
    if (c.resize != 0) b.resize(c.resize, 0x01);
    std::fill(b.begin() + c.fill.first, b.begin() + c.fill.second, 0x01);
    for (char* at = const_cast<char*>(c.patch); *at != '\0';) {
      const unsigned long offset = std::strtoul(at, &at, 10);
      b.at(offset) = static_cast<uint8_t>(std::strtoul(at + 1, &at, 0));
    }
    EXPECT_EQ(Decode(c.kind, c.id, b.data(), b.size(), c.receiver), c.accepted);
    Bytes wire;
    EXPECT_EQ(EncodeRaw(c.kind, c.id, b, c.receiver, wire), c.accepted);
  }
}

}  // namespace
