#include "tools/scenario/ClientActions.h"

#include <cstring>

#include "rules/PlayCheck.h"
#include "widgets/MyCButtonEx.h"

namespace scenario {

std::unique_ptr<CInProcessLink> MakeTestTable(uint64_t seed, uint16_t chair) {
  tagHostConfig config;
  config.table.seed = seed;
  config.table.baseScore = 2;
  config.botDelayMinMs = 300;
  config.botDelayMaxMs = 1800;
  auto host = std::make_unique<CTableHost>(config);
  const char* const levels[SEAT_COUNT] = {"normal", "easy", "normal"};
  const char* const names[SEAT_COUNT] = {"Alice", "Bruno", "Chen"};
  tagLobbyUser users[SEAT_COUNT] = {};
  for (uint16_t c = 0; c < SEAT_COUNT; ++c) {
    if (c != chair) host->SeatBot(c, levels[c]);
    std::strcpy(users[c].name, names[c]);
    users[c].gender = c == 0 ? GENDER_FEMALE : GENDER_MALE;
    users[c].faceId = c;
  }
  return std::make_unique<CInProcessLink>(std::move(host), chair, users);
}

uint64_t CClientActions::ThinkMs() {
  // Now and then a person lets the clock run out and the server moves.
  return Random().Below(12) == 0 ? 30000 : CSelfPlay::ThinkMs();
}

void CClientActions::Move() {
  headless::CHeadlessClient& client = Client();
  const CTable& table = Table();
  const uint32_t game = Tally().games;
  if (m_leaveEvery != 0 && (game + 1) % m_leaveEvery == 0 && m_leftInGame != game &&
      table.HandCount(Me()) > 1 && Random().Below(3) == 0) {
    m_leftInGame = game;
    if (Random().Below(2) == 0) return Leave(1000 + Random().Below(15000));
    // The close box of a table the lobby seats the player at again: the client's own rejoin.
    client.Dialog().PostMessage(WM_CLOSE);
    return;
  }
  gcn::MyCButtonEx* hint = client.Button("hint");
  if (hint == nullptr || !hint->isVisible()) return;  // not the player's turn on the screen
  if (client.Dialog().GetState().autoPlay) {
    // On auto-play the client moves by itself; now and then the player takes over again.
    if (Random().Below(3) == 0) client.Click("autooff");
    return;
  }
  const uint32_t choice = Random().Below(20);
  if (choice < 3) return;  // the player does nothing: the clock runs out
  if (choice < 7) {
    // A raise of the player's own: any legal answer from the table's point of view.
    CGameLogic logic;
    logic.SetSingleJokerRule(table.SingleJokerRule());
    tagPlayCandidate scratch;
    if (logic.ListAnswers(table.Hand(Me()), table.HandCount(Me()),
                          HintReference(logic, table.Turn()), table.Turn().count, scratch)) {
      const tagPlayCandidate& c = logic.GetAnswer(Random().Below(logic.GetAnswerCount()));
      const bool legal = IsLegalPlay(logic, c.cards, c.count, table.Turn());
      if (client.Raise(c.cards, c.count)) {
        gcn::MyCButtonEx* play = client.Button("play");
        Expect(play != nullptr && play->isEnabled() == legal,
               "the play button does not follow the table's check for [" +
                   headless::HexList(c.cards, c.count) + "]");
        if (legal && client.Click(Random().Below(4) == 0 ? "right" : "play")) return;
      }
    }
  }
  if (choice == 7 && client.Click("pass")) return;
  PlayHint();
}

}  // namespace scenario
