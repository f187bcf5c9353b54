// torvaly-widgets-demo: the card controls and the panels over the table, headless, with the
// resource folder's art. Writes three 1280 x 720 PNGs of one table: a 17-card hand with three
// raised cards and a sweep in progress, the two side hands as columns of backs at 0.55 and the
// right seat's play at 0.6, under
//   widgets_options.png  the game-end panel in the simple form mid-count, the options window open;
//   widgets_simple.png   the same panel a few frames later, the options window closed;
//   widgets_detail.png   the panel in the detail form.
//
//   torvaly-widgets-demo [--data DIR] [--out-dir DIR]
#include <SDL2/SDL.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "cardcontrol/CardControl.h"
#include "config/ResourceConfig.h"
#include "platform/engine/hgeSprite.h"
#include "platform/gui/SDL2Graphics.h"
#include "platform/win/ResourceFolder.h"
#include "text/FontManager.h"
#include "widgets/GameSetting.h"
#include "widgets/ScoreView.h"

namespace {

constexpr int kW = 1280, kH = 720;

struct tagPoint {
  int x, y;
};

// A point of the coordinate file, or the fallback when the file has neither value.
tagPoint ReadPoint(const ResourceConfig& config, const std::string& stem, tagPoint fallback) {
  const int x = config.GetCoordinate((stem + "X").c_str());
  const int y = config.GetCoordinate((stem + "Y").c_str());
  return x == 0 && y == 0 ? fallback : tagPoint{x, y};
}

void PushMouse(Uint32 type, int x, int y) {
  SDL_Event e{};
  e.type = type;
  if (type == SDL_MOUSEMOTION) {
    e.motion.x = x;
    e.motion.y = y;
  } else {
    e.button.button = SDL_BUTTON_LEFT;
    e.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
    e.button.clicks = 1;
    e.button.x = x;
    e.button.y = y;
  }
  SDL_PushEvent(&e);
}

class Demo {
 public:
  explicit Demo(HGE* hge) : m_hge(hge) {}
  ~Demo() {
    for (auto& c : m_controls) m_top.remove(c.get());
    if (m_setting) m_top.remove(m_setting.get());
    m_gui.setTop(nullptr);
    m_setting.reset();
    for (auto& c : m_controls) c.reset();
    CardControl::ReleaseSharedSheets();  // after the last control
    m_panel.reset();
    m_blit.reset();
    m_background.reset();
    m_fonts.reset();
    if (m_backTex) m_hge->Texture_Free(m_backTex);
    if (m_target) m_hge->Target_Free(m_target);
  }

  bool Build() {
    gcn::SDL2ImageLoader::Install();
    m_graphics.setTargetSize(kW, kH);
    m_top.setOpaque(false);
    m_top.setDimension(gcn::Rectangle(0, 0, kW, kH));
    m_gui.setGraphics(&m_graphics);
    m_gui.setInput(&m_input);
    m_gui.setTop(&m_top);

    m_target = m_hge->Target_Create(kW, kH, false);
    m_blit = std::make_unique<hgeSprite>(m_hge->Target_GetTexture(m_target), 0, 0, kW, kH);
    m_backTex = m_hge->Texture_Load(m_config.GetResourcePath("m_ImageViewBack").c_str());
    if (m_backTex) m_background = std::make_unique<hgeSprite>(m_backTex);

    // The table's font, as the view sets it up: opaque yellow, 18 pixels.
    m_fonts = std::make_unique<CFontManager>();
    std::string fontPath = m_config.GetFontPath();
    if (m_fonts->Init() && !m_fonts->LoadFont(fontPath.c_str())) {
      fontPath = GetExecutableFolder() + "/Torvaly/fzzy.TTF";
      m_fonts->LoadFont(fontPath.c_str());
    }
    if (CTTFont* font = m_fonts->GetFont(fontPath.c_str())) {
      font->SetColor(0xFFFFFF00);
      font->SetSize(18);
      m_font = font;
    } else {
      std::fprintf(stderr, "torvaly-widgets-demo: no font at %s\n", fontPath.c_str());
    }

    BuildCards();
    BuildPanel();
    BuildOptions();
    return m_controls[1]->GetCardImage() != nullptr;
  }

  // A sweep in progress over four cards of the hand, as a person's mouse makes it.
  void StartSweep() {
    CardControl& hand = *m_controls[1];
    const int y = hand.getY() + hand.getHeight() - 30;
    const int x0 = hand.getX() + 40 * 11 + 20, x1 = hand.getX() + 40 * 14 + 20;
    PushMouse(SDL_MOUSEMOTION, x0, y);
    PushMouse(SDL_MOUSEBUTTONDOWN, x0, y);
    PushMouse(SDL_MOUSEMOTION, (x0 + x1) / 2, y);
    PushMouse(SDL_MOUSEMOTION, x1, y);
    SDL_Event e;
    while (m_hge->System_PollEvent(&e)) m_input.pushInput(e);
    gcn::GuiGuard("demo", [&] { m_gui.logic(); });
    std::printf("sweep from card %d to card %d\n", hand.GetDragStart(), hand.GetDragEnd());
  }

  // The view's order: the table and the panel into the canvas, the canvas onto the screen, the
  // widgets on top.
  void Render(int frames, bool detail, bool options, const std::string& png) {
    m_panel->SetDetail(detail);
    m_setting->setVisible(options);
    for (int f = 0; f < frames; ++f) {
      m_panel->Update(1.0f / 60.0f);
      m_panel->Count();
      if (m_hge->Gfx_BeginScene(m_target)) {
        m_hge->Gfx_Clear(0xFF000000);
        if (m_background) m_background->Render(0, 0);
        m_panel->Draw(1);
        m_hge->Gfx_EndScene();
      }
      if (m_hge->Gfx_BeginScene(0)) {
        m_hge->Gfx_Clear(0xFF000000);
        m_blit->Render(0, 0);
        gcn::GuiGuard("demo", [&] { m_gui.draw(); });
        m_hge->Gfx_EndScene();
      }
    }
    const tagScoreEntry* me = m_panel->GetEntry(1);
    std::printf("%s: %s form, local gold %lld of %lld\n", png.c_str(), detail ? "detail" : "simple",
                static_cast<long long>(me->lShownGold), static_cast<long long>(me->lScore));
    if (!m_hge->System_Snapshot(png.c_str()))
      std::fprintf(stderr, "torvaly-widgets-demo: cannot write %s\n", png.c_str());
  }

 private:
  void BuildCards() {
    for (auto& c : m_controls) {
      c = std::make_unique<CardControl>();
      m_top.add(c.get());
    }
    // 0 right hand, 1 local hand, 2 left hand, 3 the right seat's play.
    const tagPoint right = ReadPoint(m_config, "RightPlayerHandCard", {866, 173});
    const tagPoint me = ReadPoint(m_config, "MePlayerHandCard", {512, 433});
    const tagPoint left = ReadPoint(m_config, "LeftPlayerHandCard", {160, 173});
    const tagPoint out = ReadPoint(m_config, "RightPlayerOutCard", {767, 115});

    static const BYTE kHand[17] = {0x4F, 0x4E, 0x02, 0x22, 0x01, 0x31, 0x0D, 0x1C, 0x2B,
                                   0x0A, 0x19, 0x38, 0x27, 0x16, 0x25, 0x04, 0x33};
    static const BYTE kBacks[17] = {};
    static const BYTE kPlay[5] = {0x15, 0x26, 0x07, 0x38, 0x19};
    static const BYTE kRaise[3] = {0x02, 0x22, 0x01};

    CardControl& hand = *m_controls[1];
    hand.SetOwnerWindow(nullptr);
    hand.SetFaceUp(true);
    hand.SetSelectable(true);
    hand.SetSpacing(40, 0, 20);
    hand.SetCards(kHand, 17);
    hand.SetAnchor(me.x, me.y, 1, 0, 1);
    hand.RaiseCards(kRaise, 3);

    for (int seat : {0, 2}) {
      CardControl& side = *m_controls[seat];
      side.SetDirection(false);
      side.SetScale(0.55f, 0.55f);
      side.SetSpacing(0, 35, 0);
      side.SetCards(kBacks, seat == 0 ? 17 : 15);
      const tagPoint at = seat == 0 ? right : left;
      side.SetAnchor(at.x, at.y, seat == 0 ? 2 : 0, 1, 1);
    }

    CardControl& play = *m_controls[3];
    play.SetFaceUp(true);
    play.SetScale(0.6f, 0.6f);
    play.SetSpacing(35, 0, 0);
    play.SetCards(kPlay, 5);
    play.SetAnchor(out.x, out.y, 2, 0, 1);
  }

  void BuildPanel() {
    m_panel = std::make_unique<CScoreView>(m_hge, m_font, 0, 0);
    m_panel->ClearScoreInfo();
    m_panel->SetScoreInfo(0, 0, "云中客", 0, 1, 0, 0, 0, 4, -2400, 2, 6);
    m_panel->SetScoreInfo(1, 1, "Torvaly", 0, 1, 0, 0, 0, 4, 4800, 4, 0);
    m_panel->SetScoreInfo(2, 2, "northwind wanderer", 0, 1, 0, 0, 0, 4, -2400, 2, 9);
    m_panel->Show(true);
  }

  void BuildOptions() {
    m_setting = std::make_unique<CGameSetting>();
    m_setting->LoadBackground(m_config.GetResourcePath("m_pGameSetting"));
    m_setting->SetMusic(1);
    m_setting->SetGameSound(1);
    m_setting->SetSeatOrder(0);
    m_setting->SetAllowLookon(1);
    m_setting->SetAnimation(0);
    m_setting->SetCardSpacing(24);
    m_setting->RefreshControls();
    m_setting->setPosition(475, 170);
    m_top.add(m_setting.get());
  }

  HGE* m_hge;
  ResourceConfig m_config;
  gcn::SDL2Graphics m_graphics;
  gcn::SDL2Input m_input;
  gcn::Container m_top;
  gcn::Gui m_gui;
  HTARGET m_target = 0;
  HTEXTURE m_backTex = 0;
  std::unique_ptr<hgeSprite> m_blit;
  std::unique_ptr<hgeSprite> m_background;
  std::unique_ptr<CFontManager> m_fonts;
  CTTFont* m_font = nullptr;
  std::unique_ptr<CardControl> m_controls[4];
  std::unique_ptr<CScoreView> m_panel;
  std::unique_ptr<CGameSetting> m_setting;
};

}  // namespace

int main(int argc, char** argv) {
  std::string outDir = ".";
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--out-dir") == 0 && i + 1 < argc) {
      outDir = argv[++i];
    } else if (std::strcmp(argv[i], "--data") == 0 && i + 1 < argc) {
      ++i;  // read by ParseResourceFolderArgument
    } else {
      std::fprintf(stderr, "usage: %s [--data DIR] [--out-dir DIR]\n", argv[0]);
      return 2;
    }
  }
  ParseResourceFolderArgument(argc, argv);
  std::printf("resource folder: %s\n", GetResourceFolder().c_str());

  HGE* hge = hgeCreate(HGE_VERSION);
  hge->System_SetStateBool(HGE_HEADLESS, true);
  hge->System_SetStateBool(HGE_USESOUND, false);
  hge->System_SetStateInt(HGE_SCREENWIDTH, kW);
  hge->System_SetStateInt(HGE_SCREENHEIGHT, kH);
  if (!hge->System_Initiate()) {
    std::fprintf(stderr, "torvaly-widgets-demo: %s\n", hge->System_GetErrorMessage());
    hge->Release();
    return 1;
  }
  int result = 0;
  {
    Demo demo(hge);
    if (!demo.Build()) {
      std::fprintf(stderr, "torvaly-widgets-demo: no card sheet in the resource folder\n");
      result = 1;
    } else {
      demo.StartSweep();
      demo.Render(18, false, true, outDir + "/widgets_options.png");  // mid-count
      demo.Render(4, false, false, outDir + "/widgets_simple.png");
      demo.Render(1, true, false, outDir + "/widgets_detail.png");
    }
  }
  hge->Release();
  return result;
}
