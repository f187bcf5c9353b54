#include "server/bots/Bot.h"
#include "server/bots/NormalBot.h"
#include "server/bots/StrongBot.h"

namespace {

class CEasyBot final : public CBot {
 public:
  tagBotAction Decide(const CChairView& view) override {
    m_logic.SetSingleJokerRule(view.SingleJokerRule());
    return ChooseTrusteeMove(m_logic, view.Hand(), view.HandCount(), view.Turn());
  }
  const char* Level() const override { return "easy"; }

 private:
  CGameLogic m_logic;
};

}  // namespace

std::unique_ptr<CBot> MakeBot(std::string_view level) {
  if (level == "easy") return std::make_unique<CEasyBot>();
  if (level == "normal") return MakeNormalBot();
  if (level == "strong") return MakeStrongBot();
  return nullptr;
}
