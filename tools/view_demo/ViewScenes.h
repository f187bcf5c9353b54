// Tables for the view demo and benchmark, built only through the view's own setters, card
// controls, buttons, effects and panels, the way the client dialog drives them:
//   dealt       a game under way: three portraits with names and gold, the banker, multiple 4,
//               deck 20, the side hands stacked under their counts, the local hand of 17, the
//               local straight on the table, a pass mark on the left, the right seat's clock
//               at 12, auto-play and alarm marks, the buttons of a player waiting
//   bomb        dealt, then the right seat's bomb: the flash and the table mid-shake
//   rocket      dealt, then the right seat's rocket in flight
//   burst       the rocket arrived: its burst
//   spring      dealt, then a spring ends the game before anybody played: no out-card chair
//   newcomer    dealt, then the right seat's user leaves and another sits down in the chair
//   end         a small game over, as the table shows it: the end panel's simple form
//               counted out (the left seat won +40), the winner's last play still on its row,
//               the bots' ready marks, the cards left face up (side columns, the local row)
//   end-large   a large game the local seat won (+25344, both sides -12672): its long
//               straight still on its row, a bomb on the right, many cards left open
//   end-detail  end-large in the detail form
//   options     dealt with the options window open
#pragma once

#include <string>

#include "tools/view_demo/ViewHost.h"

// The scene names above, separated by blanks.
const char* ViewSceneNames();
// Builds the scene on a freshly started host (frames run as the scene needs); false for an
// unknown name.
bool BuildViewScene(CViewHost& host, const std::string& scene);
