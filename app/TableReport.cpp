#include "app/TableReport.h"

#include <cinttypes>

#include "cardcontrol/CardControl.h"
#include "client/GameClientDlg.h"
#include "headless/HeadlessClient.h"
#include "widgets/MyCButtonEx.h"
#include "widgets/ScoreView.h"

namespace {

std::string CardsOrNone(const BYTE* cards, size_t count) {
  return count == 0 ? "none" : headless::HexList(cards, count);
}

std::string Point(int x, int y) { return std::to_string(x) + ":" + std::to_string(y); }

// Each card of a row with the point to click on it: the middle of the strip of it that shows, low
// enough to hit a lowered card (a raised one is hit there too when it is the last).
std::string CardPoints(const CardControl& hand) {
  if (!hand.isVisible() || hand.GetCardCount() == 0) return "none";
  int left = 0, top = 0;
  hand.getAbsolutePosition(left, top);
  const int width = hand.getWidth();
  const int y = hand.getHeight() - 6;
  std::string text;
  WORD item = CardControl::kNoItem;
  int from = 0;
  auto close = [&](int to) {
    if (item == CardControl::kNoItem) return;
    char card[4];
    std::snprintf(card, sizeof(card), "%02X", hand.GetItem(item)->bCardData);
    if (!text.empty()) text += ',';
    text += std::string(card) + "@" + Point(left + (from + to) / 2, top + y);
  };
  for (int x = 0; x <= width; ++x) {
    const WORD hit = x < width ? hand.HitTest(x, y) : CardControl::kNoItem;
    if (hit == item) continue;
    close(x - 1);
    item = hit;
    from = x;
  }
  return text.empty() ? "none" : text;
}

}  // namespace

bool CTableReport::Open(const std::string& path) {
  m_file = std::fopen(path.c_str(), "w");
  return m_file != nullptr;
}

CTableReport::~CTableReport() {
  if (m_file != nullptr) std::fclose(m_file);
}

std::string CTableReport::Describe(const CGameClientDlg& dialog) {
  const tagClientState& s = dialog.GetState();
  const CGameClientView& view = dialog.GetClientView();
  std::string line = "me=" + std::to_string(dialog.GetMeChairID());
  line += " running=" + std::to_string(view.m_cbGameRunning);
  std::string clock = "none";
  for (WORD chair = 0; chair < SEAT_COUNT; ++chair) {
    const WORD seconds = dialog.GetGameTimerSeconds(chair);
    if (seconds != 0) clock = Point(chair, seconds);
  }
  line += " clock=" + clock;
  line += " counts=" + std::to_string(s.cardCount[0]) + "," + std::to_string(s.cardCount[1]) + "," +
          std::to_string(s.cardCount[2]);
  line += " hand=" + CardsOrNone(s.hand, s.handCount);
  const CardControl* hand = view.m_pHandCard[LOCAL_SEAT].get();
  BYTE raised[MAX_CARDS] = {};
  const DWORD raisedCount = hand != nullptr ? hand->GetRaisedCards(raised, MAX_CARDS) : 0;
  line += " raised=" + CardsOrNone(raised, raisedCount);
  line += " turn=" + CardsOrNone(s.turnResolved, s.turnCount);
  line += std::string(" panel=") + (view.m_pScoreView && view.m_pScoreView->IsShow() ? "1" : "0");

  std::string shown;
  for (const std::string& name : headless::CHeadlessClient::ButtonNames()) {
    const gcn::MyCButtonEx* button = headless::CHeadlessClient::ViewButton(view, name);
    if (button == nullptr || !button->isVisible() || !button->isEnabled()) continue;
    int x = 0, y = 0;
    button->getAbsolutePosition(x, y);
    if (!shown.empty()) shown += ',';
    shown += name + ":" + Point(x + button->getWidth() / 2, y + button->getHeight() / 2);
  }
  line += " buttons=" + (shown.empty() ? std::string("none") : shown);
  line += " cards=" + (hand != nullptr ? CardPoints(*hand) : std::string("none"));
  return line;
}

void CTableReport::Update(const CGameClientDlg& dialog, uint64_t nowMs) {
  if (m_file == nullptr) return;
  if (!m_wroteRenderer) {
    HGE* hge = dialog.GetClientView().GetEngine();
    std::fprintf(m_file, "renderer=%s\n",
                 hge != nullptr ? hge->System_GetStateString(HGE_RENDERERNAME) : "none");
    m_wroteRenderer = true;
  }
  std::string line = Describe(dialog);
  if (line == m_last) return;
  std::fprintf(m_file, "t=%" PRIu64 " %s\n", nowMs, line.c_str());
  std::fflush(m_file);
  m_last = std::move(line);
}
