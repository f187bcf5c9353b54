// The "normal" bot level (see Bot.h).
#pragma once

#include <memory>

#include "server/bots/Bot.h"

std::unique_ptr<CBot> MakeNormalBot();
