#include "server/SelfPlay.h"

#include <algorithm>
#include <chrono>
#include <ostream>

#include "server/TableAudit.h"
#include "server/TableHost.h"

namespace {

// Counts every game for the summary and, when checking, hands every delivered message to the
// table's audit.
class CSelfPlayWatch final : public ITableObserver {
 public:
  CSelfPlayWatch(const CTableHost& host, const tagSelfPlayOptions& options,
                 tagSelfPlaySummary& summary)
      : m_host(host),
        m_check(options.check),
        m_onGame(options.onGame),
        m_summary(summary),
        m_audit(host.Table()) {}

  void OnDelivered(uint16_t chair, uint16_t id, const uint8_t* data, size_t size) override {
    ++m_summary.messages;
    if (id == SRV_RESULT && chair == 0) RecordGame(m_host.Table(), data, size);
    if (!m_check) return;
    m_audit.OnMessage(chair, id, data, size);
    m_summary.violations = m_audit.Violations();
    m_summary.firstViolation = m_audit.FirstViolation();
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
    if (m_onGame) m_onGame(s);
  }

  const CTableHost& m_host;
  bool m_check;
  const std::function<void(const tagGameStats&)>& m_onGame;
  tagSelfPlaySummary& m_summary;
  CTableAudit m_audit;
};

}  // namespace

bool RunSelfPlay(const tagSelfPlayOptions& options, tagSelfPlaySummary& summary) {
  summary = tagSelfPlaySummary{};
  tagHostConfig config;
  config.table.seed = options.seed;
  CTableHost host(config);
  for (uint16_t c = 0; c < SEAT_COUNT; ++c) {
    const bool seated =
        options.makeBot ? host.SeatBot(c, options.makeBot(c)) : host.SeatBot(c, options.bots[c]);
    if (!seated) return false;
  }
  CSelfPlayWatch watch(host, options, summary);
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
  summary.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  summary.botRefusals = host.BotRefusals();
  return ok;
}

void PrintSelfPlaySummary(const tagSelfPlayOptions& options, const tagSelfPlaySummary& s,
                          std::ostream& out) {
  const double games = s.games > 0 ? s.games : 1;
  out << "self-play: " << s.games << " games, seed " << options.seed << ", bots " << options.bots[0]
      << "," << options.bots[1] << "," << options.bots[2] << (options.check ? ", checked" : "")
      << "\n";
  out << "  tricks per game " << s.tricks / games << ", turns per game " << s.turns / games << "\n";
  for (int c = 0; c < 3; ++c) {
    out << "  chair " << c << " (" << options.bots[c] << "): wins " << s.wins[c] << " ("
        << 100.0 * s.wins[c] / games << "%), gold " << s.gold[c] << "\n";
  }
  out << "  multiple: mean " << s.multipleSum / games << ", max " << s.multipleMax
      << ", games with a bomb or rocket " << s.multipliedGames << ", springs " << s.springs << "\n";
  out << "  " << s.messages << " messages, " << s.games / (s.seconds > 0 ? s.seconds : 1e-9)
      << " games per second\n";
  out << "  bot moves refused: " << s.botRefusals << "\n";
  if (options.check) out << "  violations: " << s.violations << "\n";
  if (!s.firstViolation.empty()) out << "  first: " << s.firstViolation << "\n";
}
