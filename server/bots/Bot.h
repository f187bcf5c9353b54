// Server-side players. A bot sees only what its chair's client sees (a CChairView fed with
// that chair's messages) and answers with the client messages a person would send; the
// table checks them like any other.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "server/ChairView.h"

// What a bot does on its turn.
struct tagBotAction {
  bool pass;                  // true: CLI_PASS; false: CLI_PLAY with the cards below
  uint8_t count;
  uint8_t cards[MAX_CARDS];   // cards of the bot's hand
};

class CBot {
 public:
  virtual ~CBot() = default;
  // Chooses the action for the view's current turn (the view says it is this bot's turn).
  // The action is legal by CheckPlay against the view's play to beat; a bot that leads
  // always plays.
  virtual tagBotAction Decide(const CChairView& view) = 0;
  virtual const char* Level() const = 0;
};

// "easy": the first hint candidate that is legal, else the single answer, else pass.
// "normal": keeps bombs and the rocket for when they matter, leads low and long, saves 2s,
// goes out when it can and watches the next player's card count.
// Null for an unknown level.
std::unique_ptr<CBot> MakeBot(std::string_view level);

// The play the hint searches against, chosen as the client's hint button does: the display
// form for a run made with jokers, the raw cards otherwise.
const uint8_t* HintReference(const CGameLogic& logic, const tagTurn& turn);

// The easy choice, also what the table plays for a chair on trustee whose client is gone or
// whose clock ran out.
tagBotAction ChooseEasyAction(CGameLogic& logic, const uint8_t hand[], uint8_t handCount,
                              const tagTurn& turn);
