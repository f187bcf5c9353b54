#include "headless/ClientCheck.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "cardcontrol/CardControl.h"
#include "widgets/MyCButtonEx.h"
#include "widgets/ScoreView.h"

namespace headless {

namespace {

std::string CardList(const uint8_t* cards, size_t n) { return "[" + HexList(cards, n) + "]"; }

}  // namespace

void CClientCheck::OnScene(bool trickOpen) {
  std::fill(std::begin(m_marks), std::end(m_marks), false);
  m_pauseEnds = 0;
  m_trickOpen = trickOpen;
}

// ---- the pass marks the table's messages call for ------------------------------------------
// A chair shows a pass mark from its pass until its next turn or the next lead; after a play
// nobody can answer, every other chair shows one until the pause is over.
void CClientCheck::Observe(uint16_t id, const uint8_t* data, size_t size) {
  tagServerMessage m;
  if (!DecodeServerMessage(id, data, size, m_me, m)) return;
  switch (id) {
    case SRV_PLAY_BEGIN:
      std::fill(std::begin(m_marks), std::end(m_marks), false);
      m_trickOpen = false;
      m_pauseEnds = 0;
      break;
    case SRV_PLAY: {
      const WORD out = m.play.outChair;
      if (!m_trickOpen) std::fill(std::begin(m_marks), std::end(m_marks), false);
      m_trickOpen = true;
      m_pauseEnds = 0;
      if (m.play.currentChair == out) {
        for (WORD c = 0; c < SEAT_COUNT; ++c) m_marks[c] = c != out;
        m_trickOpen = false;
        m_pauseEnds = m_client.Now() + NEW_TURN_TIMER_MS;
      } else if (IsChair(m.play.currentChair)) {
        m_marks[m.play.currentChair] = false;
      }
      break;
    }
    case SRV_PASS:
      m_marks[m.pass.passChair] = true;
      m_marks[m.pass.currentChair] = false;
      if (m.pass.newTurn == 1) m_trickOpen = false;
      break;
    case SRV_PASS_NOTICE:
      m_marks[m.passNotice.passChair] = true;
      m_marks[m.passNotice.currentChair] = false;
      break;
    default:
      break;
  }
}

// ---- the client against the table ------------------------------------------------------------
void CClientCheck::Note(const std::string& what) {
  if (m_tally.firstFailures.size() < 12) {
    m_tally.firstFailures.push_back("game " + std::to_string(m_tally.games + 1) + ", message " +
                                    std::to_string(m_tally.messages) + ": " + what);
  }
}

void CClientCheck::Fail(const std::string& what) {
  m_tally.failed = true;
  Note(what);
}

void CClientCheck::Expect(bool ok, const std::string& what) {
  if (ok) return;
  ++m_tally.divergences;
  Note(what);
}

void CClientCheck::Check(const tagChairTruth& t, bool inFlight) {
  CGameClientDlg& dlg = m_client.Dialog();
  CGameClientView& view = m_client.View();
  const tagClientState& s = dlg.GetState();
  // Texts are made only for a check that fails.
  const auto at = [&t] { return " after message " + std::to_string(t.id); };
  const auto chairAt = [&](const char* what, WORD c) {
    return [&at, what, c] { return what + std::string(" of chair ") + std::to_string(c) + at(); };
  };

  // The hand, in rank order on both sides; a play on its way counts as still held.
  uint8_t hand[MAX_CARDS] = {};
  uint8_t count = s.handCount;
  std::memcpy(hand, s.hand, s.handCount);
  if (inFlight && count + s.pendingCount <= MAX_CARDS) {
    std::memcpy(hand + count, s.pendingCards, s.pendingCount);
    count = static_cast<uint8_t>(count + s.pendingCount);
  }
  dlg.GetGameLogic().SortCards(hand, count, SORT_BY_RANK);
  Expect(count == t.counts[m_me] && (m_handHidden || std::memcmp(hand, t.hand, count) == 0), [&] {
    return "hand " + CardList(hand, count) + " vs table " + CardList(t.hand, t.counts[m_me]) + at();
  });
  for (WORD c = 0; c < SEAT_COUNT; ++c) {
    if (c == m_me && inFlight) continue;
    Expect(s.cardCount[c] == t.counts[c], [&] {
      return "card count of chair " + std::to_string(c) + ": " + std::to_string(s.cardCount[c]) +
             " vs " + std::to_string(t.counts[c]) + at();
    });
  }

  if (t.playing) {
    Expect(view.m_cbGameRunning == 1, [&] { return "the game is not shown running" + at(); });
    Expect(view.m_cbLeftCardCount == t.pile, [&] {
      return "deck " + std::to_string(view.m_cbLeftCardCount) + " vs " + std::to_string(t.pile) +
             at();
    });
    Expect(s.multiple == t.multiple && view.m_wBeiShu == t.multiple, [&] {
      return "multiple " + std::to_string(s.multiple) + " vs " + std::to_string(t.multiple) + at();
    });
    const tagTurn& turn = t.turn;
    Expect(s.turnCount == turn.count && std::memcmp(s.turnCards, turn.cards, turn.count) == 0 &&
               std::memcmp(s.turnResolved, turn.resolved, turn.count) == 0,
           [&] {
             return "turn " + CardList(s.turnCards, s.turnCount) + " vs " +
                    CardList(turn.cards, turn.count) + at();
           });
    const bool paused = m_client.Now() < t.pauseUntil;
    for (WORD c = 0; c < SEAT_COUNT; ++c) {
      const WORD seat = dlg.SwitchViewChairID(c);
      if (c == m_me && inFlight) continue;
      Expect(view.m_cbCardCount[seat] == t.counts[c], chairAt("drawn count", c));
      Expect(view.m_cbAutoPlayFlag[seat] == (t.trustee[c] ? 1 : 0), chairAt("auto-play mark", c));
      const bool mark = m_marks[c] && !(m_pauseEnds != 0 && m_client.Now() >= m_pauseEnds);
      Expect(view.m_cbPassFlag[seat] == (mark ? 1 : 0), [&] {
        return "pass mark of chair " + std::to_string(c) + ": " +
               std::to_string(view.m_cbPassFlag[seat]) + at();
      });
      if (c != m_me) {
        const CardControl* control = view.m_pHandCard[seat].get();
        Expect(control != nullptr && control->GetCardCount() == t.counts[c],
               chairAt("cards shown", c));
      }
      // The turn clock runs on the current chair only (it may have run out already).
      if (c != t.current || paused) {
        Expect(dlg.GetGameTimerSeconds(c) == 0,
               [&] { return "a clock runs on chair " + std::to_string(c) + at(); });
      }
    }
    const CardControl* own = view.m_pHandCard[LOCAL_SEAT].get();
    Expect(own != nullptr && own->GetCardCount() == s.handCount, [&] {
      return "the local hand control holds " + std::to_string(own ? own->GetCardCount() : 0) + at();
    });
    const bool myTurn = !m_watching && t.current == m_me && !paused && !inFlight;
    gcn::MyCButtonEx* hint = m_client.Button("hint");
    const bool shown = hint != nullptr && hint->isVisible();
    Expect(shown == myTurn, [&] {
      return std::string("the hint button is ") + (shown ? "shown" : "hidden") + " (chair " +
             std::to_string(t.current) + "'s turn, " + (paused ? "paused, " : "") +
             (inFlight ? "a move in flight, " : "") +
             (s.autoPlay ? "auto-play on" : "auto-play off") + ")" + at();
    });
  }
  if (t.id == SRV_RESULT) {
    Expect(s.multiple == t.resultMultiple, [&] { return "result multiple" + at(); });
    const CScoreView* panel = view.m_pScoreView.get();
    Expect(panel != nullptr && panel->IsShow(),
           [&] { return "the end panel is not shown" + at(); });
    for (WORD c = 0; c < SEAT_COUNT && panel != nullptr; ++c) {
      const tagScoreEntry* e = panel->GetEntry(dlg.SwitchViewChairID(c));
      Expect(e->lScore == t.resultScore[c] && e->cbCardsLeft == t.counts[c],
             chairAt("end panel entry", c));
      const CardControl* control = view.m_pHandCard[dlg.SwitchViewChairID(c)].get();
      Expect(control != nullptr && control->GetCardCount() == t.counts[c] &&
                 (t.counts[c] == 0 || control->IsFaceUp()),
             chairAt("left cards", c));
    }
  }
}

}  // namespace headless
