// Self-play (headless/SelfPlay.h) with a person's ways at the table, for the client's whole-game
// tests: on its turn the player takes the hint and plays it, raises a play of its own (any
// answer the table would take; the play button must agree with the table's own check) and
// plays it by the button or the right mouse button, passes, or does nothing at all (the clock
// runs out; the auto-play that takes over is switched off again now and then). In every
// `leaveEvery`-th game it may also go during the game: it quits and a new client comes back a
// few seconds later, or it leaves and sits down again at once through the client's own rejoin;
// either way the game goes on from the playing scene.
#pragma once

#include <cstdint>
#include <memory>

#include "headless/SelfPlay.h"

namespace scenario {

// The whole-game tests' table: the player at `chair`, bots in the other chairs (normal, easy,
// normal by chair number) that take 0.3 to 1.8 seconds to move, a base score of 2.
std::unique_ptr<CInProcessLink> MakeTestTable(uint64_t seed, uint16_t chair);

class CClientActions final : public headless::CSelfPlay {
 public:
  CClientActions(headless::CHeadlessClient& client, uint64_t seed, uint16_t chair,
                 uint32_t leaveEvery)
      : CSelfPlay(client, MakeTestTable(seed, chair), seed), m_leaveEvery(leaveEvery) {}

 private:
  void Move() override;
  uint64_t ThinkMs() override;

  uint32_t m_leaveEvery;
  uint32_t m_leftInGame = UINT32_MAX;  // the game the player last went away in
};

}  // namespace scenario
