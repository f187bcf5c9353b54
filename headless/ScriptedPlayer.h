// A player at the far end of a table link, for tests, benchmarks and load tools: it keeps what the link
// delivered, builds its chair's view from the game messages and scenes, and acts as a client
// would: ready when the table is free, deal done after the deal, a bot's move on its turn.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/frame/TableLink.h"
#include "protocol/Protocol.h"
#include "server/ChairView.h"
#include "server/Table.h"
#include "server/bots/Bot.h"

namespace headless {

class CScriptedPlayer : public ILinkSink {
 public:
  enum class Kind { Self, Attribute, Enter, Leave, Score, Status, Scene, Message, Closed };
  struct tagEvent {
    Kind kind;
    WORD chairOrId;  // chair of a user event or Self, message id, scene status
    tagUserData user;
    std::vector<uint8_t> data;
  };

  explicit CScriptedPlayer(const char* level = "easy") : m_bot(MakeBot(level)) {}

  // Sends what a client sends at `now`; call after each Poll.
  void Act(ITableLink& link, uint64_t now) {
    if (m_wantReady) {
      m_wantReady = false;
      link.SendUserReady(nullptr, 0);
    }
    if (m_wantDealDone) {
      m_wantDealDone = false;
      link.SendGameData(CLI_DEAL_DONE, nullptr, 0);
    }
    if (!m_view.MyTurn() || m_moved) return;
    // After a play nobody could answer, the table takes the lead only after its pause.
    if (m_view.NewTurnPause()) {
      if (m_pauseEnds == 0) m_pauseEnds = now + NEW_TURN_PAUSE_MS;
      if (now < m_pauseEnds) return;
    }
    m_pauseEnds = 0;
    m_moved = true;  // one move per turn; the next message says whose turn it is
    const tagBotAction action = m_bot->Decide(m_view);
    if (action.pass) {
      link.SendGameData(CLI_PASS, nullptr, 0);
      return;
    }
    tagCliPlay play{};
    play.count = action.count;
    for (uint8_t i = 0; i < action.count; ++i) play.cards[i] = action.cards[i];
    uint8_t buffer[sizeof(tagCliPlay)];
    const size_t n = EncodeCliPlay(play, buffer, sizeof(buffer));
    link.SendGameData(CLI_PLAY, buffer, static_cast<WORD>(n));
  }

  void SetChair(WORD chair) {
    if (chair != m_chair) m_view = CChairView(chair);
    m_chair = chair;
  }
  // When Act has a move to make without anything arriving first (0: none waits).
  uint64_t PauseEnds() const { return m_pauseEnds; }

  WORD Chair() const { return m_chair; }
  const CChairView& View() const { return m_view; }
  const std::vector<tagEvent>& Events() const { return m_events; }
  unsigned Results() const { return m_results; }
  unsigned Undecodable() const { return m_undecodable; }
  bool Closed() const { return m_closed; }
  void AutoReady(bool on) { m_autoReady = on; }

  // ILinkSink
  void OnLinkSelf(WORD meChair, bool, bool) override {
    Push(Kind::Self, meChair);
    SetChair(meChair);
  }
  void OnLinkServerAttribute(const tagServerAttribute&) override { Push(Kind::Attribute, 0); }
  void OnLinkUserEnter(const tagUserData& user, WORD chair, bool) override {
    Push(Kind::Enter, chair).user = user;
  }
  void OnLinkUserLeave(WORD chair, bool) override { Push(Kind::Leave, chair); }
  void OnLinkUserScore(const tagUserData& user, WORD chair, bool) override {
    Push(Kind::Score, chair).user = user;
  }
  void OnLinkUserStatus(const tagUserData& user, WORD chair, bool) override {
    Push(Kind::Status, chair).user = user;
  }
  void OnLinkScene(BYTE status, bool, const void* data, WORD size) override {
    Push(Kind::Scene, status).data.assign(Bytes(data), Bytes(data) + size);
    tagScene scene;
    if (!DecodeScene(status, Bytes(data), size, m_chair, scene)) ++m_undecodable;
    m_view.ApplyScene(status, Bytes(data), size);
    m_moved = false;
    if (status == STATUS_FREE && m_autoReady) m_wantReady = true;
  }
  void OnLinkGameMessage(WORD id, const void* data, WORD size) override {
    Push(Kind::Message, id).data.assign(Bytes(data), Bytes(data) + size);
    tagServerMessage message;
    if (!DecodeServerMessage(id, Bytes(data), size, m_chair, message)) ++m_undecodable;
    m_view.ApplyMessage(id, Bytes(data), size);
    m_moved = false;
    m_pauseEnds = 0;  // a pause, if any, counts from the latest message
    if (id == SRV_DEAL) m_wantDealDone = true;
    if (id == SRV_RESULT) {
      ++m_results;
      if (m_autoReady) m_wantReady = true;
    }
  }
  void OnLinkClosed() override {
    Push(Kind::Closed, 0);
    m_closed = true;
  }

 private:
  static const uint8_t* Bytes(const void* data) { return static_cast<const uint8_t*>(data); }
  tagEvent& Push(Kind kind, WORD chairOrId) {
    m_events.push_back(tagEvent{kind, chairOrId, {}, {}});
    return m_events.back();
  }

  std::unique_ptr<CBot> m_bot;
  CChairView m_view;
  WORD m_chair = NO_CHAIR;
  std::vector<tagEvent> m_events;
  bool m_autoReady = true;
  bool m_wantReady = false;
  bool m_wantDealDone = false;
  bool m_moved = false;
  bool m_closed = false;
  uint64_t m_pauseEnds = 0;
  unsigned m_results = 0;
  unsigned m_undecodable = 0;
};

}  // namespace headless
