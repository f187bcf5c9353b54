// torvaly's modes without a window, on the program's own application object.
//
// Self-play: the real client, playing its own moves (hint, then play, or pass when the hint
// finds nothing), against the two bots of the window's own embedded table (the same link, the
// same lobby), in virtual time; with a check of the client against the table after every
// message. Prints the results and games per second (headless/SelfPlay.h).
// Script: a scenario script (docs/scenario.md) against the client.
//
// Both keep the application profile in a temporary folder, never the player's own, and return
// the program's exit status.
#pragma once

#include <iosfwd>

#include "app/Options.h"

class CGameClientApp;

// 0 when every game was played without a refused move (and, with --check, without a
// divergence: the first one stops the run); 1 otherwise.
int RunSelfPlay(const tagAppOptions& options, CGameClientApp& app, std::ostream& out);
// Network play without a window: N games (or watched games) at a server with the client's own
// moves; with --check the client against what its chair was told after every message. 0 when
// every game was played without a divergence and the connection held (or came back); 1
// otherwise.
int RunNetPlay(const tagAppOptions& options, CGameClientApp& app, std::ostream& out);
// 0 when the script passed.
int RunScript(const tagAppOptions& options, CGameClientApp& app);
