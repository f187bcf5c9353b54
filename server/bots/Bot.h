// Server-side players. A bot sees only what its chair's client sees (a CChairView fed with
// that chair's messages) and answers with the client messages a person would send; the
// table checks them like any other.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "server/ChairView.h"
#include "server/TrusteePlay.h"

// What a bot does on its turn: the same kind of move the table makes for a chair.
using tagBotAction = tagTableMove;

class CBot {
 public:
  virtual ~CBot() = default;
  // Chooses the action for the view's current turn (the view says it is this bot's turn).
  // The action is legal by CheckPlay against the view's play to beat; a bot that leads
  // always plays.
  virtual tagBotAction Decide(const CChairView& view) = 0;
  virtual const char* Level() const = 0;
  // Its decisions take long enough (milliseconds) to be made off the table's thread
  // (ThinkPool.h). Decide then depends on nothing but the bot and the view.
  virtual bool ThinksLong() const { return false; }
};

// "easy": the table's own trustee move (TrusteePlay.h): the first hint candidate that is
// legal, else the single answer, else pass.
// "normal": keeps bombs and the rocket for when they matter, leads low and long, saves 2s,
// goes out when it can and watches the next player's card count.
// "strong": plays its candidate moves out over random deals of the cards it cannot see and
// picks the best mean gold (StrongBot.h).
// Null for an unknown level.
std::unique_ptr<CBot> MakeBot(std::string_view level);
