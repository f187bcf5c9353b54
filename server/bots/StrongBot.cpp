// The "strong" bot level (see StrongBot.h): determinized deals of the hidden cards, each
// candidate move played out to the end of the game by the normal level's policy at every chair,
// the move with the best mean gold chosen.
#include "server/bots/StrongBot.h"

#include <time.h>

#include <cstring>

#include "server/Random.h"
#include "server/TableRules.h"
#include "server/bots/NormalBot.h"

namespace {

constexpr uint8_t kMaxCandidates = 16;  // plays weighed, passing besides
// A game played out ends long before this many moves (each trick ends in draws or shrinks a
// hand); the bound only keeps a fault from spinning.
constexpr int kMaxRolloutMoves = 600;

uint16_t NextOf(uint16_t chair) { return static_cast<uint16_t>((chair + 1) % SEAT_COUNT); }

// One deal of the whole table as the bot imagines it, played out by the table's own rules.
struct tagWorld {
  uint8_t hand[SEAT_COUNT][MAX_CARDS];  // sorted by rank
  uint8_t count[SEAT_COUNT];
  uint8_t pile[DECK_SIZE];  // the next card drawn is pile[0]
  uint8_t pileCount;
  tagTurn turn;
  uint16_t turnChair;
  uint16_t current;
  uint8_t singleJokerRule;
  uint8_t hasPlayed[SEAT_COUNT];
  uint32_t multiple;
  uint16_t winner;  // NO_CHAIR while the game runs
};

class CStrongBotOf final : public CStrongBot {
 public:
  explicit CStrongBotOf(const tagStrongConfig& config)
      : m_config(config), m_policy(MakeNormalPolicy()) {
    if (m_config.candidates > kMaxCandidates) m_config.candidates = kMaxCandidates;
    if (m_config.candidates == 0) m_config.candidates = 1;
  }

  const char* Level() const override { return "strong"; }
  bool ThinksLong() const override { return true; }
  const tagStrongStats& LastDecision() const override { return m_stats; }

  tagBotAction Decide(const CChairView& view) override {
    m_stats = tagStrongStats{};
    const uint16_t me = view.Me();
    const bool leading = view.Turn().count == 0;
    const tagBotTable table = BotTableOf(view);
    if (me >= SEAT_COUNT) return m_policy->Choose(table);

    // The candidates: the normal level's best plays, and passing when following.
    m_candidateCount = m_policy->Rank(table, m_ranked, m_config.candidates);
    for (uint8_t i = 0; i < m_candidateCount; ++i) {
      m_moves[i] = m_ranked[i].move;
      if (m_moves[i].count == table.handCount) return m_moves[i];  // goes out
    }
    if (!leading) m_moves[m_candidateCount++] = PassMove();
    if (m_candidateCount == 0) return m_policy->Choose(table);  // nothing legal: its fallback
    if (m_candidateCount == 1) return m_moves[0];

    if (!CollectHidden(view)) return m_policy->Choose(table);
    m_stats.candidates = m_candidateCount;
    CRandom random(m_config.seed ^ HashView(view));
    Search(view, random);
    // The best mean gold; ties go to the earlier candidate (the normal level's preference,
    // passing last).
    uint8_t best = m_alive[0];
    for (uint8_t k = 1; k < m_aliveCount; ++k) {
      if (Better(m_alive[k], best)) best = m_alive[k];
    }
    return m_moves[best];
  }

 private:
  // Rounds of deals: every candidate still in plays the same deals out, and after each round
  // but the last the worse half drops out, so that the budget goes where the choice is close.
  // Each round has an equal share of the budget of moves played out and of games.
  void Search(const CChairView& view, CRandom& random) {
    m_aliveCount = m_candidateCount;
    for (uint8_t i = 0; i < m_candidateCount; ++i) {
      m_alive[i] = i;
      m_total[i] = 0;
      m_plays[i] = 0;
    }
    int rounds = 1;
    while ((1 << rounds) < m_candidateCount) ++rounds;
    const uint64_t roundMoves = m_config.moves / rounds;
    const uint32_t roundGames = m_config.rollouts / rounds;
    const uint64_t start = ThreadCpuUs();
    for (int r = 0; r < rounds; ++r) {
      uint64_t moves = 0;
      uint32_t games = 0;
      while (moves < roundMoves && games < roundGames) {
        if (ThreadCpuUs() - start >= uint64_t{m_config.timeCapMs} * 1000) {
          m_stats.capped = true;
          return;
        }
        Deal(view, random, m_dealt);
        for (uint8_t k = 0; k < m_aliveCount; ++k) {
          const uint8_t i = m_alive[k];
          m_world = m_dealt;
          m_simMoves = 0;
          m_total[i] += PlayOut(m_world, view.Me(), m_moves[i]);
          ++m_plays[i];
          moves += m_simMoves;
          ++games;
        }
      }
      m_stats.rollouts += games;
      m_stats.moves += moves;
      if (r + 1 == rounds) break;
      // Best mean first (an insertion sort of at most 17), then keep the better half.
      for (uint8_t k = 1; k < m_aliveCount; ++k) {
        const uint8_t i = m_alive[k];
        uint8_t at = k;
        while (at > 0 && Better(i, m_alive[at - 1])) {
          m_alive[at] = m_alive[at - 1];
          --at;
        }
        m_alive[at] = i;
      }
      m_aliveCount = static_cast<uint8_t>((m_aliveCount + 1) / 2);
    }
  }

  // Candidate a has the better mean gold than b; an equal mean goes to the earlier one.
  bool Better(uint8_t a, uint8_t b) const {
    const int64_t x = m_total[a] * m_plays[b];
    const int64_t y = m_total[b] * m_plays[a];
    return x > y || (x == y && a < b);
  }

  // What the chair sees, folded into a number: the seed of the decision's deals.
  static uint64_t HashView(const CChairView& view) {
    uint64_t h = 0xCBF29CE484222325ull;
    const auto mix = [&h](uint64_t v) {
      h ^= v;
      h *= 0x100000001B3ull;
      h ^= h >> 29;
    };
    mix(view.Me());
    mix(view.Banker());
    mix(view.PlayedMask());
    mix(view.Multiple());
    mix(view.Pile());
    mix(view.SingleJokerRule());
    mix(view.TurnChair());
    for (uint16_t c = 0; c < SEAT_COUNT; ++c) {
      mix(view.CardCount(c));
      mix(view.HasPlayed(c) ? 1 : 0);
    }
    for (uint8_t i = 0; i < view.HandCount() && i < MAX_CARDS; ++i) mix(view.Hand()[i]);
    const tagTurn& turn = view.Turn();
    for (uint8_t i = 0; i < turn.count && i < MAX_CARDS; ++i) mix(turn.cards[i]);
    return h;
  }

  // The cards the chair cannot place: the deck less its hand and the cards played. False when
  // they are too few for the other hands and the pile (a view that cannot be).
  bool CollectHidden(const CChairView& view) {
    uint64_t known = view.PlayedMask();
    for (uint8_t i = 0; i < view.HandCount() && i < MAX_CARDS; ++i) {
      const int at = CardDeckIndex(view.Hand()[i]);
      if (at >= 0) known |= uint64_t{1} << at;
    }
    m_hiddenCount = 0;
    for (int i = 0; i < DECK_SIZE; ++i) {
      if ((known >> i & 1) == 0) m_hidden[m_hiddenCount++] = CARD_DECK[i];
    }
    int need = view.Pile();
    for (uint16_t c = 0; c < SEAT_COUNT; ++c) {
      if (c != view.Me()) need += view.CardCount(c);
    }
    for (uint16_t c = 0; c < SEAT_COUNT; ++c) {
      if (view.CardCount(c) > MAX_CARDS) return false;
    }
    return need <= m_hiddenCount;
  }

  // A deal of the hidden cards: a random part of them to the other hands and the pile (a view
  // rebuilt from a scene does not know every card played, so some are left out).
  void Deal(const CChairView& view, CRandom& random, tagWorld& w) {
    for (uint8_t i = 0; i < m_hiddenCount; ++i) {
      const uint8_t j = static_cast<uint8_t>(i + random.Below(m_hiddenCount - i));
      const uint8_t t = m_hidden[i];
      m_hidden[i] = m_hidden[j];
      m_hidden[j] = t;
    }
    const uint16_t me = view.Me();
    uint8_t at = 0;
    for (uint16_t c = 0; c < SEAT_COUNT; ++c) {
      if (c == me) {
        w.count[c] = view.HandCount();
        std::memcpy(w.hand[c], view.Hand(), w.count[c]);
      } else {
        w.count[c] = view.CardCount(c);
        std::memcpy(w.hand[c], m_hidden + at, w.count[c]);
        at = static_cast<uint8_t>(at + w.count[c]);
        m_logic.SortCards(w.hand[c], w.count[c], SORT_BY_RANK);
      }
      w.hasPlayed[c] = view.HasPlayed(c) ? 1 : 0;
    }
    w.pileCount = view.Pile();
    std::memcpy(w.pile, m_hidden + at, w.pileCount);
    w.turn = view.Turn();
    w.turnChair = view.TurnChair();
    w.current = me;
    w.singleJokerRule = view.SingleJokerRule();
    w.multiple = view.Multiple();
    w.winner = NO_CHAIR;
  }

  // The gold `me` wins or pays once `first` is made in `w` and the game played out.
  int64_t PlayOut(tagWorld& w, uint16_t me, const tagTableMove& first) {
    Apply(w, first);
    for (int moves = 0; moves < kMaxRolloutMoves && w.winner == NO_CHAIR; ++moves) {
      const uint16_t c = w.current;
      tagBotTable t{};
      t.hand = w.hand[c];
      t.handCount = w.count[c];
      t.turn = &w.turn;
      t.singleJokerRule = w.singleJokerRule;
      t.pile = w.pileCount;
      t.fewestOpponent = FewestOpponent(w.count, c);
      Apply(w, m_policy->Choose(t));
      ++m_simMoves;
    }
    if (w.winner == NO_CHAIR) return 0;
    const auto pays = [&w](uint16_t c) {
      return LoserPays(w.multiple, w.count[c], w.hasPlayed[c] != 0);
    };
    if (w.winner != me) return -pays(me);
    int64_t won = 0;
    for (uint16_t c = 0; c < SEAT_COUNT; ++c) {
      if (c != me) won += pays(c);
    }
    return won;
  }

  // Makes the move for the current chair as the table would; a move the table would refuse
  // becomes the table's own move for the chair.
  void Apply(tagWorld& w, const tagTableMove& move) {
    m_logic.SetSingleJokerRule(w.singleJokerRule);
    const uint16_t c = w.current;
    if (!move.pass && Play(w, c, move)) return;
    if (w.turn.count > 0) {
      Pass(w, c);
      return;
    }
    const tagTableMove own = ChooseTrusteeMove(m_logic, w.hand[c], w.count[c], w.turn);
    if (own.pass || !Play(w, c, own)) w.winner = c;  // cannot be: end the game rather than spin
  }

  bool Play(tagWorld& w, uint16_t c, const tagTableMove& move) {
    uint8_t rest[MAX_CARDS];
    std::memcpy(rest, w.hand[c], MAX_CARDS);
    if (!m_logic.RemoveCard(move.cards, move.count, rest, w.count[c])) return false;
    uint8_t sorted[MAX_CARDS];
    uint8_t resolved[MAX_CARDS];
    uint8_t type = PT_INVALID;
    if (!CheckPlay(m_logic, move.cards, move.count, w.turn, sorted, resolved, type)) return false;
    w.count[c] = static_cast<uint8_t>(w.count[c] - move.count);
    std::memcpy(w.hand[c], rest, w.count[c]);
    w.turn.count = move.count;
    std::memcpy(w.turn.cards, sorted, move.count);
    std::memcpy(w.turn.resolved, resolved, move.count);
    w.turnChair = c;
    w.hasPlayed[c] = 1;
    w.multiple *= PlayTypeMultiple(type);
    if (w.count[c] == 0) {
      w.winner = c;
      return true;
    }
    if (w.pileCount == 0 && !CanAnyoneAnswer(m_logic, w.hand, w.count, w.turn, c)) {
      w.turn = tagTurn{};
      w.turnChair = NO_CHAIR;
      w.current = c;  // nobody can answer: it leads again
      return true;
    }
    w.current = NextOf(c);
    return true;
  }

  // A pass; the last one of a trick hands the lead back and every chair from the leader on
  // draws a card while the pile lasts.
  void Pass(tagWorld& w, uint16_t c) {
    const uint16_t next = NextOf(c);
    if (next != w.turnChair) {
      w.current = next;
      return;
    }
    const uint16_t leader = w.turnChair;
    DrawAfterTrick(m_logic, w.hand, w.count, w.pile, w.pileCount, leader);
    w.singleJokerRule = w.pileCount == 0 ? 1 : 0;
    w.turn = tagTurn{};
    w.turnChair = NO_CHAIR;
    w.current = leader;
  }

  tagStrongConfig m_config;
  std::unique_ptr<CNormalPolicy> m_policy;
  CGameLogic m_logic;
  tagStrongStats m_stats{};
  tagRankedPlay m_ranked[kMaxCandidates];
  tagTableMove m_moves[kMaxCandidates + 1];
  int64_t m_total[kMaxCandidates + 1];  // gold over the deals played
  int64_t m_plays[kMaxCandidates + 1];  // deals played
  uint8_t m_alive[kMaxCandidates + 1];  // candidates still in, best first after a round
  uint8_t m_aliveCount = 0;
  uint32_t m_simMoves = 0;  // moves of the game being played out
  uint8_t m_candidateCount = 0;
  uint8_t m_hidden[DECK_SIZE];
  uint8_t m_hiddenCount = 0;
  tagWorld m_dealt{};
  tagWorld m_world{};
};

}  // namespace

uint64_t ThreadCpuUs() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<uint64_t>(t.tv_sec) * 1000000 + static_cast<uint64_t>(t.tv_nsec) / 1000;
}

std::unique_ptr<CStrongBot> MakeStrongBot(const tagStrongConfig& config) {
  return std::make_unique<CStrongBotOf>(config);
}
