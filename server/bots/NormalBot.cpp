// The "normal" bot level. It reads its hand as a plan (how many plays it still needs to
// empty it) and picks, among the plays the legal-play check accepts, the one that shortens
// that plan most while shedding the most and the lowest cards. It keeps 2s, jokers and bombs
// back until an opponent is close to going out or they bring its own hand close to empty,
// and it does not feed an opponent holding one or two cards a single or a pair it can beat.
#include "server/bots/NormalBot.h"

#include <climits>
#include <cstring>

namespace {

// Logic values of the natural cards run from RANK_THREE to RANK_TWO; arrays indexed by them.
constexpr int kValues = RANK_TWO + 1;

// The hand by logic value.
struct tagShape {
  uint8_t count[kValues];     // natural cards of each value
  uint8_t cards[kValues][4];  // their bytes, in hand order
  uint8_t jokers;             // 0..2
  uint8_t jokerCards[2];      // the small joker first when both are held
};

// One play the bot may make and what it takes from the hand.
struct tagOption {
  uint8_t count;
  uint8_t cards[MAX_CARDS];
  uint8_t used[kValues];  // natural cards taken per value
  uint8_t jokers;         // jokers taken
  uint8_t type;           // the type it is built as; PT_INVALID: only the check can tell
};

// False when the cards cannot form one play: more than four cards that are neither a
// straight nor consecutive pairs, even with the jokers filling gaps. Spares the legal-play
// check a whole hand that has no chance.
bool CouldBeOnePlay(const uint8_t counts[kValues], int jokers, int total) {
  if (total <= 4) return true;
  if (counts[RANK_TWO] > 0) return false;  // a 2 is never part of a run
  int lo = 0;
  int hi = 0;
  int most = 0;
  for (int v = RANK_THREE; v <= RANK_ACE; ++v) {
    if (counts[v] == 0) continue;
    if (lo == 0) lo = v;
    hi = v;
    if (counts[v] > most) most = counts[v];
  }
  if (lo == 0) return jokers == total;
  const int span = hi - lo + 1;
  if (most == 1 && span <= total) return true;
  return most <= 2 && total % 2 == 0 && 2 * span <= total;
}

// What the scoring needs to know about the table.
struct tagSituation {
  bool leading;
  uint8_t handCount;
  uint8_t pile;
  int planBefore;      // plays the hand needs as it is
  int fewestOpponent;  // fewest cards an opponent in the game holds (99: none)
  int topSingle;       // highest value this hand can lead as a single
  int topPair;         // highest value this hand can lead as a pair (0: none)
};

void BuildShape(const uint8_t hand[], uint8_t handCount, tagShape& shape) {
  std::memset(&shape, 0, sizeof(shape));
  for (uint8_t i = 0; i < handCount && i < MAX_CARDS; ++i) {
    const uint8_t card = hand[i];
    if (card == CARD_SMALL_JOKER || card == CARD_BIG_JOKER) {
      if (shape.jokers < 2) shape.jokerCards[shape.jokers++] = card;
      continue;
    }
    const uint8_t v = CGameLogic::GetCardRank(card);
    if (v < RANK_THREE || v > RANK_TWO || shape.count[v] >= 4) continue;  // not a card of the deck
    shape.cards[v][shape.count[v]++] = card;
  }
  if (shape.jokers == 2 && shape.jokerCards[0] == CARD_BIG_JOKER) {
    shape.jokerCards[0] = CARD_SMALL_JOKER;
    shape.jokerCards[1] = CARD_BIG_JOKER;
  }
}

// Takes the longest run of values 3..A holding at least `per` cards each, `minLength` long or
// more, again and again; returns the number of runs taken.
int TakeRuns(uint8_t w[kValues], int per, int minLength) {
  int runs = 0;
  for (;;) {
    int bestStart = 0;
    int bestLength = 0;
    int start = 0;
    int length = 0;
    for (int v = RANK_THREE; v <= RANK_ACE; ++v) {
      if (w[v] >= per) {
        if (length == 0) start = v;
        ++length;
        if (length > bestLength) {
          bestLength = length;
          bestStart = start;
        }
      } else {
        length = 0;
      }
    }
    if (bestLength < minLength) return runs;
    for (int v = bestStart; v < bestStart + bestLength; ++v)
      w[v] = static_cast<uint8_t>(w[v] - per);
    ++runs;
  }
}

// Estimated number of plays that empty a hand: the best of four greedy splits (bombs kept
// whole or left to the runs; consecutive pairs or straights taken first). A joker costs no
// play of its own while a natural play can take it along.
int Plan(const uint8_t counts[kValues], int jokers) {
  int best = INT_MAX;
  for (int variant = 0; variant < 4; ++variant) {
    uint8_t w[kValues];
    std::memcpy(w, counts, kValues);
    int plays = 0;
    if (variant & 1) {
      for (int v = RANK_THREE; v <= RANK_TWO; ++v) {
        if (w[v] >= 3) {
          ++plays;
          w[v] = 0;
        }
      }
    }
    if (variant & 2) {
      plays += TakeRuns(w, 2, 2);
      plays += TakeRuns(w, 1, 3);
    } else {
      plays += TakeRuns(w, 1, 3);
      plays += TakeRuns(w, 2, 2);
    }
    for (int v = RANK_THREE; v <= RANK_TWO; ++v) {
      if (w[v] > 0) ++plays;  // a single, a pair, or a bomb left whole
    }
    if (plays < best) best = plays;
  }
  if (best == 0 && jokers > 0) best = 1;  // the rocket or a lone joker
  return best;
}

// Calls fn for every play the hand can make that could answer a play of `want` cards (every
// play when want is 0): the whole hand, singles, pairs, straights and consecutive pairs with
// jokers filling gaps, and every bomb. The legal-play check decides which of them count.
template <class Fn>
void ForEachOption(const tagShape& s, uint8_t handCount, uint8_t want, Fn&& fn) {
  tagOption o;
  const auto reset = [&o](uint8_t type) {
    o.type = type;
    o.count = 0;
    o.jokers = 0;
    std::memset(o.used, 0, sizeof(o.used));
  };
  const auto take = [&o, &s](int v, int k) {
    for (int i = 0; i < k; ++i) o.cards[o.count++] = s.cards[v][i];
    o.used[v] = static_cast<uint8_t>(o.used[v] + k);
  };
  const auto joker = [&o, &s](int i) {
    o.cards[o.count++] = s.jokerCards[i];
    ++o.jokers;
  };
  const bool all = want == 0;
  const int J = s.jokers;

  // The whole hand: a play that goes out.
  if (handCount > 0 && handCount <= MAX_CARDS && (all || handCount == want || handCount <= 4)) {
    reset(PT_INVALID);
    for (int v = RANK_THREE; v <= RANK_TWO; ++v) take(v, s.count[v]);
    for (int i = 0; i < J; ++i) joker(i);
    if (o.count == handCount && CouldBeOnePlay(s.count, J, handCount)) fn(o);
  }

  if (all || want == 1) {
    for (int v = RANK_THREE; v <= RANK_TWO; ++v) {
      if (s.count[v] == 0) continue;
      reset(PT_SINGLE);
      take(v, 1);
      fn(o);
    }
    for (int i = 0; i < J; ++i) {  // a single only under the single-joker rule
      reset(PT_INVALID);
      joker(i);
      fn(o);
    }
  }

  if (all || want == 2) {
    for (int v = RANK_THREE; v <= RANK_TWO; ++v) {
      if (s.count[v] >= 2) {
        reset(PT_PAIR);
        take(v, 2);
        fn(o);
      }
      if (J > 0 && s.count[v] >= 1) {
        reset(PT_PAIR);
        joker(0);
        take(v, 1);
        fn(o);
      }
    }
  }

  // Straights: values s..s+L-1 within 3..A, missing values filled by jokers.
  if (all || want >= 3) {
    for (int start = RANK_THREE; start <= RANK_ACE - 2; ++start) {
      int missing = 0;
      for (int length = 1; start + length - 1 <= RANK_ACE; ++length) {
        if (s.count[start + length - 1] == 0) ++missing;
        if (missing > J) break;
        if (length < 3 || (!all && length != want)) continue;
        if (missing == length || (missing == 2 && length == 3)) continue;  // a bomb, not a run
        reset(PT_SHUNZI);
        int filled = 0;
        for (int v = start; v < start + length; ++v) {
          if (s.count[v] > 0) {
            take(v, 1);
          } else {
            joker(filled++);
          }
        }
        fn(o);
      }
    }
  }

  // Consecutive pairs: two of each value, missing cards filled by jokers.
  if (all || (want >= 4 && want % 2 == 0)) {
    for (int start = RANK_THREE; start <= RANK_ACE - 1; ++start) {
      int missing = 0;
      bool emptyValue = false;
      for (int pairs = 1; start + pairs - 1 <= RANK_ACE; ++pairs) {
        const int v = start + pairs - 1;
        const int have = s.count[v] < 2 ? s.count[v] : 2;
        missing += 2 - have;
        if (have == 0) emptyValue = true;
        if (missing > J) break;
        if (pairs < 2 || (!all && pairs * 2 != want)) continue;
        if (pairs == 2 && emptyValue) continue;  // two jokers and a pair make a bomb
        reset(PT_LIANDUI);
        int filled = 0;
        for (int u = start; u < start + pairs; ++u) {
          const int k = s.count[u] < 2 ? s.count[u] : 2;
          take(u, k);
          for (int i = k; i < 2; ++i) joker(filled++);
        }
        fn(o);
      }
    }
  }

  // Bombs answer anything below them.
  for (int v = RANK_THREE; v <= RANK_TWO; ++v) {
    const int c = s.count[v];
    if (c >= 3) {
      reset(PT_BOMB3);
      take(v, 3);
      fn(o);
    }
    if (c == 4) {
      reset(PT_BOMB4);
      take(v, 4);
      fn(o);
    }
    if (J >= 1 && c >= 2) {
      reset(PT_BOMB3_JOKER);
      joker(0);
      take(v, 2);
      fn(o);
    }
    if (J == 2 && c >= 1) {
      reset(PT_BOMB3_JOKER);
      joker(0);
      joker(1);
      take(v, 1);
      fn(o);
    }
    if (J >= 1 && c >= 3) {
      reset(PT_BOMB4_JOKER);
      joker(0);
      take(v, 3);
      fn(o);
    }
    if (J == 2 && c >= 2) {
      reset(PT_BOMB4_JOKER);
      joker(0);
      joker(1);
      take(v, 2);
      fn(o);
    }
  }
  if (J == 2) {
    reset(PT_ROCKET);
    joker(0);
    joker(1);
    fn(o);
  }
}

// The normal level, keeping its working buffers between moves.
class CNormalPolicyOf final : public CNormalPolicy {
 public:
  CGameLogic logic;
  tagShape shape{};

  struct tagKept {
    tagOption option;
    int score;
    bool checked;  // passed the legal-play check already
  };
  static constexpr int kKept = 8;
  tagKept kept[kKept]{};
  int keptCount = 0;

  // Reads the table into the shape and the situation; false for a hand that cannot be.
  void Prepare(const tagBotTable& t, tagSituation& s) {
    logic.SetSingleJokerRule(t.singleJokerRule);
    const uint8_t handCount = t.handCount <= MAX_CARDS ? t.handCount : 0;
    BuildShape(t.hand, handCount, shape);
    s = tagSituation{};
    s.leading = t.turn->count == 0;
    s.handCount = handCount;
    s.pile = t.pile;
    s.planBefore = Plan(shape.count, shape.jokers);
    s.fewestOpponent = t.fewestOpponent;
    s.topSingle = 0;
    s.topPair = 0;
    for (int v = RANK_THREE; v <= RANK_TWO; ++v) {
      if (shape.count[v] > 0) s.topSingle = v;
      if (shape.count[v] >= 2 || (shape.count[v] == 1 && shape.jokers > 0)) s.topPair = v;
    }
    if (logic.GetSingleJokerRule() == 1 && shape.jokers > 0) {
      s.topSingle = CGameLogic::GetCardRank(shape.jokerCards[shape.jokers - 1]);
    }
  }

  tagTableMove Choose(const tagBotTable& t) override {
    tagSituation s;
    Prepare(t, s);
    const tagTurn& turn = *t.turn;
    const uint8_t* hand = t.hand;

    // Every play is scored; the best few are kept. A play built without jokers has a known
    // type when leading and is checked only once it is among the best; any other play is
    // checked before it is scored. Should none of the best pass, every play is checked.
    const uint8_t want = s.leading ? 0 : turn.count;
    for (int round = 0; round < 2; ++round) {
      const bool checkAll = round == 1;
      keptCount = 0;
      ForEachOption(shape, s.handCount, want, [&](const tagOption& o) {
        uint8_t type = s.leading && !checkAll ? o.type : PT_INVALID;
        const bool checked = type == PT_INVALID;
        if (checked && !Legal(o, turn, type)) return;
        bool rejected = false;
        const int score = Score(o, type, s, hand, rejected);
        if (!rejected) Keep(o, score, checked);
      });
      for (int i = 0; i < keptCount; ++i) {
        const tagKept& k = kept[i];
        uint8_t type = PT_INVALID;
        if (k.checked || Legal(k.option, turn, type)) {
          return PlayMove(k.option.cards, k.option.count);
        }
      }
      if (keptCount == 0) break;  // nothing legal, or nothing worth playing
    }

    // Leading must play; the table's trustee move knows the last resorts.
    if (s.leading) return ChooseTrusteeMove(logic, hand, s.handCount, turn);
    return PassMove();
  }

  uint8_t Rank(const tagBotTable& t, tagRankedPlay out[], uint8_t capacity) override {
    if (capacity == 0) return 0;
    tagSituation s;
    Prepare(t, s);
    const tagTurn& turn = *t.turn;
    uint8_t n = 0;
    ForEachOption(shape, s.handCount, s.leading ? 0 : turn.count, [&](const tagOption& o) {
      uint8_t type = PT_INVALID;
      if (!Legal(o, turn, type)) return;
      // The same cards may come as the whole hand and as a run, or by either joker.
      uint8_t mine[MAX_CARDS];
      std::memcpy(mine, o.cards, o.count);
      logic.SortCards(mine, o.count, SORT_BY_RANK);
      for (uint8_t i = 0; i < n; ++i) {
        const tagTableMove& m = out[i].move;
        if (m.count == o.count && std::memcmp(m.cards, mine, o.count) == 0) return;
      }
      bool rejected = false;
      const int score = Score(o, type, s, t.hand, rejected);
      // Insert in order: unrejected before rejected, then by score.
      uint8_t at = n;
      const auto worse = [&](const tagRankedPlay& r) {
        return rejected != r.rejected ? r.rejected : r.score < score;
      };
      while (at > 0 && worse(out[at - 1])) --at;
      if (at >= capacity) return;
      const uint8_t last = n < capacity ? n : static_cast<uint8_t>(capacity - 1);
      for (uint8_t i = last; i > at; --i) out[i] = out[i - 1];
      out[at] = tagRankedPlay{PlayMove(mine, o.count), score, rejected};
      if (n < capacity) ++n;
    });
    return n;
  }

  bool Legal(const tagOption& o, const tagTurn& turn, uint8_t& type) const {
    uint8_t sorted[MAX_CARDS];
    uint8_t resolved[MAX_CARDS];
    return CheckPlay(logic, o.cards, o.count, turn, sorted, resolved, type);
  }

  // Inserts a scored play into the best few, best first.
  void Keep(const tagOption& o, int score, bool checked) {
    int at = keptCount < kKept ? keptCount : kKept;
    while (at > 0 && kept[at - 1].score < score) --at;
    if (at >= kKept) return;
    const int last = keptCount < kKept ? keptCount : kKept - 1;
    for (int i = last; i > at; --i) kept[i] = kept[i - 1];
    kept[at] = tagKept{o, score, checked};
    if (keptCount < kKept) ++keptCount;
  }

  // True when what the hand keeps after `o` is itself one play.
  bool RestIsOnePlay(const tagOption& o, const uint8_t hand[], uint8_t handCount) const {
    uint8_t rest[MAX_CARDS];
    bool taken[MAX_CARDS] = {};
    uint8_t restCount = 0;
    for (uint8_t i = 0; i < handCount; ++i) {
      bool inPlay = false;
      for (uint8_t k = 0; k < o.count; ++k) {
        if (!taken[k] && o.cards[k] == hand[i]) {
          taken[k] = true;
          inPlay = true;
          break;
        }
      }
      if (!inPlay) rest[restCount++] = hand[i];
    }
    if (restCount == 0) return false;
    const tagTurn lead{};
    return IsLegalPlay(logic, rest, restCount, lead);
  }

  // Higher is better; `rejected` when the bot would rather pass than make this answer.
  int Score(const tagOption& o, uint8_t type, const tagSituation& s, const uint8_t hand[],
            bool& rejected) const {
    rejected = false;
    if (o.count == s.handCount) return INT_MAX;  // goes out

    uint8_t after[kValues];
    int low = RANK_BIG_JOKER;
    bool breaksBomb = false;
    for (int v = 0; v < kValues; ++v) {
      after[v] = static_cast<uint8_t>(shape.count[v] - o.used[v]);
      if (o.used[v] == 0) continue;
      if (v < low) low = v;
      // Taking part of a natural three or four spoils it as a bomb.
      if (shape.count[v] >= 3 && o.used[v] < shape.count[v]) breaksBomb = true;
    }
    const int plan = Plan(after, shape.jokers - o.jokers);
    const int left = s.handCount - o.count;
    const int twos = o.used[RANK_TWO];
    const bool bomb = type >= PT_BOMB3_JOKER;

    int score = -120 * plan + 20 * o.count - low;
    score -= 60 * twos + 50 * o.jokers;
    if (bomb) score -= 100 + 25 * (type - PT_BOMB3_JOKER);
    if (breaksBomb) score -= 80;
    if (plan <= 1 && CouldBeOnePlay(after, shape.jokers - o.jokers, left) &&
        RestIsOnePlay(o, hand, s.handCount)) {
      score += 300;
    }

    if (s.leading) {
      // An opponent about to go out must not get a single or a pair it can answer.
      const int top = o.count == 0 ? 0 : CGameLogic::GetCardRank(o.cards[o.count - 1]);
      if (s.fewestOpponent == 1 && type == PT_SINGLE && top < s.topSingle) score -= 1000;
      if (s.fewestOpponent == 2 && type == PT_PAIR) {
        const int pairValue = o.used[low] > 0 ? low : 0;
        if (pairValue < s.topPair) score -= 500;
      }
      if (bomb) score -= 100;  // a bomb led is a bomb not kept for when it matters
      return score;
    }

    // Following: passing is always open, so an answer has to be worth what it spends.
    // Measured in self-play against the easy level: spending 2s, jokers and bombs as soon as an
    // opponent is down to 3 cards, or for a hand left with two plays, wins fewer games than
    // waiting for 2 cards and one play.
    const bool opponentClose = s.fewestOpponent <= 2;
    const bool meClose = left <= 3 || plan <= 1;
    if (bomb) {
      // In the race after the pile is gone, a small hand spends its bomb to take the lead.
      const bool matters = opponentClose || plan <= 1 || (s.pile == 0 && s.handCount <= 5);
      rejected = !matters;
    } else if ((twos > 0 || o.jokers > 0) && !opponentClose && !meClose) {
      rejected = true;
    } else if ((breaksBomb || plan > s.planBefore) && !opponentClose && plan > 1) {
      rejected = true;
    }
    return score;
  }
};

class CNormalBot final : public CBot {
 public:
  tagBotAction Decide(const CChairView& view) override { return m_policy.Choose(BotTableOf(view)); }

  const char* Level() const override { return "normal"; }

 private:
  CNormalPolicyOf m_policy;
};

}  // namespace

uint8_t FewestOpponent(const uint8_t counts[SEAT_COUNT], uint16_t me) {
  uint8_t fewest = 99;
  for (uint16_t step = 1; step < SEAT_COUNT; ++step) {
    const uint8_t cards = counts[(me + step) % SEAT_COUNT];
    if (cards > 0 && cards < fewest) fewest = cards;
  }
  return fewest;
}

tagBotTable BotTableOf(const CChairView& view) {
  tagBotTable t{};
  t.hand = view.Hand();
  t.handCount = view.HandCount() <= MAX_CARDS ? view.HandCount() : 0;
  t.turn = &view.Turn();
  t.singleJokerRule = view.SingleJokerRule();
  t.pile = view.Pile();
  uint8_t counts[SEAT_COUNT];
  for (uint16_t c = 0; c < SEAT_COUNT; ++c) counts[c] = view.CardCount(c);
  t.fewestOpponent = FewestOpponent(counts, view.Me());
  return t;
}

std::unique_ptr<CNormalPolicy> MakeNormalPolicy() { return std::make_unique<CNormalPolicyOf>(); }

std::unique_ptr<CBot> MakeNormalBot() { return std::make_unique<CNormalBot>(); }
