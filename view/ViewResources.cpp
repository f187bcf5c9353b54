// The view's resources: the step at window creation (font, render target, sprites, card
// controls, buttons, the end panel, sounds and voices), textures by resource key, sprites and
// animations cut from them, the seat portraits, the bomb and rocket effects, and freeing all of
// it again.
#include <cstdio>
#include <cstring>

#include "cardcontrol/CardControl.h"
#include "config/ResourceConfig.h"
#include "motion/Animation_Varnel.h"
#include "motion/MoveSpriteManager_Varnel.h"
#include "motion/MoveType_Path_Varnel.h"
#include "platform/engine/hgeSprite.h"
#include "platform/win/DataFault.h"
#include "text/FontManager.h"
#include "text/TTFont.h"
#include "view/GameClientView.h"
#include "widgets/GameSetting.h"
#include "widgets/MyCButtonEx.h"
#include "widgets/ScoreView.h"

namespace {

// The table's text: 18 pixels high.
constexpr int kFontPixels = 18;
// Effects are drawn at this depth.
constexpr float kEffectDepth = 0.3f;
// The rocket's flight, in design pixels per second.
constexpr float kRocketSpeed = 2000.0f;
constexpr int kRocketStartFrame = 2;
// Where the auto-play off button waits until the first layout pass.
constexpr int kAutoOffFirstX = 430;
constexpr int kAutoOffFirstY = 595;
// How far from the middle of the table an effect is put for a side seat.
constexpr int kEffectSideOffset = 150;

// How each animation is cut from its texture: frames of (width / columns) x (height / rows).
struct tagAnimationCut {
  const char* name;
  int id;  // kCallerId: the caller's
  int frames;
  float fps;
  int columns;
  int rows;
  int mode;     // kKeepMode: the animation's own (forward loop)
  bool effect;  // drawn at the effect depth
  bool shown;   // made shown (the game-end springs) or hidden
};
constexpr int kCallerId = -1;
constexpr int kKeepMode = -1;
constexpr tagAnimationCut kAnimationCuts[] = {
    {"m_pAniRocket", ANI_ID_ROCKET, 4, 12.0f, 4, 1, kKeepMode, true, false},
    {"m_pAniRocket2", ANI_ID_ROCKET_BURST, 9, 12.0f, 3, 3, 0, true, false},
    {"m_pAniFlash", ANI_ID_FLASH, 20, 12.0f, 5, 5, 0, true, false},
    {"m_AniAutoPlay", kCallerId, 3, 5.0f, 3, 1, 4, false, false},
    {"m_AniAlart", kCallerId, 4, 4.0f, 4, 1, 4, false, false},
    {"m_pAniShunZi", ANI_ID_SHUNZI, 15, 6.0f, 3, 6, 0, true, false},
    {"m_pAniLianDui", ANI_ID_LIANDUI, 18, 12.0f, 3, 6, 0, true, false},
    {"spring", ANI_ID_SPRING, 15, 6.0f, 5, 3, kKeepMode, false, true},
    {"bigSpring", ANI_ID_BIG_SPRING, 15, 10.0f, 5, 3, kKeepMode, false, true},
    {"haoSpring", ANI_ID_HAO_SPRING, 15, 10.0f, 5, 3, kKeepMode, false, true},
};

const tagAnimationCut* FindAnimationCut(const char* name) {
  if (name == nullptr) return nullptr;
  for (const tagAnimationCut& cut : kAnimationCuts) {
    if (std::strcmp(cut.name, name) == 0) return &cut;
  }
  return nullptr;
}

}  // namespace

// ---- creation ------------------------------------------------------------------------------

int CGameClientView::OnCreate() {
  if (CBrisvaneView2D::OnCreate() == -1) return -1;
  return LoadResources();
}

ResourceConfig& CGameClientView::Config() {
  if (!m_pConfig) m_pConfig = std::make_unique<ResourceConfig>();
  return *m_pConfig;
}

int CGameClientView::LoadResources() {
  s_pRenderView = this;
  Config();
  m_pHge->System_SetStateFunc(HGE_RENDERFUNC, &CGameClientView::RenderFrame);

  // Without its font the table cannot show a name: window creation fails.
  m_pFontManager = std::make_unique<CFontManager>();
  const std::string fontPath = Config().GetFontPath();
  if (!m_pFontManager->Init() || !m_pFontManager->LoadFont(fontPath.c_str())) {
    NoteDataFault(fontPath, DataFaultOf(fontPath));
    return -1;
  }
  m_pFont = m_pFontManager->GetFont(fontPath.c_str());
  if (m_pFont == nullptr) return -1;

  m_hTarget = m_pHge->Target_Create(1280, 720, false);
  if (m_hTarget != 0)
    m_pTargetSprite = std::make_unique<hgeSprite>(m_pHge->Target_GetTexture(m_hTarget), 0.0f, 0.0f,
                                                  1280.0f, 720.0f);

  // The glyphs every table shows at once are rendered now, not in the first frames.
  m_pFont->SetColor(kTextColor);
  m_pFont->SetSize(kFontPixels);
  m_pFont->CacheRange(L'a', L'z');
  m_pFont->CacheString(L"ABCDEFGHIJKLMNOPQRSTUVWXYZ");

  if (!m_pMoveSprites) m_pMoveSprites = std::make_unique<MoveSpriteManager_Varnel>();
  CreateSprites();
  CreateCardControls();
  CreatePanelLayer();  // after the card controls, before the buttons: the panel lies between
  CreateButtons();
  m_pWaitTip = CreateImageSprite("m_pWaitTip");
  m_pImgLeftText = CreateImageSprite("m_pImgLeftText");
  m_pScoreView = std::make_unique<CScoreView>(m_pHge, m_pFont, 0, 0);
  m_pScoreView->Show(false);
  LoadSounds();
  return 0;
}

std::unique_ptr<hgeSprite> CGameClientView::CreateImageSprite(const char* key) {
  return CreateSpriteByName(LoadTextureByKey(key), SPRITE_KIND_IMAGE, key, 0, 0);
}

void CGameClientView::CreateSprites() {
  auto sprite = [this](const char* key) { return CreateImageSprite(key); };
  m_ImageViewBack = sprite("m_ImageViewBack");
  for (int p = 0; p < VIEW_SEAT_COUNT; ++p) {
    char key[32];
    std::snprintf(key, sizeof(key), "m_pImageViewBox%d", p);
    m_pImageViewBox[p] = sprite(key);
  }
  m_pGoldBg = sprite("m_pGoldBg");
  m_pReady = sprite("m_pReady");
  m_pImageBuchu = sprite("m_pImageBuchu");
  m_pTimeNumber = sprite("m_pTimeNumber");
  m_pPlayerLeftNumBg = sprite("m_pPlayerLeftNumBg");
  m_pPlayerLeftNum = sprite("m_pPlayerLeftNum");
  m_pImageNumBack = sprite("m_pImageNumBack");
  m_pTopView = sprite("m_pTopView");
  // The multiple's caption and the panel digits wait until a game shows them.
  m_pBeiShu = sprite("m_pBeiShu");
  if (m_pBeiShu) m_pBeiShu->SetShow(false);
  m_pBei = sprite("m_pBei");
  m_pNumber = sprite("m_pNumber");
  if (m_pNumber) m_pNumber->SetShow(false);
  m_pFaceBg = sprite("m_pFaceBg");
  m_pImageLandFace = sprite("m_pImageLandFace");
}

void CGameClientView::CreateCardControls() {
  gcn::Container* container = GetGuiContainer();
  for (WORD seat = 0; seat < VIEW_SEAT_COUNT; ++seat) {
    // The view owns every control and passes their messages on to the dialog.
    m_pOutCard[seat] = std::make_unique<CardControl>(this);
    m_pHandCard[seat] = std::make_unique<CardControl>(this);
    for (CardControl* control : {m_pOutCard[seat].get(), m_pHandCard[seat].get()}) {
      if (container) container->add(control);
      control->SetCards(nullptr, 0);
      control->setVisible(true);
    }
  }

  // Plays are rows, the side hands columns, the local hand the selectable row. Where they lie,
  // and the steps of the plays and of the local hand, are the layout's (PlaceSeats).
  struct tagFirstSetup {
    CardControl* control;
    bool horizontal;
    bool selectable;
    bool setSpacing;
    UINT step[3];
  };
  const tagFirstSetup setups[] = {
      {m_pOutCard[0].get(), true, false, true, {35, 0, 0}},
      {m_pOutCard[1].get(), true, false, true, {35, 0, 20}},
      {m_pOutCard[2].get(), true, false, true, {35, 0, 0}},
      {m_pHandCard[0].get(), false, false, true, {0, 35, 0}},
      {m_pHandCard[1].get(), true, true, false, {0, 0, 0}},
      {m_pHandCard[2].get(), false, false, true, {0, 35, 0}},
  };
  for (const tagFirstSetup& setup : setups) {
    CardControl& control = *setup.control;
    control.SetDirection(setup.horizontal);
    control.SetFaceUp(true);
    control.SetSelectable(setup.selectable);
    if (setup.setSpacing) control.SetSpacing(setup.step[0], setup.step[1], setup.step[2]);
  }
}

std::unique_ptr<gcn::MyCButtonEx> CGameClientView::CreateButton(const char* key, bool enabled) {
  auto button = std::make_unique<gcn::MyCButtonEx>(Config().GetResourcePath(key));
  if (gcn::Container* container = GetGuiContainer()) container->add(button.get());
  button->addActionListener(this);
  button->setVisible(false);
  button->setEnabled(enabled);
  return button;
}

void CGameClientView::CreateButtons() {
  m_btOutCard = CreateButton("m_btOutCard", true);
  m_btAutoOutCard = CreateButton("m_btAutoOutCard", true);
  m_btPassCard = CreateButton("m_btPassCard", true);
  m_btAutoPlayOn = CreateButton("m_btAutoPlayOn", false);
  m_btSortCard = CreateButton("m_btSortCard", false);
  m_btTurn = CreateButton("m_btTurn", false);
  m_pbtDetails = CreateButton("m_pbtDetails", false);
  m_sndClock = LoadSoundByKey("sndClock");
  m_btAutoPlayOff = CreateButton("m_btAutoPlayOff", true);
  m_btAutoPlayOff->setPosition(kAutoOffFirstX, kAutoOffFirstY);
  m_btChildStart = CreateButton("m_btChildStart", true);
  m_pbtChangeTable = CreateButton("m_pbtChangeTable", true);
}

HEFFECT CGameClientView::LoadSoundFile(const char* path) {
  if (path == nullptr || path[0] == '\0') return 0;
  return m_pHge->Effect_Load(path, 0);
}

HEFFECT CGameClientView::LoadSoundByKey(const char* key) {
  return LoadSoundFile(Config().GetResourcePath(key).c_str());
}

namespace {
const char* const kVoiceGender[VOICE_GENDERS] = {"MALE", "FEMALE"};
const char* VoiceGender(int genderIndex) { return kVoiceGender[genderIndex == 1 ? 1 : 0]; }
}  // namespace

std::string SingleVoiceFile(int genderIndex, int n) {
  return std::string("Torvaly\\sound\\") + VoiceGender(genderIndex) + "_" + std::to_string(n) +
         ".wav";
}

std::string PairVoiceFile(int genderIndex, int n) {
  return std::string("Torvaly\\sound\\") + VoiceGender(genderIndex) + "_DB_" + std::to_string(n) +
         ".wav";
}

std::string LineVoiceFile(int genderIndex, bool pairs) {
  return std::string("Torvaly\\sound\\") + VoiceGender(genderIndex) +
         (pairs ? "_DB_LINE.wav" : "_LINE.wav");
}

std::string PortraitFile(int gender, int face) {
  return "Torvaly\\people\\" + std::to_string(gender) + std::to_string(face) + "\\10.png";
}

void CGameClientView::LoadSounds() {
  m_hSoundHit = LoadSoundByKey("m_hSoundHit");
  m_sndBtn = LoadSoundByKey("sndBtn");
  m_sndAlarm = LoadSoundByKey("sndAlarm");
  for (int g = 0; g < VOICE_GENDERS; ++g) {
    for (int n = 1; n <= VOICE_SINGLES; ++n) {
      m_sndSingle[g][n - 1] = LoadSoundFile(SingleVoiceFile(g, n).c_str());
    }
  }
  for (int g = 0; g < VOICE_GENDERS; ++g) {
    for (int n = 1; n <= VOICE_PAIRS; ++n) {
      m_sndPair[g][n - 1] = LoadSoundFile(PairVoiceFile(g, n).c_str());
    }
  }
  for (int g = 0; g < VOICE_GENDERS; ++g) {
    m_sndLine[g] = LoadSoundFile(LineVoiceFile(g, false).c_str());
    m_sndDoubleLine[g] = LoadSoundFile(LineVoiceFile(g, true).c_str());
  }
  m_sndShunzi = LoadSoundFile(SHUNZI_SOUND_FILE);
  m_sndLiandui = LoadSoundByKey("m_sndLiandui");
  m_sndBomb = LoadSoundByKey("m_sndBomb");
  m_sndOut35 = LoadSoundByKey("out35");
  m_sndRocket = LoadSoundByKey("rocketSound");
  m_sndGameStart = LoadSoundByKey("gamestartsound");
  m_sndMostCard = LoadSoundByKey("MOST_CARD");
  m_sndPassBoy = LoadSoundByKey("Pass_Boy");
  m_sndPassGirl = LoadSoundByKey("Pass_Girl");
  m_sndGoodEnd = LoadSoundByKey("GoodEnd");
  m_sndCheer = LoadSoundByKey("Cheer");
  m_sndBadEnd = LoadSoundByKey("BadEnd");
  m_sndDispatch = LoadSoundByKey("sndDispatch");
  m_sndManStart = LoadSoundByKey("sndManStart");
  m_sndWomanStart = LoadSoundByKey("sndWomanStart");
}

// ---- textures, sprites, animations ---------------------------------------------------------

HTEXTURE CGameClientView::LoadTextureByKey(const char* key) {
  if (key == nullptr || key[0] == '\0') return 0;
  for (int i = 0; i < m_nKeyTextures; ++i) {
    if (std::strcmp(m_KeyTextures[i].szKey, key) == 0) return m_KeyTextures[i].hTexture;
  }
  // A key longer than the table's slot, or one past its end, is not a resource of the view:
  // loading it uncached would lose the texture.
  if (std::strlen(key) >= sizeof(m_KeyTextures[0].szKey) || m_nKeyTextures >= kMaxKeyTextures)
    return 0;
  const std::string path = Config().GetResourcePath(key);
  const HTEXTURE texture = path.empty() ? 0 : m_pHge->Texture_Load(path.c_str(), 0, false);
  tagKeyTexture& slot = m_KeyTextures[m_nKeyTextures++];
  std::snprintf(slot.szKey, sizeof(slot.szKey), "%s", key);
  slot.hTexture = texture;
  return texture;
}

void CGameClientView::FreeEffectTextures() {
  for (const tagAnimationCut& cut : kAnimationCuts) {
    if (cut.id == kCallerId) continue;  // the per-seat marks stay
    for (int i = 0; i < m_nKeyTextures; ++i) {
      if (std::strcmp(m_KeyTextures[i].szKey, cut.name) != 0) continue;
      m_pHge->Texture_Free(m_KeyTextures[i].hTexture);
      m_KeyTextures[i] = m_KeyTextures[--m_nKeyTextures];
      break;
    }
  }
}

std::unique_ptr<Animation_Varnel> CGameClientView::MakeAnimation(HTEXTURE texture, const char* name,
                                                                 int id) {
  const tagAnimationCut* cut = FindAnimationCut(name);
  if (cut == nullptr || texture == 0) return nullptr;
  const int frameW = m_pHge->Texture_GetWidth(texture, true) / cut->columns;
  const int frameH = m_pHge->Texture_GetHeight(texture, true) / cut->rows;
  // An image too small for its grid has no frame to show.
  if (frameW < 1 || frameH < 1) return nullptr;
  auto animation = std::make_unique<Animation_Varnel>(
      cut->id == kCallerId ? id : cut->id, texture, cut->frames, cut->fps, 0.0f, 0.0f,
      static_cast<float>(frameW), static_cast<float>(frameH));
  if (cut->mode != kKeepMode) animation->SetMode(cut->mode);
  if (cut->effect) animation->SetZ(kEffectDepth, -1);
  animation->SetShow(cut->shown);
  return animation;
}

std::unique_ptr<hgeSprite> CGameClientView::CreateSpriteByName(HTEXTURE texture, int kind,
                                                               const char* name, int /*ignored*/,
                                                               int id) {
  if (texture == 0 || name == nullptr) return nullptr;
  if (kind == SPRITE_KIND_IMAGE) return std::make_unique<hgeSprite>(texture);
  if (kind == SPRITE_KIND_ANIMATION) return MakeAnimation(texture, name, id);
  return nullptr;
}

std::unique_ptr<Animation_Varnel> CGameClientView::CreateAnimationByName(const char* key, int id) {
  if (FindAnimationCut(key) == nullptr) return nullptr;
  return MakeAnimation(LoadTextureByKey(key), key, id);
}

void CGameClientView::LoadPeopleImage(WORD faceId, WORD chair, BYTE gender) {
  if (chair >= VIEW_SEAT_COUNT) return;
  // Each user who sits down shows their own face: the previous user's portrait goes, also when
  // the newcomer's picture is missing (the seat then shows no portrait at all).
  m_pPortrait[chair].reset();
  m_pHge->Texture_Free(m_hPortraitTexture[chair]);
  m_hPortraitTexture[chair] = 0;
  const HTEXTURE texture = m_pHge->Texture_Load(PortraitFile(gender, faceId + 1).c_str(), 0, false);
  if (texture == 0) return;
  m_hPortraitTexture[chair] = texture;
  m_pPortrait[chair] = std::make_unique<hgeSprite>(texture);
}

// ---- effects -------------------------------------------------------------------------------

void CGameClientView::PlayBombEffect(bool show, BYTE cardType) {
  if (!show) return;
  if (cardType >= 5 && cardType <= 8) {
    if (!m_pAniFlash) m_pAniFlash = CreateAnimationByName("m_pAniFlash", ANI_ID_FLASH);
    if (m_pAniFlash) m_pAniFlash->Play();
    return;
  }
  if (cardType != 9) return;
  if (!m_pAniRocket) m_pAniRocket = CreateAnimationByName("m_pAniRocket", ANI_ID_ROCKET);
  if (!m_pAniRocket2) m_pAniRocket2 = CreateAnimationByName("m_pAniRocket2", ANI_ID_ROCKET_BURST);
  // The burst tells the view when its run ends, so it can linger a second before it goes.
  if (m_pAniRocket2) m_pAniRocket2->SetCallBack(this);
  if (!m_pAniRocket || !m_pMoveSprites) return;
  m_pAniRocket->Play();
  auto path = std::make_unique<MoveType_Path_Varnel>(MOTION_ID_ROCKET);
  path->SetSpeed(kRocketSpeed);
  path->AddPoint(static_cast<float>(m_ptRocketEnd.x), static_cast<float>(m_ptRocketEnd.y));
  m_pMoveSprites->AddSprite(std::make_unique<MoveSprite_Varnel>(
      m_pAniRocket.get(), std::move(path), this, static_cast<float>(m_ptRocketStart.x),
      static_cast<float>(m_ptRocketStart.y), kRocketStartFrame));
}

void CGameClientView::PlaceEffect(Animation_Varnel* animation) {
  if (animation == nullptr) return;
  // Beside the middle of the table, towards the seat that played; in the middle when nobody
  // has played yet (a spring that ends the game before the first play).
  int side = 0;
  if (m_wOutCardChair < VIEW_SEAT_COUNT) {
    SelectSeatPosition(m_wOutCardChair);
    side = m_nPosition == 2 ? -kEffectSideOffset : m_nPosition == 0 ? kEffectSideOffset : 0;
  }
  m_ptEffect.x = static_cast<int>(640.0f - animation->GetWidth() / 2.0f + static_cast<float>(side));
  m_ptEffect.y = static_cast<int>(360.0f - animation->GetHeight() / 2.0f);
}

// ---- destruction ---------------------------------------------------------------------------

void CGameClientView::OnDestroy() {
  // The widget container goes with the base; the widgets themselves live on with the view.
  RemoveWidgets();
  if (s_pRenderView == this) {
    s_pRenderView = nullptr;
    m_pHge->System_SetStateFunc(HGE_RENDERFUNC, nullptr);
  }
  CBrisvaneView2D::OnDestroy();
}

void CGameClientView::RemoveWidgets() {
  gcn::Container* container = GetGuiContainer();
  if (container == nullptr) return;
  auto remove = [container](gcn::Widget* widget) {
    if (widget != nullptr && widget->getParent() == container) container->remove(widget);
  };
  for (WORD seat = 0; seat < VIEW_SEAT_COUNT; ++seat) {
    remove(m_pOutCard[seat].get());
    remove(m_pHandCard[seat].get());
  }
  remove(m_pPanelLayer.get());
  for (auto* button :
       {&m_btOutCard, &m_btAutoOutCard, &m_btPassCard, &m_btAutoPlayOn, &m_btSortCard, &m_btTurn,
        &m_pbtDetails, &m_btAutoPlayOff, &m_btChildStart, &m_pbtChangeTable})
    remove(button->get());
  remove(m_pGameSetting.get());
}

CGameClientView::~CGameClientView() { FreeEverything(); }

void CGameClientView::FreeEverything() {
  if (s_pRenderView == this) {
    s_pRenderView = nullptr;
    m_pHge->System_SetStateFunc(HGE_RENDERFUNC, nullptr);
  }
  RemoveWidgets();
  // Moving sprites point at animations, animations and sprites at textures, the end panel at
  // the font: each goes before what it uses.
  m_pMoveSprites.reset();
  DestroyEffectAnimations();
  for (WORD seat = 0; seat < VIEW_SEAT_COUNT; ++seat) {
    m_AniAutoPlay[seat].reset();
    m_AniAlart[seat].reset();
    m_pPortrait[seat].reset();
    m_pImageViewBox[seat].reset();
    m_pOutCard[seat].reset();
    m_pHandCard[seat].reset();
  }
  CardControl::ReleaseSharedSheets();  // the view owns every card control
  for (auto* sprite :
       {&m_ImageViewBack, &m_pGoldBg, &m_pReady, &m_pImageBuchu, &m_pTimeNumber,
        &m_pPlayerLeftNumBg, &m_pPlayerLeftNum, &m_pImageNumBack, &m_pTopView, &m_pBeiShu, &m_pBei,
        &m_pNumber, &m_pFaceBg, &m_pImageLandFace, &m_pWaitTip, &m_pImgLeftText, &m_pTargetSprite})
    sprite->reset();
  for (auto* button :
       {&m_btOutCard, &m_btAutoOutCard, &m_btPassCard, &m_btAutoPlayOn, &m_btSortCard, &m_btTurn,
        &m_pbtDetails, &m_btAutoPlayOff, &m_btChildStart, &m_pbtChangeTable})
    button->reset();
  DestroyGameSetting();
  m_pPanelLayer.reset();
  m_pScoreView.reset();
  m_pFont = nullptr;
  m_pFontManager.reset();

  for (int i = 0; i < m_nKeyTextures; ++i) m_pHge->Texture_Free(m_KeyTextures[i].hTexture);
  m_nKeyTextures = 0;
  for (HTEXTURE& texture : m_hPortraitTexture) {
    m_pHge->Texture_Free(texture);
    texture = 0;
  }
  m_pHge->Target_Free(m_hTarget);
  m_hTarget = 0;
  FreePanelUnder();

  auto freeSound = [this](HEFFECT& effect) {
    m_pHge->Effect_Free(effect);
    effect = 0;
  };
  for (HEFFECT* effect :
       {&m_sndClock, &m_hSoundHit, &m_sndBtn, &m_sndAlarm, &m_sndLiandui, &m_sndBomb, &m_sndOut35,
        &m_sndRocket, &m_sndGameStart, &m_sndMostCard, &m_sndPassBoy, &m_sndPassGirl, &m_sndGoodEnd,
        &m_sndCheer, &m_sndBadEnd, &m_sndDispatch, &m_sndManStart, &m_sndWomanStart, &m_sndShunzi})
    freeSound(*effect);
  for (int g = 0; g < VOICE_GENDERS; ++g) {
    for (HEFFECT& effect : m_sndSingle[g]) freeSound(effect);
    for (HEFFECT& effect : m_sndPair[g]) freeSound(effect);
    freeSound(m_sndLine[g]);
    freeSound(m_sndDoubleLine[g]);
  }
  m_pConfig.reset();
}
