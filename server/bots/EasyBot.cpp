#include <cstring>

#include "server/bots/Bot.h"
#include "server/bots/NormalBot.h"

namespace {

tagBotAction Pass() {
  tagBotAction a{};
  a.pass = true;
  return a;
}

bool Legal(const CGameLogic& logic, const uint8_t cards[], uint8_t count, const tagTurn& turn) {
  uint8_t sorted[MAX_CARDS];
  uint8_t resolved[MAX_CARDS];
  uint8_t type = PT_INVALID;
  return CheckPlay(logic, cards, count, turn, sorted, resolved, type);
}

tagBotAction Play(const uint8_t cards[], uint8_t count) {
  tagBotAction a{};
  a.pass = false;
  a.count = count;
  std::memcpy(a.cards, cards, count);
  return a;
}

class CEasyBot final : public CBot {
 public:
  tagBotAction Decide(const CChairView& view) override {
    m_logic.SetSingleJokerRule(view.SingleJokerRule());
    return ChooseEasyAction(m_logic, view.Hand(), view.HandCount(), view.Turn());
  }
  const char* Level() const override { return "easy"; }

 private:
  CGameLogic m_logic;
};

}  // namespace

const uint8_t* HintReference(const CGameLogic& logic, const tagTurn& turn) {
  if (turn.count == 0) return turn.cards;
  const uint8_t type = logic.ClassifyPlay(turn.resolved, turn.count);
  // A run made with jokers is searched against its display form, anything else raw.
  if ((type == PT_SHUNZI || type == PT_LIANDUI) && IsJokerCard(turn.cards[0])) {
    return turn.resolved;
  }
  return turn.cards;
}

tagBotAction ChooseEasyAction(CGameLogic& logic, const uint8_t hand[], uint8_t handCount,
                              const tagTurn& turn) {
  tagPlayCandidate scratch;
  if (logic.ListAnswers(hand, handCount, HintReference(logic, turn), turn.count, scratch)) {
    for (size_t i = 0; i < logic.GetAnswerCount(); ++i) {
      const tagPlayCandidate& c = logic.GetAnswer(i);
      if (Legal(logic, c.cards, c.count, turn)) return Play(c.cards, c.count);
    }
  }
  tagPlayCandidate found{};
  if (logic.FindAnswer(hand, handCount, turn.cards, turn.count, found) && found.count > 0 &&
      Legal(logic, found.cards, found.count, turn)) {
    return Play(found.cards, found.count);
  }
  if (turn.count == 0) {
    // Leading must play: the lowest card that is a play on its own.
    for (int i = handCount - 1; i >= 0; --i) {
      if (Legal(logic, hand + i, 1, turn)) return Play(hand + i, 1);
    }
    if (handCount > 0 && Legal(logic, hand, handCount, turn)) return Play(hand, handCount);
  }
  return Pass();
}

std::unique_ptr<CBot> MakeBot(std::string_view level) {
  if (level == "easy") return std::make_unique<CEasyBot>();
  if (level == "normal") return MakeNormalBot();
  return nullptr;
}
