#include "widgets/ScoreView.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <string>

#include "config/ResourceConfig.h"
#include "platform/engine/hgeSprite.h"
#include "platform/win/WinText.h"
#include "text/TTFont.h"

namespace {

constexpr int kStripCells = 11;  // the digits 0..9 and the sign
constexpr int kSignCell = 10;

// |value| without overflow for the most negative value.
uint64_t Magnitude(int64_t value) {
  return value < 0 ? static_cast<uint64_t>(-(value + 1)) + 1u : static_cast<uint64_t>(value);
}

int DigitCount(uint64_t v) {
  int n = 0;
  for (; v != 0; v /= 10) ++n;
  return n;
}

int Add(int a, int b) {
  const int64_t sum = static_cast<int64_t>(a) + b;
  return sum > INT_MAX ? INT_MAX : sum < INT_MIN ? INT_MIN : static_cast<int>(sum);
}

}  // namespace

CScoreView::CScoreView(HGE* hge, CTTFont* font, int originX, int originY)
    : m_pHge(hge),
      m_pFont(font),
      m_nOriginX(originX),
      m_nOriginY(originY),
      m_pConfig(std::make_unique<ResourceConfig>()) {
  ReadPositions();
}

void CScoreView::Show(bool show) {
  m_bShow = show;
  if (show && !m_bImagesLoaded) {
    m_bImagesLoaded = true;
    LoadImages();
  }
}

CScoreView::~CScoreView() {
  // The sprites let go of their textures before the textures are freed.
  m_pInfoBox.reset();
  m_pWinBackdrop.reset();
  m_pLostBackdrop.reset();
  m_pWinNumber.reset();
  m_pLostNumber.reset();
  m_pWinBoxNumber.reset();
  m_pLostBoxNumber.reset();
  m_pWinTitle.reset();
  m_pLostTitle.reset();
  if (m_pHge != nullptr) {
    for (int i = 0; i < m_nTextureCount; ++i) m_pHge->Texture_Free(m_textures[i]);
  }
}

HTEXTURE CScoreView::Load(const char* path) {
  if (m_pHge == nullptr) return 0;
  const HTEXTURE tex = m_pHge->Texture_Load(path);
  if (tex != 0 && m_nTextureCount < static_cast<int>(sizeof(m_textures) / sizeof(m_textures[0])))
    m_textures[m_nTextureCount++] = tex;
  return tex;
}

void CScoreView::LoadImages() {
  auto width = [&](HTEXTURE tex) {
    return static_cast<float>(m_pHge->Texture_GetWidth(tex, true));
  };
  auto height = [&](HTEXTURE tex) {
    return static_cast<float>(m_pHge->Texture_GetHeight(tex, true));
  };
  auto sprite = [&](const char* path) -> std::unique_ptr<hgeSprite> {
    const HTEXTURE tex = Load(path);
    if (tex == 0) return nullptr;
    return std::make_unique<hgeSprite>(tex, 0.0f, 0.0f, width(tex), height(tex));
  };
  auto animation = [&](const char* path, int id, bool centred) -> std::unique_ptr<hgeAnimation> {
    const HTEXTURE tex = Load(path);
    if (tex == 0) return nullptr;
    auto ani =
        std::make_unique<hgeAnimation>(id, tex, 1, 1.0f, 0.0f, 0.0f, width(tex), height(tex));
    if (centred) ani->SetHotSpot(width(tex) / 2, height(tex) / 2);
    return ani;
  };
  m_pInfoBox = sprite("Torvaly\\gameEnd\\end_box.png");
  m_pWinBackdrop = animation("Torvaly\\gameEnd\\end_win_ani.png", 3, true);
  m_pLostBackdrop = animation("Torvaly\\gameEnd\\end_lost_ani.png", 4, true);
  m_pWinNumber = animation("Torvaly\\gameEnd\\win_number.png", 1, false);
  m_pLostNumber = animation("Torvaly\\gameEnd\\lost_number.png", 2, false);
  m_pWinBoxNumber = sprite("Torvaly\\gameEnd\\win_box_number.png");
  m_pLostBoxNumber = sprite("Torvaly\\gameEnd\\lost_box_number.png");
  m_pWinTitle = sprite("Torvaly\\gameEnd\\win_title.png");
  m_pLostTitle = sprite("Torvaly\\gameEnd\\lost_title.png");
}

void CScoreView::ReadPositions() {
  auto read = [&](const char* keyX, const char* keyY) {
    return tagScorePoint{Add(m_pConfig->GetCoordinate(keyX), m_nOriginX),
                         Add(m_pConfig->GetCoordinate(keyY), m_nOriginY)};
  };
  m_ptBackdrop = read("EndBgAniX", "EndBgAniY");
  m_ptTitle = read("TitleX", "TitleY");
  m_ptInfoBox = read("EndInfoBgX", "EndInfoBgY");
  static const char* const kRowKeys[kEntryCount][8] = {
      {"EndPlayer1NameX", "EndPlayer1NameY", "EndPersonalMultiple1X", "EndPersonalMultiple1Y",
       "EndLeftCard1X", "EndLeftCard1Y", "EndGold1X", "EndGold1Y"},
      {"EndPlayer2NameX", "EndPlayer2NameY", "EndPersonalMultiple2X", "EndPersonalMultiple2Y",
       "EndLeftCard2X", "EndLeftCard2Y", "EndGold2X", "EndGold2Y"},
      {"EndPlayer3NameX", "EndPlayer3NameY", "EndPersonalMultiple3X", "EndPersonalMultiple3Y",
       "EndLeftCard3X", "EndLeftCard3Y", "EndGold3X", "EndGold3Y"},
  };
  for (int r = 0; r < kEntryCount; ++r) {
    m_ptName[r] = read(kRowKeys[r][0], kRowKeys[r][1]);
    m_ptPersonalMultiple[r] = read(kRowKeys[r][2], kRowKeys[r][3]);
    m_ptCardsLeft[r] = read(kRowKeys[r][4], kRowKeys[r][5]);
    m_ptGold[r] = read(kRowKeys[r][6], kRowKeys[r][7]);
  }
  m_ptPublicMultiple = read("EndPublicMultipleX", "EndPublicMultipleY");
  m_ptBombCount = read("EndBobmNumX", "EndBobmNumY");
  m_ptRocketCount = read("EndRocketNumX", "EndRocketNumY");
  m_ptHaoSpring = read("EndHaoSpringX", "EndHaoSpringY");
  m_ptSpring = read("EndSpringX", "EndSpringY");
  m_ptReverseSpring = read("EndFanSpringX", "EndFanSpringY");
  m_ptBigGold[0] = read("EndBigRightGoldX", "EndBigRightGoldY");
  m_ptBigGold[1] = read("EndBigMeGoldX", "EndBigMeGoldY");
  m_ptBigGold[2] = read("EndBigLeftGoldX", "EndBigLeftGoldY");
}

void CScoreView::SetScoreInfo(WORD index, WORD chair, const char* name, int spring, int bombCount,
                              int rocketCount, int reverseSpring, int haoSpring, int publicMultiple,
                              int64_t score, WORD personalMultiple, BYTE cardsLeft) {
  if (index >= kEntryCount) return;
  m_wChair = chair;
  m_nSpring = spring;
  m_nBombCount = bombCount;
  m_nRocketCount = rocketCount;
  m_nReverseSpring = reverseSpring;
  m_nHaoSpring = haoSpring;
  m_nPublicMultiple = publicMultiple;

  tagScoreEntry& entry = m_entries[index];
  std::memset(entry.szName, 0, sizeof(entry.szName));
  if (name != nullptr) {
    // Only the first kNameCut + 1 bytes matter: shorter names are kept whole, longer ones cut.
    const size_t length = strnlen(name, kNameCut + 1);
    if (length < kNameCut) {
      std::memcpy(entry.szName, name, length);
    } else {
      const size_t cut = Utf8CutLength(name, length, kNameCut);
      std::memcpy(entry.szName, name, cut);
      std::memcpy(entry.szName + cut, "...", 3);
    }
  }
  entry.lScore = score;
  entry.wPersonalMultiple = personalMultiple;
  entry.cbCardsLeft = cardsLeft;
}

void CScoreView::ClearScoreInfo() {
  for (tagScoreEntry& entry : m_entries) {
    const tagScoreEntry cleared{};
    entry = cleared;
  }
}

void CScoreView::Update(float dt) {
  if (!m_bShow) return;
  if (m_pWinBackdrop) m_pWinBackdrop->Update(dt);
  if (m_pLostBackdrop) m_pLostBackdrop->Update(dt);
  m_fAngle += dt;
  if (m_fAngle >= 360.0f) m_fAngle = 0.0f;
}

bool CScoreView::TurningRect(int* x, int* y, int* w, int* h) const {
  const hgeAnimation* backdrop =
      m_entries[1].lScore < 0 ? m_pLostBackdrop.get() : m_pWinBackdrop.get();
  if (!m_bShow || backdrop == nullptr) return false;
  float hotX = 0.0f, hotY = 0.0f;
  backdrop->GetHotSpot(&hotX, &hotY);
  // The farthest corner from the hot spot it turns about.
  const float dx = std::max(hotX, backdrop->GetWidth() - hotX);
  const float dy = std::max(hotY, backdrop->GetHeight() - hotY);
  const int reach = static_cast<int>(std::ceil(std::sqrt(dx * dx + dy * dy))) + 1;
  *x = m_ptBackdrop.x - reach;
  *y = m_ptBackdrop.y - reach;
  *w = *h = 2 * reach;
  return true;
}

bool CScoreView::IsCounting() const {
  if (!m_bShow || m_bDetail) return false;
  for (const tagScoreEntry& entry : m_entries) {
    if (entry.szName[0] != '\0' && entry.lShownGold != entry.lScore) return true;
  }
  return false;
}

void CScoreView::DrawNumber(hgeSprite* strip, int x, int y, int64_t value, bool withSign) {
  if (strip == nullptr || m_pHge == nullptr) return;
  const HTEXTURE tex = strip->GetTexture();
  const int w = m_pHge->Texture_GetWidth(tex, true) / kStripCells;
  const int h = m_pHge->Texture_GetHeight(tex, true);
  if (w <= 0 || h <= 0) return;
  uint64_t v = Magnitude(value);
  const int n = v == 0 ? 1 : DigitCount(v);
  const int64_t half = static_cast<int64_t>(n) * w / 2;
  float rx, ry, rw, rh;
  strip->GetTextureRect(&rx, &ry, &rw, &rh);
  auto cell = [&](int c, int64_t left) {
    strip->SetTextureRect(static_cast<float>(c * w), 0.0f, static_cast<float>(w),
                          static_cast<float>(h));
    strip->Render(static_cast<float>(left), static_cast<float>(y));
  };
  for (int i = 0; i < n; ++i) {
    cell(static_cast<int>(v % 10), static_cast<int64_t>(x) - static_cast<int64_t>(w) * i + half);
    v /= 10;
  }
  if (withSign) cell(kSignCell, static_cast<int64_t>(x) - static_cast<int64_t>(w) * n + half);
  strip->SetTextureRect(rx, ry, rw, rh);
}

void CScoreView::Step(tagScoreEntry& entry) {
  // One frame of counting: by 1 for scores of up to two digits, else by 10^(digits - 2).
  const int n = DigitCount(Magnitude(entry.lScore));
  __int128 step = 1;
  for (int i = 2; i < n; ++i) step *= 10;
  const __int128 shown = entry.lShownGold;
  if (entry.lScore >= 0) {
    const __int128 next = shown + step;
    entry.lShownGold = next >= entry.lScore ? entry.lScore : static_cast<int64_t>(next);
  } else {
    const __int128 next = shown - step;
    entry.lShownGold = next <= entry.lScore ? entry.lScore : static_cast<int64_t>(next);
  }
}

void CScoreView::Count() {
  if (!m_bShow || m_bDetail) return;
  for (tagScoreEntry& entry : m_entries) {
    if (entry.szName[0] != '\0') Step(entry);
  }
}

void CScoreView::Draw(int position) {
  if (!m_bShow) return;
  const bool lost = m_entries[1].lScore < 0;

  if (position == 1) {
    hgeAnimation* backdrop = lost ? m_pLostBackdrop.get() : m_pWinBackdrop.get();
    if (backdrop) backdrop->RenderEx(m_ptBackdrop.x, m_ptBackdrop.y, m_fAngle, 1.0f);
  }

  if (m_bDetail) {
    if (m_pInfoBox) m_pInfoBox->Render(m_ptInfoBox.x, m_ptInfoBox.y);
    int row = 0;
    for (const tagScoreEntry& entry : m_entries) {
      if (entry.szName[0] == '\0') continue;
      if (m_pFont != nullptr) {
        // The name is text, never a format.
        const std::wstring name = Utf8ToWide(entry.szName);
        m_pFont->DrawString(name.c_str(), m_ptName[row].x, m_ptName[row].y);
      }
      DrawNumber(m_pWinBoxNumber.get(), m_ptPersonalMultiple[row].x, m_ptPersonalMultiple[row].y,
                 entry.wPersonalMultiple, false);
      DrawNumber(m_pLostBoxNumber.get(), m_ptCardsLeft[row].x, m_ptCardsLeft[row].y,
                 entry.cbCardsLeft, false);
      hgeSprite* goldStrip = entry.lScore < 0 ? m_pLostBoxNumber.get() : m_pWinBoxNumber.get();
      DrawNumber(goldStrip, m_ptGold[row].x, m_ptGold[row].y, entry.lScore, true);
      ++row;
    }
    hgeSprite* strip = m_pWinBoxNumber.get();
    DrawNumber(strip, m_ptPublicMultiple.x, m_ptPublicMultiple.y, m_nPublicMultiple, false);
    DrawNumber(strip, m_ptBombCount.x, m_ptBombCount.y, m_nBombCount, false);
    DrawNumber(strip, m_ptRocketCount.x, m_ptRocketCount.y, m_nRocketCount, false);
    DrawNumber(strip, m_ptHaoSpring.x, m_ptHaoSpring.y, m_nHaoSpring, false);
    DrawNumber(strip, m_ptSpring.x, m_ptSpring.y, m_nSpring, false);
    DrawNumber(strip, m_ptReverseSpring.x, m_ptReverseSpring.y, m_nReverseSpring, false);
  }

  if (position == 1) {
    hgeSprite* title = lost ? m_pLostTitle.get() : m_pWinTitle.get();
    if (title) title->Render(m_ptTitle.x, m_ptTitle.y);
  }

  if (!m_bDetail) {
    for (int s = 0; s < kEntryCount; ++s) {
      const tagScoreEntry& entry = m_entries[s];
      if (entry.szName[0] == '\0') continue;
      hgeSprite* strip = entry.lScore < 0 ? static_cast<hgeSprite*>(m_pLostNumber.get())
                                          : static_cast<hgeSprite*>(m_pWinNumber.get());
      const tagScorePoint& at = m_ptBigGold[2 - s];
      DrawNumber(strip, at.x, at.y, entry.lShownGold, true);
    }
  }
}
