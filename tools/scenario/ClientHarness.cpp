#include "tools/scenario/ClientHarness.h"

#include <cstdio>
#include <sstream>

#include "cardcontrol/CardControl.h"
#include "config/ResourceConfig.h"
#include "motion/Animation_Varnel.h"
#include "motion/MoveSpriteManager_Varnel.h"
#include "platform/engine/hgeSprite.h"
#include "platform/win/WinMessage.h"
#include "widgets/GameSetting.h"
#include "widgets/MyCButtonEx.h"
#include "widgets/ScoreView.h"

namespace scenario {

namespace {

class CSnapshotWriter {
 public:
  explicit CSnapshotWriter(tagSnapshot& out) : m_out(out) {}
  void Put(const std::string& name, const std::string& value) {
    m_out.values.emplace_back(name, value);
  }
  void Put(const std::string& name, int64_t value) { Put(name, std::to_string(value)); }
  void Bytes(const std::string& name, const BYTE* bytes, size_t n) {
    Put(name, headless::HexList(bytes, n));
  }

 private:
  tagSnapshot& m_out;
};

void PutControl(CSnapshotWriter& w, const std::string& name, const CardControl* c) {
  if (c == nullptr) {
    w.Put(name, "none");
    return;
  }
  std::string cards;
  for (DWORD i = 0; i < c->GetCardCount(); ++i) {
    const tagCardItem* item = c->GetItem(i);
    char buf[8];
    std::snprintf(buf, sizeof(buf), "%s%02X%s", i ? "," : "", item->bCardData,
                  item->bRaised ? "^" : "");
    cards += buf;
  }
  w.Put(name + ".cards", cards);
  w.Put(name + ".face", c->IsFaceUp());
  w.Put(name + ".selectable", c->IsSelectable());
  w.Put(name + ".horizontal", c->IsHorizontal());
  w.Put(name + ".shown", c->IsShown());
  w.Put(name + ".visible", c->isVisible());
}

void PutSprite(CSnapshotWriter& w, const std::string& name, const hgeSprite* s) {
  w.Put(name, s == nullptr  ? std::string("none")
              : s->IsShow() ? std::string("shown")
                            : std::string("hidden"));
}

void PutAnimation(CSnapshotWriter& w, const std::string& name, const Animation_Varnel* a) {
  if (a == nullptr) {
    w.Put(name, "none");
    return;
  }
  w.Put(name, std::string(a->IsShow() ? "shown" : "hidden") + (a->IsPlaying() ? " playing" : ""));
}

}  // namespace

std::string DescribeDifference(const tagSnapshot& before, const tagSnapshot& after) {
  std::ostringstream out;
  const size_t n = std::max(before.values.size(), after.values.size());
  for (size_t i = 0; i < n; ++i) {
    const auto* a = i < before.values.size() ? &before.values[i] : nullptr;
    const auto* b = i < after.values.size() ? &after.values[i] : nullptr;
    if (a && b && *a == *b) continue;
    out << (a ? a->first : b->first) << ": " << (a ? a->second : "-") << " -> "
        << (b ? b->second : "-") << "\n";
  }
  return out.str();
}

tagSnapshot WithoutRunningValues(tagSnapshot snap) {
  std::erase_if(snap.values,
                [](const auto& v) { return v.first == "redraws" || v.first == "musicTrack"; });
  return snap;
}

bool CClientHarness::Start(const std::string& dataFolder) {
  if (!CHeadlessClient::Start(dataFolder)) return false;
  KeepFreshView();
  return true;
}

bool CClientHarness::Reset() {
  SetLink(nullptr);
  if (!Running() || Closed()) return Start(DataFolder());
  CGameClientDlg& dlg = Dialog();
  CGameClientView& view = View();
  CLoopbackLink& link = Link();
  // Whatever runs stops: what the link still holds, queued messages, window timers, clocks.
  dlg.PollLink();
  CMessageQueue& queue = CMessageQueue::Instance();
  queue.Forget(&dlg);
  queue.Forget(&view);
  // The background music goes on as the set-up starts it (the set-up itself lays the whole
  // view out again, which a reset has no need of).
  dlg.SetTimer(TIMER_MUSIC, MUSIC_FIRST_MS);
  // The users leave; the own chair and the server are forgotten.
  for (WORD chair = 0; chair < SEAT_COUNT; ++chair) {
    if (dlg.GetUserData(chair) != nullptr) link.DeliverUserLeave(chair);
  }
  link.DeliverSelf(INVALID_CHAIR, false, false);
  link.DeliverServerAttribute(tagServerAttribute{});
  dlg.PollLink();
  // The game as when the player sits down again, and what the game made on demand.
  dlg.ResetGame();
  view.ResetTable();
  for (WORD seat = 0; seat < VIEW_SEAT_COUNT; ++seat) {
    view.m_AniAlart[seat].reset();
    view.m_AniAutoPlay[seat].reset();
  }
  view.DestroyEffectAnimations();
  view.DestroyGameSetting();
  if (view.m_pMoveSprites) view.m_pMoveSprites->Clear();
  if (CScoreView* panel = view.m_pScoreView.get()) {
    // The whole-game figures stay through ClearScoreInfo: an entry of nothing puts them back.
    panel->SetScoreInfo(0, m_fresh.panelChair, nullptr, 0, 0, 0, 0, 0, 0, 0, 0, 0);
    panel->ClearScoreInfo();
    panel->SetDetail(false);
  }
  RestoreFreshView();
  link.ClearSent();
  ClearSounds();
  return !Closed();
}

// The view's plain fields a fresh table starts with, each beside its kept copy: `copy(view's
// field, kept field)` runs once per pair, so keeping and restoring walk one list.
template <class Copy>
void CClientHarness::EachFreshField(CGameClientView& v, tagFreshView& f, Copy copy) {
  for (WORD seat = 0; seat < VIEW_SEAT_COUNT; ++seat) {
    copy(v.m_cbPassFlag[seat], f.pass[seat]);
    copy(v.m_cbAutoPlayFlag[seat], f.autoPlay[seat]);
    copy(v.m_cbAlarmFlag[seat], f.alarm[seat]);
    copy(v.m_cbPlayingFlag[seat], f.playing[seat]);
    copy(v.m_cbCardCount[seat], f.count[seat]);
    copy(v.m_nMaskedFlag[seat], f.masked[seat]);
    copy(v.m_lGold[seat], f.gold[seat]);
    copy(v.m_lLastScore[seat], f.lastScore[seat]);
    copy(v.m_lTotalScore[seat], f.totalScore[seat]);
  }
  copy(v.m_cbGameRunning, f.running);
  copy(v.m_cbGameOver, f.gameOver);
  copy(v.m_cbChangeTable, f.changeTable);
  copy(v.m_cbBankerFlag, f.bankerFlag);
  copy(v.m_cbLeftCardCount, f.deck);
  copy(v.m_cbWaitTip, f.waitTip);
  copy(v.m_cbSeatOrder, f.seatOrder);
  copy(v.m_cbDealFlag, f.dealFlag);
  copy(v.m_wBankerChair, f.banker);
  copy(v.m_wBeiShu, f.multiple);
  copy(v.m_wServerType, f.serverType);
  copy(v.m_wOutCardChair, f.outChair);
  copy(v.m_wMeSeat, f.meSeat);
  copy(v.m_nPosition, f.position);
  copy(v.m_nShakeX, f.shakeX);
  copy(v.m_nShakeY, f.shakeY);
  copy(v.m_fShakePhase, f.shakePhase);
  copy(v.m_lScore, f.score);
  copy(v.m_dwBaseScore[0], f.baseScore[0]);
  copy(v.m_dwBaseScore[1], f.baseScore[1]);
}

void CClientHarness::KeepFreshView() {
  CGameClientView& v = View();
  tagFreshView& f = m_fresh;
  EachFreshField(v, f, [](const auto& field, auto& kept) { kept = field; });
  auto look = [](const CardControl* c) {
    return tagFreshView::tagControl{c->IsFaceUp(), c->IsSelectable(), c->IsHorizontal(),
                                    c->isVisible()};
  };
  for (WORD seat = 0; seat < VIEW_SEAT_COUNT; ++seat) {
    f.hand[seat] = look(v.m_pHandCard[seat].get());
    f.out[seat] = look(v.m_pOutCard[seat].get());
  }
  f.buchu = v.m_pImageBuchu->IsShow();
  f.beishu = v.m_pBeiShu->IsShow();
  f.number = v.m_pNumber->IsShow();
  f.panelChair = v.m_pScoreView->GetChair();
  f.buttons.clear();
  for (const std::string& name : ButtonNames()) {
    gcn::MyCButtonEx* button = Button(name);
    f.buttons.push_back({button->isVisible(), OwnEnabled(button)});
  }
}

void CClientHarness::RestoreFreshView() {
  CGameClientView& v = View();
  tagFreshView& f = m_fresh;
  EachFreshField(v, f, [](auto& field, const auto& kept) { field = kept; });
  auto restore = [](CardControl* c, const tagFreshView::tagControl& look) {
    c->SetCards(nullptr, 0);
    c->SetFaceUp(look.face);
    c->SetSelectable(look.selectable);
    c->SetDirection(look.horizontal);
    c->setVisible(look.visible);
  };
  for (WORD seat = 0; seat < VIEW_SEAT_COUNT; ++seat) {
    restore(v.m_pHandCard[seat].get(), f.hand[seat]);
    restore(v.m_pOutCard[seat].get(), f.out[seat]);
  }
  v.m_pImageBuchu->SetShow(f.buchu);
  v.m_pBeiShu->SetShow(f.beishu);
  v.m_pNumber->SetShow(f.number);
  for (size_t i = 0; i < ButtonNames().size() && i < f.buttons.size(); ++i) {
    gcn::MyCButtonEx* button = Button(ButtonNames()[i]);
    button->SetVisible(f.buttons[i].visible);
    button->SetEnable(f.buttons[i].enabled);
  }
}

tagSnapshot CClientHarness::Snapshot() {
  tagSnapshot snap;
  CSnapshotWriter w(snap);
  CGameClientDlg& dlg = Dialog();
  CGameClientView& view = View();
  const tagClientState& s = dlg.GetState();

  w.Put("hintIndex", s.hintIndex);
  w.Bytes("hand", s.hand, MAX_CARDS);
  w.Put("handCount", s.handCount);
  w.Bytes("cardCount", s.cardCount, SEAT_COUNT);
  w.Put("multiple", s.multiple);
  w.Put("turnTime", s.turnTime);
  w.Put("autoPlay", s.autoPlay);
  w.Put("banker", s.banker);
  w.Put("turnCount", s.turnCount);
  w.Put("turnType", s.turnType);
  w.Bytes("turnCards", s.turnCards, MAX_CARDS);
  w.Bytes("turnResolved", s.turnResolved, MAX_CARDS);
  w.Put("changeTable", s.changeTable);
  w.Put("newTurnChair", s.newTurnChair);
  w.Put("dealt", s.dealt);
  w.Put("leftToDeal", s.leftToDeal);
  w.Bytes("dealBuffer", s.dealBuffer, MAX_CARDS);
  w.Bytes("playing", s.playing, SEAT_COUNT);
  w.Bytes("clockExpiries", s.clockExpiries, SEAT_COUNT);
  w.Put("lastTurnShown", s.lastTurnShown);
  for (WORD c = 0; c < SEAT_COUNT; ++c) {
    const tagPlayMemory& m = s.memory[c];
    const std::string p = "memory[" + std::to_string(c) + "].";
    w.Put(p + "current", m.currentCount);
    w.Bytes(p + "currentCards", m.currentCards, MAX_CARDS);
    w.Put(p + "previous", m.previousCount);
    w.Bytes(p + "previousCards", m.previousCards, MAX_CARDS);
  }
  w.Put("sortMode", s.sortMode);
  w.Put("endValues", std::to_string(s.spring) + "," + std::to_string(s.bombCount) + "," +
                         std::to_string(s.rocketCount) + "," + std::to_string(s.reverseSpring) +
                         "," + std::to_string(s.haoSpring));
  w.Put("musicTrack", s.musicTrack);
  w.Put("pendingCount", s.pendingCount);
  w.Bytes("pendingCards", s.pendingCards, MAX_CARDS);
  const tagGameOptions& o = dlg.GetOptions();
  w.Put("options", std::to_string(o.cardSpace) + "," + std::to_string(o.gameSound) + "," +
                       std::to_string(o.allowLookon) + "," + std::to_string(o.deasilOrder) + "," +
                       std::to_string(o.gameMusic) + "," + std::to_string(o.gameAnimation));
  w.Put("soundSwitch", dlg.GetSoundSwitch());
  w.Put("singleJokerRule", dlg.GetGameLogic().GetSingleJokerRule());
  for (UINT_PTR id :
       {TIMER_NEW_TURN, TIMER_DEAL, TIMER_MUSIC, TIMER_LAST_TURN, TIMER_SHOW_START, TIMER_SHAKE})
    w.Put("timer" + std::to_string(id), dlg.IsTimerRunning(id));
  for (WORD c = 0; c < SEAT_COUNT; ++c)
    w.Put("clock[" + std::to_string(c) + "]", dlg.GetGameTimerSeconds(c));
  w.Put("lastNotice", dlg.GetLastNotice());
  for (WORD c = 0; c < SEAT_COUNT; ++c) {
    const tagHistoryScore* h = dlg.GetHistoryScore().GetHistoryScore(c);
    w.Put("history[" + std::to_string(c) + "]",
          std::to_string(h->lLastScore) + "," + std::to_string(h->lTotalScore));
  }

  // The view.
  for (WORD seat = 0; seat < VIEW_SEAT_COUNT; ++seat) {
    const std::string p = "seat[" + std::to_string(seat) + "].";
    w.Put(p + "pass", view.m_cbPassFlag[seat]);
    w.Put(p + "auto", view.m_cbAutoPlayFlag[seat]);
    w.Put(p + "alarm", view.m_cbAlarmFlag[seat]);
    w.Put(p + "playing", view.m_cbPlayingFlag[seat]);
    w.Put(p + "masked", view.m_nMaskedFlag[seat]);
    w.Put(p + "count", view.m_cbCardCount[seat]);
    w.Put(p + "lastScore", view.m_lLastScore[seat]);
    w.Put(p + "totalScore", view.m_lTotalScore[seat]);
    PutAnimation(w, p + "aniAutoPlay", view.m_AniAutoPlay[seat].get());
    PutAnimation(w, p + "aniAlarm", view.m_AniAlart[seat].get());
    PutControl(w, p + "hand", view.m_pHandCard[seat].get());
    PutControl(w, p + "out", view.m_pOutCard[seat].get());
  }
  w.Put("view.running", view.m_cbGameRunning);
  w.Put("view.gameOver", view.m_cbGameOver);
  w.Put("view.changeTable", view.m_cbChangeTable);
  w.Put("view.banker", view.m_wBankerChair);
  w.Put("view.bankerFlag", view.m_cbBankerFlag);
  w.Put("view.multiple", view.m_wBeiShu);
  w.Put("view.deck", view.m_cbLeftCardCount);
  w.Put("view.serverType", view.m_wServerType);
  w.Put("view.outChair", view.m_wOutCardChair);
  w.Put("view.meSeat", view.m_wMeSeat);
  w.Put("view.waitTip", view.m_cbWaitTip);
  w.Put("view.seatOrder", view.m_cbSeatOrder);
  w.Put("view.position", view.m_nPosition);
  w.Put("view.shake", std::to_string(view.m_nShakeX) + "," + std::to_string(view.m_nShakeY) + "," +
                          std::to_string(view.m_fShakePhase));
  w.Put("view.dealFlag", view.m_cbDealFlag);
  w.Put("view.score", view.m_lScore);
  w.Put("view.baseScore",
        std::to_string(view.m_dwBaseScore[0]) + "," + std::to_string(view.m_dwBaseScore[1]));
  w.Put("view.gameSound", view.m_cbGameSound);
  w.Put("view.cardSpacing", view.m_nCardSpacing);
  PutSprite(w, "sprite.buchu", view.m_pImageBuchu.get());
  PutSprite(w, "sprite.beishu", view.m_pBeiShu.get());
  PutSprite(w, "sprite.number", view.m_pNumber.get());
  PutAnimation(w, "effect.rocket", view.m_pAniRocket.get());
  PutAnimation(w, "effect.rocket2", view.m_pAniRocket2.get());
  PutAnimation(w, "effect.flash", view.m_pAniFlash.get());
  PutAnimation(w, "effect.shunzi", view.m_pAniShunZi.get());
  PutAnimation(w, "effect.liandui", view.m_pAniLianDui.get());
  PutAnimation(w, "effect.spring", view.m_pAniSpring.get());
  PutAnimation(w, "effect.bigSpring", view.m_pAniBigSpring.get());
  PutAnimation(w, "effect.haoSpring", view.m_pAniHaoSpring.get());
  for (const std::string& name : ButtonNames()) {
    gcn::MyCButtonEx* button = Button(name);
    w.Put("button." + name, button == nullptr
                                ? std::string("none")
                                : std::string(button->isVisible() ? "shown" : "hidden") +
                                      (OwnEnabled(button) ? " enabled" : " disabled"));
  }
  if (const CScoreView* panel = view.m_pScoreView.get()) {
    w.Put("panel.shown", panel->IsShow());
    w.Put("panel.detail", panel->IsDetail());
    w.Put("panel.multiple", panel->GetPublicMultiple());
    w.Put("panel.chair", panel->GetChair());
    for (WORD i = 0; i < CScoreView::kEntryCount; ++i) {
      const tagScoreEntry* e = panel->GetEntry(i);
      w.Put("panel.entry[" + std::to_string(i) + "]",
            std::string(e->szName) + "," + std::to_string(e->lScore) + "," +
                std::to_string(e->wPersonalMultiple) + "," + std::to_string(e->cbCardsLeft));
    }
  } else {
    w.Put("panel", "none");
  }
  w.Put("setting",
        view.m_pGameSetting ? (view.m_pGameSetting->isVisible() ? "shown" : "hidden") : "none");
  w.Put("redraws", view.RedrawRequests());
  w.Put("sent", static_cast<int64_t>(Link().Sent().size()));
  w.Put("sounds", static_cast<int64_t>(Sounds().size()));
  w.Put("closed", Closed());
  return snap;
}

}  // namespace scenario
