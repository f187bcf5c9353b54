// The client dialog's server messages and scenes from any bytes, on the real client run headless
// (CClientHarness), with a real table server behind it: an opening of a real game (a free
// scene, a deal, a start of play, or the playing scene of a game under way), then arbitrary
// records, records and scenes of the table with bytes changed, the table's own next moves,
// time, clicks, raised cards and users coming and going. What the client sends goes to the
// table. Nothing may crash; a record or scene the client refuses changes nothing at all (the
// whole snapshot of what it keeps and shows); a record of the table is accepted; and after every
// step the client's copy of the table stays within its bounds, its hand and its hand control
// agreeing.
//
// Starting the client costs a tenth of a second or more (the view's resources), so one client
// serves every input: it is reset between inputs, and the reset is checked to give exactly the
// table a fresh start gives.
#include <cstring>
#include <string>
#include <vector>

#include "cardcontrol/CardControl.h"
#include "fuzz_util.h"
#include "headless/HeadlessClient.h"
#include "platform/win/Profile.h"
#include "server/Table.h"
#include "tools/scenario/ClientHarness.h"

namespace {

using scenario::CClientHarness;
using scenario::tagSnapshot;

constexpr uint16_t kRecordSizes[] = {
    sizeof(tagSrvDeal),   sizeof(tagSrvPlayBegin),  sizeof(tagSrvPlay),    sizeof(tagSrvPass),
    sizeof(tagSrvResult), sizeof(tagSrvPassNotice), sizeof(tagSrvAutoPlay)};
static_assert(std::size(kRecordSizes) == std::size(fuzz::kServerIds));

// The one client of the process, started once, with music off (a track is seconds of sound
// decoded at every change: it would only slow the inputs down).
class CClient {
 public:
  CClient() {
    FUZZ_CHECK(m_profile.Ok(), "no temporary profile folder");
    WritePrivateProfileStringA("GameOption", "GameMusic", "0", CProfile::DefaultPath().c_str());
    FUZZ_CHECK(m_harness.Start(), "the client did not start");
    m_fresh = scenario::WithoutRunningValues(m_harness.Snapshot());
  }
  CClientHarness& Harness() { return m_harness; }
  const tagSnapshot& Fresh() const { return m_fresh; }

 private:
  headless::CTemporaryProfile m_profile;
  CClientHarness m_harness;
  tagSnapshot m_fresh;
};

CClient& Client() {
  static CClient* client = new CClient();  // lives as long as the process
  return *client;
}

// The table's messages for the client's chair, kept until they are handed over.
class CChairSink final : public ITableSink {
 public:
  explicit CChairSink(uint16_t chair) : m_chair(chair) {}
  void OnTableMessage(uint16_t chair, uint16_t id, const uint8_t* data, size_t size) override {
    if (chair != m_chair) return;
    m_waiting.push_back({id, std::vector<uint8_t>(data, data + size)});
  }
  struct tagRecord {
    uint16_t id;
    std::vector<uint8_t> bytes;
  };
  std::vector<tagRecord> Take() { return std::exchange(m_waiting, {}); }

 private:
  uint16_t m_chair;
  std::vector<tagRecord> m_waiting;
};

class CRun {
 public:
  CRun(CClientHarness& h, uint8_t opening, uint16_t seed)
      : m_h(h),
        m_me(static_cast<uint16_t>((opening & 3) % SEAT_COUNT)),
        m_watching((opening & fuzz::kOpenWatching) != 0),
        m_sink(m_me),
        m_table(m_sink, Config(seed)) {}

  void Open(uint8_t opening, fuzz::ByteReader& in) {
    CLoopbackLink& link = m_h.Link();
    link.DeliverSelf(m_me, m_watching, (opening & fuzz::kOpenAllowWatchers) != 0);
    tagServerAttribute attribute{};
    attribute.wChairCount = SEAT_COUNT;
    attribute.wServerType = (opening & fuzz::kOpenMatchServer) != 0 ? 4 : 0;
    link.DeliverServerAttribute(attribute);
    static const char* const kNames[SEAT_COUNT] = {"Alice", "\xe7\x8e\xa9\xe5\xae\xb6", "Chen"};
    for (uint16_t c = 0; c < SEAT_COUNT; ++c) {
      tagUserData user{};
      SetUserName(user, kNames[c]);
      user.cbGender = static_cast<BYTE>(1 + (c + m_me) % 2);
      user.wFaceID = c;
      user.wChairID = c;
      user.cbUserStatus = US_SIT;
      link.DeliverUserEnter(user, c, false);
      m_table.Sit(c, true);
    }
    m_h.Pump();

    const uint8_t kind = (opening >> 2) & 3;
    if (kind == fuzz::kOpenPlaying) {
      // A game under way: the table deals and plays a few moves before the client comes in.
      StartGame();
      const int moves = in.Byte() % 24;
      for (int i = 0; i < moves && m_table.Phase() != TablePhase::Free; ++i) TableEvent(false);
      m_sink.Take();
      DeliverScene(STATUS_PLAYING, true);
      return;
    }
    // The others are ready: the client's start begins a game.
    for (uint16_t c = 0; c < SEAT_COUNT; ++c) {
      if (c != m_me) m_table.SetReady(c, Now());
    }
    DeliverScene(STATUS_FREE, true);
    if (kind >= fuzz::kOpenDeal) {
      m_table.SetReady(m_me, Now());
      DeliverTable();
    }
    if (kind >= fuzz::kOpenBegin) TableEvent(true);
  }

  void Step(fuzz::ByteReader& in) {
    const uint8_t op = in.Byte();
    const uint8_t operand = op >> 4;
    switch ((op & 0x0F) % fuzz::kClientOps) {
      case fuzz::kClientTable:
        TableEvent(true);
        break;
      case fuzz::kClientRecord:
        RawRecord(in);
        break;
      case fuzz::kClientMutate:
        MutatedRecord(in);
        break;
      case fuzz::kClientScene:
        MutatedScene(in);
        break;
      case fuzz::kClientWait:
        m_h.AdvanceByEvents(in.U16());
        break;
      case fuzz::kClientClick:
        m_h.Click(fuzz::kClientButtons[operand % std::size(fuzz::kClientButtons)]);
        break;
      case fuzz::kClientRaise:
        Raise(in);
        break;
      case fuzz::kClientUser:
        User(operand, in);
        break;
      default:
        break;
    }
    Settle();
  }

 private:
  static tagTableConfig Config(uint16_t seed) {
    tagTableConfig config;
    config.seed = seed;
    config.baseScore = 1 + seed % 7;
    return config;
  }

  uint64_t Now() { return m_h.Now(); }

  void StartGame() {
    for (uint16_t c = 0; c < SEAT_COUNT; ++c) m_table.SetReady(c, Now());
  }

  // The table's next deadline: the client's time runs to it, then the table acts.
  void TableEvent(bool deliver) {
    const uint64_t next = m_table.NextDeadline();
    if (next == NO_DEADLINE) return;
    if (next > Now()) m_h.AdvanceByEvents(next - Now());
    if (m_h.Closed()) return;
    m_table.Tick(Now());
    if (deliver) DeliverTable();
  }

  // What the table sent the client's chair, as the table sent it: always accepted.
  void DeliverTable() {
    for (const CChairSink::tagRecord& r : m_sink.Take()) {
      Keep(r.id, r.bytes);
      const bool accepted = Message(r.id, r.bytes);
      FUZZ_CHECK(accepted, "the client refused record %u of %zu bytes from the table", r.id,
                 r.bytes.size());
      if (m_h.Closed()) return;
    }
  }

  void Keep(uint16_t id, const std::vector<uint8_t>& bytes) {
    for (size_t i = 0; i < std::size(fuzz::kServerIds); ++i) {
      if (fuzz::kServerIds[i] == id) m_last[i] = bytes;
    }
  }

  // One record to the client's server-message operation, held to its promises.
  bool Message(uint16_t id, const std::vector<uint8_t>& bytes) {
    // A buffer of exactly the record's size, so that a read past it is caught.
    std::vector<uint8_t> exact(bytes);
    const tagSnapshot before = m_h.Snapshot();
    const bool accepted = m_h.Dialog().OnServerMessage(id, exact.empty() ? nullptr : exact.data(),
                                                       static_cast<WORD>(exact.size()));
    Judge(accepted, before,
          "record " + std::to_string(id) + " of " + std::to_string(bytes.size()) + " bytes");
    return accepted;
  }

  bool Scene(uint8_t status, const std::vector<uint8_t>& bytes) {
    std::vector<uint8_t> exact(bytes);
    const tagSnapshot before = m_h.Snapshot();
    const bool accepted =
        m_h.Dialog().OnSceneRestore(status, m_watching, exact.empty() ? nullptr : exact.data(),
                                    static_cast<WORD>(exact.size()));
    Judge(accepted, before,
          "scene " + std::to_string(status) + " of " + std::to_string(bytes.size()) + " bytes");
    return accepted;
  }

  void Judge(bool accepted, const tagSnapshot& before, const std::string& what) {
    if (!accepted) {
      const tagSnapshot after = m_h.Snapshot();
      FUZZ_CHECK(before == after, "the refused %s changed:\n%s", what.c_str(),
                 scenario::DescribeDifference(before, after).c_str());
    }
    m_h.Pump();
    CheckConsistent(what);
  }

  // The scene the table builds for the client's chair now.
  void DeliverScene(uint8_t status, bool mustAccept) {
    std::vector<uint8_t> bytes;
    if (!TableScene(status, bytes)) return;
    const bool accepted = Scene(status, bytes);
    FUZZ_CHECK(!mustAccept || accepted, "the client refused the table's scene %u", status);
  }

  bool TableScene(uint8_t& status, std::vector<uint8_t>& bytes) {
    uint8_t buffer[sizeof(tagScenePlaying)];
    size_t size = 0;
    uint8_t built = 0;
    if (!m_table.BuildScene(m_me, built, buffer, sizeof(buffer), size)) return false;
    if (built != status && status != STATUS_STARTED) {
      // Another status than the table's: a record of the size that status wants, of nothing.
      size = status == STATUS_FREE ? sizeof(tagSceneFree) : sizeof(tagScenePlaying);
      std::memset(buffer, 0, sizeof(buffer));
    }
    bytes.assign(buffer, buffer + size);
    return true;
  }

  uint16_t PickId(uint8_t pick, size_t& index) const {
    index = pick % std::size(fuzz::kServerIds);
    if (pick < fuzz::kPickKnown) return fuzz::kServerIds[index];
    index = std::size(fuzz::kServerIds);
    return static_cast<uint16_t>(pick - fuzz::kPickKnown + fuzz::kServerRawBase);
  }

  void RawRecord(fuzz::ByteReader& in) {
    size_t index = 0;
    const uint16_t id = PickId(in.Byte(), index);
    size_t got = 0;
    const uint8_t* bytes = in.Take(in.Byte(), got);
    Message(id, std::vector<uint8_t>(bytes, bytes + got));
  }

  static void Mutate(std::vector<uint8_t>& bytes, fuzz::ByteReader& in) {
    const uint8_t changes = in.Byte() % 16;
    for (uint8_t i = 0; i < changes; ++i) {
      const uint8_t at = in.Byte();
      const uint8_t value = in.Byte();
      if (!bytes.empty()) bytes[at % bytes.size()] = value;
    }
  }

  void MutatedRecord(fuzz::ByteReader& in) {
    size_t index = 0;
    const uint16_t id = PickId(in.Byte(), index);
    std::vector<uint8_t> bytes;
    if (index < std::size(fuzz::kServerIds)) {
      bytes = m_last[index];
      if (bytes.empty()) bytes.assign(kRecordSizes[index], 0);
    }
    Mutate(bytes, in);
    Message(id, bytes);
  }

  void MutatedScene(fuzz::ByteReader& in) {
    const uint8_t pick = in.Byte();
    uint8_t status = pick < fuzz::kPickKnown
                         ? fuzz::kStatuses[pick % std::size(fuzz::kStatuses)]
                         : static_cast<uint8_t>(pick - fuzz::kPickKnown + fuzz::kSceneRawBase);
    std::vector<uint8_t> bytes;
    if (!TableScene(status, bytes)) bytes.assign(sizeof(tagScenePlaying), 0);
    Mutate(bytes, in);
    Scene(status, bytes);
  }

  void Raise(fuzz::ByteReader& in) {
    const uint32_t mask = in.U16() | uint32_t{in.U16()} << 16;
    CardControl* hand = m_h.View().m_pHandCard[LOCAL_SEAT].get();
    if (hand == nullptr) return;
    BYTE cards[MAX_CARDS];
    size_t count = 0;
    for (DWORD i = 0; i < hand->GetCardCount() && i < 32 && count < MAX_CARDS; ++i) {
      if (mask >> i & 1) cards[count++] = hand->GetItem(i)->bCardData;
    }
    m_h.Raise(cards, count);
  }

  // The lobby's users: names of any bytes, any gender, portrait and status.
  void User(uint8_t operand, fuzz::ByteReader& in) {
    const WORD chair = operand % SEAT_COUNT;
    const uint8_t kind = operand / SEAT_COUNT % 4;
    CLoopbackLink& link = m_h.Link();
    if (kind == 1) {
      link.DeliverUserLeave(chair);
    } else {
      tagUserData user{};
      user.cbGender = in.Byte();
      user.wFaceID = in.U16();
      user.cbUserStatus = in.Byte();
      user.wChairID = chair;
      size_t got = 0;
      const uint8_t* name = in.Take(USER_NAME_SIZE, got);
      std::memcpy(user.szName, name, got);
      if (kind == 0) link.DeliverUserEnter(user, chair);
      if (kind == 2) link.DeliverUserStatus(user, chair);
      if (kind == 3) link.DeliverUserScore(user, chair);
    }
    m_h.Pump();
    CheckConsistent("a user event");
  }

  // What the client sent goes to the table, and what the table answered comes back; the table
  // acts on anything due by now.
  void Settle() {
    for (int round = 0; round < 4 && !m_h.Closed(); ++round) {
      const auto& sent = m_h.Link().Sent();
      const bool nothingSent = m_forwarded == sent.size();
      for (; m_forwarded < sent.size(); ++m_forwarded) {
        const CLoopbackLink::tagSent& m = sent[m_forwarded];
        if (m.kind == CLoopbackLink::SentKind::UserReady) m_table.SetReady(m_me, Now());
        if (m.kind == CLoopbackLink::SentKind::GameData) {
          m_table.OnClientMessage(m_me, m.id, m.data.empty() ? nullptr : m.data.data(),
                                  m.data.size(), Now());
        }
      }
      if (m_table.NextDeadline() <= Now()) m_table.Tick(Now());
      DeliverTable();
      if (nothingSent) break;
    }
  }

  // The client's copy of the table within its bounds, and its hand where its hand control is.
  void CheckConsistent(const std::string& after) {
    if (m_h.Closed()) return;
    const tagClientState& s = m_h.Dialog().GetState();
    const CGameClientView& view = m_h.View();
    const char* at = after.c_str();
    FUZZ_CHECK(s.handCount <= MAX_CARDS, "a hand of %u cards after %s", s.handCount, at);
    FUZZ_CHECK(s.pendingCount <= MAX_CARDS - s.handCount,
               "%u cards held and %u on their way after %s", s.handCount, s.pendingCount, at);
    for (BYTE i = 0; i < s.handCount; ++i) {
      FUZZ_CHECK(IsValidCard(s.hand[i]), "the hand holds byte %02X after %s", s.hand[i], at);
    }
    FUZZ_CHECK(s.turnCount <= MAX_CARDS, "a play of %u cards to beat after %s", s.turnCount, at);
    for (WORD c = 0; c < SEAT_COUNT; ++c) {
      FUZZ_CHECK(s.cardCount[c] <= MAX_CARDS, "chair %u holds %u cards after %s", c, s.cardCount[c],
                 at);
    }
    FUZZ_CHECK(view.m_cbLeftCardCount <= DECK_SIZE, "a pile of %u after %s", view.m_cbLeftCardCount,
               at);
    for (WORD seat = 0; seat < VIEW_SEAT_COUNT; ++seat) {
      FUZZ_CHECK(view.m_cbCardCount[seat] <= MAX_CARDS, "seat %u shows a count of %u after %s",
                 seat, view.m_cbCardCount[seat], at);
      for (const CardControl* c : {view.m_pHandCard[seat].get(), view.m_pOutCard[seat].get()}) {
        FUZZ_CHECK(c->GetCardCount() <= MAX_CARDS,
                   "a card control of seat %u holds %u cards after %s", seat, c->GetCardCount(),
                   at);
      }
    }
    // In play, once the deal is over, the local hand control shows the hand of the chair (a
    // chair that takes no part in the game is dealt nothing to show).
    const bool dealing = s.leftToDeal > 0 || m_h.Dialog().IsTimerRunning(TIMER_DEAL);
    if (view.m_cbGameRunning == 1 && !dealing && s.playing[m_me] != 0) {
      const DWORD shown = view.m_pHandCard[LOCAL_SEAT]->GetCardCount();
      FUZZ_CHECK(shown == s.handCount, "the hand control shows %u cards of a hand of %u after %s",
                 shown, s.handCount, at);
    }
  }

  CClientHarness& m_h;
  uint16_t m_me;
  bool m_watching;
  CChairSink m_sink;
  CTable m_table;
  size_t m_forwarded = 0;
  std::vector<uint8_t> m_last[std::size(fuzz::kServerIds)];
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CClient& client = Client();
  CClientHarness& h = client.Harness();
  FUZZ_CHECK(h.Reset(), "the client could not be reset");
  const tagSnapshot reset = scenario::WithoutRunningValues(h.Snapshot());
  FUZZ_CHECK(reset == client.Fresh(), "the reset client is not the fresh one:\n%s",
             scenario::DescribeDifference(client.Fresh(), reset).c_str());

  fuzz::ByteReader in(data, size);
  const uint8_t opening = in.Byte();
  const uint16_t seed = in.U16();
  CRun run(h, opening, seed);
  run.Open(opening, in);
  while (!in.Empty() && !h.Closed()) run.Step(in);
  return 0;
}
