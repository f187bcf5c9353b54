// The embedded table's bots follow the level chosen in the options window, which the dialog
// keeps in the application profile (PROFILE_BOT_LEVEL).
#pragma once

#include <string>

#include "server/TableHost.h"

// The server's name of an options window's bot level (BOT_LEVEL_EASY ..), null for none.
const char* BotLevelName(int item);
// The bots' level the player chose in the options window (the profile's), else `fallback`.
std::string ProfileBotLevel(const std::string& fallback);
// From the next game on, the bots take the level the options window stores whenever it changes
// it (read from the profile before each game).
void FollowProfileBotLevel(CTableHost& host);
