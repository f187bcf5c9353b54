#include "tools/view_demo/ViewScenes.h"

#include <cstdio>
#include <memory>

#include "cardcontrol/CardControl.h"
#include "config/ResourceConfig.h"
#include "motion/Animation_Varnel.h"
#include "platform/engine/hgeSprite.h"
#include "widgets/GameSetting.h"
#include "widgets/MyCButtonEx.h"
#include "widgets/ScoreView.h"

namespace {

// The seats with the seat order off (the default): seat 0 sits left, seat 2 right.
constexpr WORD kLeft = 0, kMe = 1, kRight = 2;

const BYTE kHand[17] = {0x03, 0x13, 0x04, 0x24, 0x15, 0x35, 0x07, 0x28, 0x18, 0x0A,
                        0x3B, 0x2C, 0x1D, 0x01, 0x21, 0x02, 0x4F};
const BYTE kStraight[5] = {0x05, 0x16, 0x27, 0x38, 0x09};
const BYTE kBomb[4] = {0x0C, 0x1C, 0x2C, 0x3C};
const BYTE kRocket[2] = {0x4E, 0x4F};
const BYTE kBacks[27] = {};
const BYTE kLeftCardsLeft[5] = {0x06, 0x16, 0x2B, 0x3D, 0x4E};
const BYTE kRightCardsLeft[2] = {0x09, 0x29};

void ShowButton(gcn::MyCButtonEx* button, bool enabled) {
  if (button == nullptr) return;
  button->setVisible(true);
  button->setEnabled(enabled);
}

void Dealt(CViewHost& host) {
  CGameClientView& view = host.View();
  host.SetSelf(kMe);
  host.SeatUser(kLeft, "小桃红", GENDER_FEMALE, 0, 9800, US_PLAY);
  host.SeatUser(kMe, "Player_Local", GENDER_MALE, 3, 52340, US_PLAY);
  host.SeatUser(kRight, "云中鹤", GENDER_MALE, 1, 128500, US_PLAY);
  host.Frame();

  view.m_cbGameRunning = 1;
  for (BYTE& playing : view.m_cbPlayingFlag) playing = 1;
  view.SetBankerSeat(kRight, 1);
  view.SetBeiShu(4);
  view.SetLeftCardCount(20);
  if (view.m_pBeiShu) view.m_pBeiShu->SetShow(true);
  if (view.m_pNumber) view.m_pNumber->SetShow(true);
  if (view.m_pImageBuchu) view.m_pImageBuchu->SetShow(true);

  view.SetCardCount(kLeft, 1);
  view.SetCardCount(kRight, 12);
  for (WORD seat : {kLeft, kRight}) {
    CardControl& hand = *view.m_pHandCard[seat];
    hand.SetDirection(false);
    hand.SetFaceUp(false);
    hand.SetCards(kBacks, view.m_cbCardCount[seat]);
  }
  CardControl& mine = *view.m_pHandCard[kMe];
  mine.SetFaceUp(true);
  mine.SetSelectable(true);
  mine.SetCards(kHand, 17);
  const BYTE raised[2] = {0x0A, 0x3B};
  mine.RaiseCards(raised, 2);
  view.m_pOutCard[kMe]->SetCards(kStraight, 5);
  view.m_wOutCardChair = kMe;
  view.SetPassFlag(kLeft, true);

  // The left seat is down to one card and rings; the right seat plays by itself.
  view.m_AniAlart[kLeft] = view.CreateAnimationByName("m_AniAlart", kLeft + 11);
  if (view.m_AniAlart[kLeft]) view.m_AniAlart[kLeft]->Play();
  view.m_cbAlarmFlag[kLeft] = 1;
  view.m_AniAutoPlay[kRight] = view.CreateAnimationByName("m_AniAutoPlay", kRight + 10);
  if (view.m_AniAutoPlay[kRight]) view.m_AniAutoPlay[kRight]->Play();
  view.SetAutoPlayFlag(kRight, true);

  host.Dialog().SetGameTimer(kRight, 200, 12);
  ShowButton(view.m_btAutoPlayOn.get(), true);
  ShowButton(view.m_btSortCard.get(), true);
  ShowButton(view.m_btTurn.get(), true);
  host.Frames(3);
}

// The right seat plays cards: its play shows and effects are placed towards it.
void RightSeatPlays(CGameClientView& view, const BYTE* cards, DWORD count) {
  view.m_pOutCard[kRight]->SetCards(cards, count);
  view.m_wOutCardChair = kRight;
  view.SetPassFlag(kLeft, false);
  view.SetCardCount(kRight, static_cast<BYTE>(view.m_cbCardCount[kRight] - count));
  view.m_pHandCard[kRight]->SetCards(kBacks, view.m_cbCardCount[kRight]);
  view.SetBeiShu(static_cast<WORD>(view.m_wBeiShu * (count == 2 ? 8 : 4)));
}

void Bomb(CViewHost& host) {
  Dealt(host);
  CGameClientView& view = host.View();
  RightSeatPlays(view, kBomb, 4);
  view.PlayBombEffect(true, 8);
  view.StartShake();
  host.Frames(8);
  // The dialog's shake timer steps the shake.
  for (int i = 0; i < 3; ++i) view.ShakeStep();
  host.Frame();
}

void Rocket(CViewHost& host, bool arrived) {
  Dealt(host);
  CGameClientView& view = host.View();
  RightSeatPlays(view, kRocket, 2);
  view.PlayBombEffect(true, 9);
  host.Frames(arrived ? 40 : 12);
}

// How a game ended, for the end scenes.
struct tagEnding {
  int64_t score[3];           // by seat
  const BYTE* lastPlay[3];    // the last play of each seat still on the table, or null
  DWORD lastPlayCount[3];
  const BYTE* cardsLeft[3];   // laid open in the side columns (the local hand's row)
  DWORD cardsLeftCount[3];
  WORD multiple;
};

const BYTE kPairOfTwos[2] = {0x12, 0x02};
const BYTE kPairOfKings[2] = {0x0D, 0x2D};
const BYTE kLongStraight[9] = {0x03, 0x14, 0x25, 0x36, 0x07, 0x18, 0x29, 0x3A, 0x0B};
const BYTE kManyLeft[12] = {0x04, 0x14, 0x05, 0x26, 0x37, 0x08, 0x19, 0x2A, 0x3B, 0x0C, 0x1D,
                            0x4E};
const BYTE kSomeLeft[9] = {0x03, 0x13, 0x06, 0x16, 0x29, 0x2B, 0x3C, 0x01, 0x22};
const BYTE kMineLeft[3] = {0x2A, 0x1A, 0x25};

// A small game the left seat won with a pair of 2s (still on its row), the local seat lost;
// a large one the local seat won with a long straight, both sides paying for many cards.
constexpr tagEnding kSmallEnding = {{40, -24, -16},
                                    {kPairOfTwos, nullptr, kPairOfKings},
                                    {2, 0, 2},
                                    {nullptr, kMineLeft, kRightCardsLeft},
                                    {0, 3, 2},
                                    4};
constexpr tagEnding kLargeEnding = {{-12672, 25344, -12672},
                                    {nullptr, kLongStraight, kBomb},
                                    {0, 9, 4},
                                    {kManyLeft, nullptr, kSomeLeft},
                                    {12, 0, 9},
                                    512};

void End(CViewHost& host, bool detail, const tagEnding& ending) {
  Dealt(host);
  CGameClientView& view = host.View();
  view.m_cbGameRunning = 0;
  view.m_cbGameOver = 1;
  view.SetPassFlag(VIEW_ALL_SEATS, false);
  if (view.m_pImageBuchu) view.m_pImageBuchu->SetShow(false);
  view.SetAutoPlayFlag(VIEW_ALL_SEATS, false);
  for (auto& alarm : view.m_AniAlart) {
    if (alarm) alarm->SetShow(false);
  }
  host.Dialog().KillGameTimer(0);
  // The bots are ready for the next game at once; the player has not pressed start yet.
  host.SeatUser(kLeft, "小桃红", GENDER_FEMALE, 0, 9800 + ending.score[kLeft], US_READY);
  host.SeatUser(kMe, "Player_Local", GENDER_MALE, 3, 52340 + ending.score[kMe], US_PLAY);
  host.SeatUser(kRight, "云中鹤", GENDER_MALE, 1, 128500 + ending.score[kRight], US_READY);
  view.SetBeiShu(ending.multiple);
  for (WORD seat = 0; seat < 3; ++seat) {
    CardControl& out = *view.m_pOutCard[seat];
    out.SetCards(ending.lastPlay[seat], ending.lastPlayCount[seat]);
    out.setVisible(ending.lastPlay[seat] != nullptr);
    CardControl& hand = *view.m_pHandCard[seat];
    if (seat != kMe) {
      hand.SetDirection(false);
      hand.SetSpacing(0, 35, 0);
    }
    hand.SetFaceUp(true);
    hand.SetSelectable(false);
    hand.SetCards(ending.cardsLeft[seat], ending.cardsLeftCount[seat]);
  }
  view.SetCardCount(VIEW_ALL_SEATS, 0);
  CScoreView& panel = *view.m_pScoreView;
  panel.ClearScoreInfo();
  const char* names[3] = {"小桃红", "Player_Local", "云中鹤"};
  for (WORD seat = 0; seat < 3; ++seat) {
    const int64_t score = ending.score[seat];
    panel.SetScoreInfo(seat, kRight, names[seat], 0, 1, 0, 0, 0, ending.multiple, score, 1,
                       static_cast<BYTE>(ending.cardsLeftCount[seat]));
  }
  panel.Show(true);
  panel.SetDetail(detail);
  for (auto* button : {view.m_btAutoPlayOn.get(), view.m_btSortCard.get(), view.m_btTurn.get()}) {
    if (button) button->setVisible(false);
  }
  ShowButton(view.m_pbtDetails.get(), true);
  ShowButton(view.m_btChildStart.get(), true);
  ShowButton(view.m_pbtChangeTable.get(), true);
  char line[96];
  std::snprintf(line, sizeof(line), "[ Player_Local ] 本局得分 %+lld",
                static_cast<long long>(ending.score[kMe]));
  view.ShowNotice(line);
  // The numbers have counted to their ends.
  host.Frames(detail ? 12 : 110);
}

// A game that a spring ends before anybody played: the spring in the middle of the table.
void Spring(CViewHost& host) {
  Dealt(host);
  CGameClientView& view = host.View();
  view.m_pOutCard[kMe]->SetCards(nullptr, 0);
  view.m_wOutCardChair = VIEW_NO_CHAIR;
  view.m_pAniSpring = view.CreateAnimationByName("spring", ANI_ID_SPRING);
  if (view.m_pAniSpring) view.m_pAniSpring->Play();
  host.Frames(20);
}

// The right seat's user leaves and another takes the chair: the newcomer's own face.
void Newcomer(CViewHost& host) {
  Dealt(host);
  host.LeaveUser(kRight);
  host.Frame();
  host.SeatUser(kRight, "新来的", GENDER_FEMALE, 4, 3300, US_READY);
  host.Frames(2);
}

void Options(CViewHost& host) {
  Dealt(host);
  CGameClientView& view = host.View();
  // As the dialog opens it: made, put in the container, its background, shown.
  view.m_pGameSetting = std::make_unique<CGameSetting>();
  view.GetGuiContainer()->add(view.m_pGameSetting.get());
  view.m_pGameSetting->LoadBackground(ResourceConfig().GetResourcePath("m_pGameSetting"));
  view.m_pGameSetting->SetMusic(1);
  view.m_pGameSetting->SetGameSound(1);
  view.m_pGameSetting->SetAnimation(1);
  view.m_pGameSetting->SetCardSpacing(24);
  view.m_pGameSetting->RefreshControls();
  view.m_pGameSetting->setVisible(true);
  view.ArrangeView(host.Engine()->System_GetStateInt(HGE_SCREENWIDTH),
                   host.Engine()->System_GetStateInt(HGE_SCREENHEIGHT));
  view.ShowNotice("[ 云中鹤 ] 玩家选择了托管");
  host.Frames(2);
}

}  // namespace

const char* ViewSceneNames() {
  return "dealt bomb rocket burst spring newcomer end end-large end-detail options";
}

bool BuildViewScene(CViewHost& host, const std::string& scene) {
  if (scene == "dealt") {
    Dealt(host);
  } else if (scene == "bomb") {
    Bomb(host);
  } else if (scene == "rocket") {
    Rocket(host, false);
  } else if (scene == "burst") {
    Rocket(host, true);
  } else if (scene == "spring") {
    Spring(host);
  } else if (scene == "newcomer") {
    Newcomer(host);
  } else if (scene == "end") {
    End(host, false, kSmallEnding);
  } else if (scene == "end-large") {
    End(host, false, kLargeEnding);
  } else if (scene == "end-detail") {
    End(host, true, kLargeEnding);
  } else if (scene == "options") {
    Options(host);
  } else {
    return false;
  }
  return true;
}
