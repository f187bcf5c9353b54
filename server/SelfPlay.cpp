#include "server/SelfPlay.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <ostream>
#include <sstream>

#include "server/TableHost.h"

namespace {

bool SameCards(const uint8_t* a, const uint8_t* b, uint8_t count) {
  return std::memcmp(a, b, count) == 0;
}

// Watches every delivered message: records decode, cards are conserved, each chair's view
// built from its messages equals the table, and a scene rebuilds that view.
class CSelfPlayWatch final : public ITableObserver {
 public:
  CSelfPlayWatch(const CTableHost& host, bool check, tagSelfPlaySummary& summary)
      : m_host(host), m_check(check), m_summary(summary) {
    for (uint16_t c = 0; c < SEAT_COUNT; ++c) m_views[c] = CChairView(c);
  }

  void OnDelivered(uint16_t chair, uint16_t id, const uint8_t* data, size_t size) override {
    ++m_summary.messages;
    const CTable& table = m_host.Table();
    if (id == SRV_RESULT && chair == 0) RecordGame(table, data, size);
    if (!m_check) return;

    tagServerMessage decoded;
    if (!DecodeServerMessage(id, data, size, chair, decoded)) {
      Violation("a record of id " + std::to_string(id) + " does not decode");
      return;
    }
    CChairView& view = m_views[chair];
    if (!view.ApplyMessage(id, data, size)) Violation("the view refused a record");
    CheckCards(table);
    CheckView(table, view, "view of chair " + std::to_string(chair));
    CheckScene(table, chair, view);
  }

 private:
  void RecordGame(const CTable& table, const uint8_t* data, size_t size) {
    const tagGameStats& s = table.Stats();
    tagSrvResult result;
    if (DecodeSrvResult(data, size, result) && result.spring == 1) ++m_summary.springs;
    ++m_summary.games;
    m_summary.tricks += s.tricks;
    m_summary.turns += s.turns;
    if (s.winner < SEAT_COUNT) ++m_summary.wins[s.winner];
    for (uint16_t c = 0; c < SEAT_COUNT; ++c) m_summary.gold[c] = table.Gold(c);
    m_summary.multipleSum += s.multiple;
    m_summary.multipleMax = std::max<uint32_t>(m_summary.multipleMax, s.multiple);
    if (s.multiple > 1) ++m_summary.multipliedGames;
  }

  void Violation(const std::string& what) {
    if (m_summary.violations++ == 0) {
      std::ostringstream where;
      where << what << " (game " << m_host.Table().GamesPlayed() << ", message "
            << m_summary.messages << ")";
      m_summary.firstViolation = where.str();
    }
  }

  // Every card of the deck is in exactly one hand, the pile or the played cards.
  void CheckCards(const CTable& table) {
    if (table.Phase() == TablePhase::Free && table.GamesPlayed() == 0) return;
    if (!table.HoldsEveryCardOnce()) Violation("the 54 cards are not all there exactly once");
  }

  void CheckView(const CTable& table, const CChairView& view, const std::string& who) {
    const uint16_t me = view.Me();
    if (view.HandCount() != table.HandCount(me) ||
        !SameCards(view.Hand(), table.Hand(me), view.HandCount())) {
      Violation(who + ": hand differs");
    }
    for (uint16_t c = 0; c < SEAT_COUNT; ++c) {
      if (view.CardCount(c) != table.HandCount(c)) Violation(who + ": card count differs");
      if (view.Trustee(c) != table.Trustee(c)) Violation(who + ": trustee flag differs");
    }
    if (view.Current() != table.Current()) Violation(who + ": current chair differs");
    if (view.Phase() == ViewPhase::Playing) {
      if (view.Pile() != table.PileCount()) Violation(who + ": pile differs");
      if (view.SingleJokerRule() != table.SingleJokerRule()) {
        Violation(who + ": single-joker rule differs");
      }
      if (view.Banker() != table.Banker()) Violation(who + ": banker differs");
    }
    const tagTurn& a = view.Turn();
    const tagTurn& b = table.Turn();
    if (a.count != b.count || !SameCards(a.cards, b.cards, a.count) ||
        !SameCards(a.resolved, b.resolved, a.count) ||
        (a.count > 0 && view.TurnChair() != table.TurnChair())) {
      Violation(who + ": play to beat differs");
    }
  }

  void CheckScene(const CTable& table, uint16_t chair, const CChairView& live) {
    if (table.Phase() == TablePhase::Free) return;
    uint8_t status = 0;
    uint8_t buffer[sizeof(tagScenePlaying)];
    size_t size = 0;
    if (!table.BuildScene(chair, status, buffer, sizeof(buffer), size)) {
      Violation("no scene could be built");
      return;
    }
    CChairView restored(chair);
    if (!restored.ApplyScene(status, buffer, size)) {
      Violation("the scene does not decode");
      return;
    }
    if (live.Phase() != ViewPhase::Playing) return;  // a deal carries no pile yet
    CheckView(table, restored, "scene of chair " + std::to_string(chair));
    if (restored.Multiple() != live.Multiple()) Violation("scene: multiple differs");
  }

  const CTableHost& m_host;
  bool m_check;
  tagSelfPlaySummary& m_summary;
  CChairView m_views[SEAT_COUNT];
};

}  // namespace

bool RunSelfPlay(const tagSelfPlayOptions& options, tagSelfPlaySummary& summary) {
  summary = tagSelfPlaySummary{};
  tagHostConfig config;
  config.table.seed = options.seed;
  CTableHost host(config);
  for (uint16_t c = 0; c < SEAT_COUNT; ++c) {
    if (!host.SeatBot(c, options.bots[c])) return false;
  }
  CSelfPlayWatch watch(host, options.check, summary);
  host.SetObserver(&watch);

  const auto start = std::chrono::steady_clock::now();
  bool ok = true;
  // One event at a time, so that no game starts after the last one counted.
  while (summary.games < options.games) {
    if (!host.Step()) {  // nothing left to happen: the table is stuck
      ok = false;
      summary.firstViolation = "the table stalled";
      ++summary.violations;
      break;
    }
  }
  summary.seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  summary.botRefusals = host.BotRefusals();
  return ok;
}

void PrintSelfPlaySummary(const tagSelfPlayOptions& options, const tagSelfPlaySummary& s,
                          std::ostream& out) {
  const double games = s.games > 0 ? s.games : 1;
  out << "self-play: " << s.games << " games, seed " << options.seed << ", bots "
      << options.bots[0] << "," << options.bots[1] << "," << options.bots[2]
      << (options.check ? ", checked" : "") << "\n";
  out << "  tricks per game " << s.tricks / games << ", turns per game " << s.turns / games
      << "\n";
  for (int c = 0; c < 3; ++c) {
    out << "  chair " << c << " (" << options.bots[c] << "): wins " << s.wins[c] << " ("
        << 100.0 * s.wins[c] / games << "%), gold " << s.gold[c] << "\n";
  }
  out << "  multiple: mean " << s.multipleSum / games << ", max " << s.multipleMax
      << ", games with a bomb or rocket " << s.multipliedGames << ", springs " << s.springs
      << "\n";
  out << "  " << s.messages << " messages, " << s.games / (s.seconds > 0 ? s.seconds : 1e-9)
      << " games per second\n";
  out << "  bot moves refused: " << s.botRefusals << "\n";
  if (options.check) out << "  violations: " << s.violations << "\n";
  if (!s.firstViolation.empty()) out << "  first: " << s.firstViolation << "\n";
}
