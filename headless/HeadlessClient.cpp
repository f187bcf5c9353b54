#include "headless/HeadlessClient.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "cardcontrol/CardControl.h"
#include "platform/engine/EngineAudio.h"
#include "platform/win/WinMessage.h"
#include "widgets/MyCButtonEx.h"

namespace headless {

namespace {

// The view's sounds by resource key.
struct tagNamedSound {
  const char* key;
  HEFFECT CGameClientView::*field;
};
constexpr tagNamedSound kSounds[] = {
    {"sndClock", &CGameClientView::m_sndClock},
    {"m_hSoundHit", &CGameClientView::m_hSoundHit},
    {"sndBtn", &CGameClientView::m_sndBtn},
    {"sndAlarm", &CGameClientView::m_sndAlarm},
    {"m_sndLiandui", &CGameClientView::m_sndLiandui},
    {"m_sndBomb", &CGameClientView::m_sndBomb},
    {"out35", &CGameClientView::m_sndOut35},
    {"rocketSound", &CGameClientView::m_sndRocket},
    {"gamestartsound", &CGameClientView::m_sndGameStart},
    {"MOST_CARD", &CGameClientView::m_sndMostCard},
    {"Pass_Boy", &CGameClientView::m_sndPassBoy},
    {"Pass_Girl", &CGameClientView::m_sndPassGirl},
    {"GoodEnd", &CGameClientView::m_sndGoodEnd},
    {"Cheer", &CGameClientView::m_sndCheer},
    {"BadEnd", &CGameClientView::m_sndBadEnd},
    {"sndDispatch", &CGameClientView::m_sndDispatch},
    {"sndManStart", &CGameClientView::m_sndManStart},
    {"sndWomanStart", &CGameClientView::m_sndWomanStart},
    {"shunzi", &CGameClientView::m_sndShunzi},
};

const char* const kGenderWord[VOICE_GENDERS] = {"MALE", "FEMALE"};

struct tagNamedButton {
  const char* name;
  std::unique_ptr<gcn::MyCButtonEx> CGameClientView::*field;
};
const tagNamedButton kButtons[] = {
    {"start", &CGameClientView::m_btChildStart},
    {"play", &CGameClientView::m_btOutCard},
    {"pass", &CGameClientView::m_btPassCard},
    {"hint", &CGameClientView::m_btAutoOutCard},
    {"autoon", &CGameClientView::m_btAutoPlayOn},
    {"autooff", &CGameClientView::m_btAutoPlayOff},
    {"sort", &CGameClientView::m_btSortCard},
    {"last", &CGameClientView::m_btTurn},
    {"details", &CGameClientView::m_pbtDetails},
    {"changetable", &CGameClientView::m_pbtChangeTable},
};

}  // namespace

// The application's link: whatever the client names at the moment.
class CHeadlessClient::CLinkSocket final : public ITableLink {
 public:
  explicit CLinkSocket(const CHeadlessClient& client) : m_client(client) {}
  bool SendGameData(WORD id, const void* data, WORD size) override {
    return m_client.m_link->SendGameData(id, data, size);
  }
  bool SendUserReady(const void* data, WORD size) override {
    return m_client.m_link->SendUserReady(data, size);
  }
  bool SendChangeTable(WORD table) override { return m_client.m_link->SendChangeTable(table); }
  bool RejoinTable() override { return m_client.m_link->RejoinTable(); }
  void Poll(ILinkSink& sink) override { m_client.m_link->Poll(sink); }
  uint64_t NextEventMs() override { return m_client.m_link->NextEventMs(); }
  bool SendAllowWatchers(bool allow) override { return m_client.m_link->SendAllowWatchers(allow); }

 private:
  const CHeadlessClient& m_client;
};

std::string HexList(const uint8_t* bytes, size_t n) {
  std::string s;
  char buf[4];
  for (size_t i = 0; i < n; ++i) {
    std::snprintf(buf, sizeof(buf), i ? ",%02X" : "%02X", bytes[i]);
    s += buf;
  }
  return s;
}

CTemporaryProfile::CTemporaryProfile() {
  char folder[] = "/tmp/torvaly-profile-XXXXXX";
  if (mkdtemp(folder) == nullptr) return;
  m_folder = folder;
  if (const char* previous = std::getenv("XDG_CONFIG_HOME")) {
    m_hadPrevious = true;
    m_previous = previous;
  }
  setenv("XDG_CONFIG_HOME", folder, 1);
}

CTemporaryProfile::~CTemporaryProfile() {
  if (m_folder.empty()) return;
  std::error_code ec;
  std::filesystem::remove_all(m_folder, ec);
  if (m_hadPrevious) {
    setenv("XDG_CONFIG_HOME", m_previous.c_str(), 1);
  } else {
    unsetenv("XDG_CONFIG_HOME");
  }
}

CHeadlessClient::CHeadlessClient(CGameClientApp* app) : m_given(app) {}

CHeadlessClient::~CHeadlessClient() { Stop(); }

bool CHeadlessClient::Start(const std::string& dataFolder) {
  Stop();
  m_dataFolder = dataFolder;
  if (m_link == &m_loopback) m_loopback = CLoopbackLink();
  std::vector<const char*> argv = {"torvaly", "--headless"};
  if (!dataFolder.empty()) {
    argv.push_back("--data");
    argv.push_back(dataFolder.c_str());
  }
  if (m_given == nullptr) m_owned = std::make_unique<CGameClientApp>();
  m_app = m_given != nullptr ? m_given : m_owned.get();
  m_app->SetTableLink(std::make_unique<CLinkSocket>(*this));
  m_app->SetDrawOnDemand(true);
  CEngineAudio::SetPlayObserver(&CHeadlessClient::OnEffectPlayed, this);
  if (!m_app->InitInstance(static_cast<int>(argv.size()), argv.data())) {
    Stop();
    return false;
  }
  m_sounds.clear();
  return true;
}

void CHeadlessClient::Stop() {
  if (m_app) {
    m_app->ExitInstance();
    m_owned.reset();
    m_app = nullptr;
  }
  CEngineAudio::SetPlayObserver(nullptr, nullptr);
}

bool CHeadlessClient::Closed() const {
  return CMessageQueue::Instance().QuitPosted() ||
         (m_app && m_app->GetMainWnd() && !m_app->GetMainWnd()->IsWindowCreated());
}

CGameClientDlg& CHeadlessClient::Dialog() const {
  return *static_cast<CGameClientDlg*>(m_app->GetMainWnd());
}

void CHeadlessClient::OnEffectPlayed(void* context, HEFFECT effect) {
  static_cast<CHeadlessClient*>(context)->m_sounds.push_back(effect);
}

void CHeadlessClient::Pump() {
  Dialog().PollLink();
  CMessageQueue::Instance().Pump();
}

void CHeadlessClient::Step() {
  Pump();
  if (!Closed()) Dialog().StepClocks();
}

void CHeadlessClient::Advance(uint64_t ms, uint64_t step) {
  if (step == 0) step = 1;
  while (ms > 0 && m_app && !Closed()) {
    const uint64_t d = ms < step ? ms : step;
    Clock().Advance(d);
    ms -= d;
    Step();
  }
}

uint64_t CHeadlessClient::NextDue() const {
  uint64_t next = std::min(Dialog().NextClockTickMs(), m_link->NextEventMs());
  const int64_t timer = CMessageQueue::Instance().MsUntilNextTimer();
  if (timer >= 0) next = std::min(next, GetTickCount64() + static_cast<uint64_t>(timer));
  return next;
}

void CHeadlessClient::StepTo(uint64_t when) {
  // A step always moves time on, so a timer due already cannot hold time still.
  Clock().Advance(when > Now() ? when - Now() : 1);
  Step();
}

void CHeadlessClient::AdvanceByEvents(uint64_t ms) {
  const uint64_t end = Now() + ms;
  while (m_app && !Closed() && Now() < end) StepTo(std::min(end, NextDue()));
}

bool CHeadlessClient::Frame(uint64_t ms) {
  Clock().Advance(ms);
  return m_app && m_app->RunFrame();
}

bool CHeadlessClient::SavePicture(const std::string& path) {
  return m_app && m_app->DrawPicture() && m_app->GetEngine()->System_Snapshot(path.c_str());
}

std::string CHeadlessClient::SoundName(HEFFECT effect) const {
  if (effect == 0) return "?";
  const CGameClientView& view = View();
  for (const tagNamedSound& s : kSounds) {
    if (view.*(s.field) == effect) return s.key;
  }
  for (int g = 0; g < VOICE_GENDERS; ++g) {
    const std::string gender = kGenderWord[g];
    for (int v = 0; v < VOICE_SINGLES; ++v) {
      if (view.m_sndSingle[g][v] == effect) return gender + "_" + std::to_string(v + 1);
    }
    for (int v = 0; v < VOICE_PAIRS; ++v) {
      if (view.m_sndPair[g][v] == effect) return gender + "_DB_" + std::to_string(v + 1);
    }
    if (view.m_sndLine[g] == effect) return gender + "_LINE";
    if (view.m_sndDoubleLine[g] == effect) return gender + "_DB_LINE";
  }
  for (int t = 0; t < MUSIC_TRACKS; ++t) {
    if (Dialog().GetMusicEffect(t) == effect) return "music";
  }
  return "?";
}

std::vector<std::string> CHeadlessClient::SoundNames() const {
  std::vector<std::string> names;
  for (HEFFECT e : m_sounds) names.push_back(SoundName(e));
  return names;
}

gcn::MyCButtonEx* CHeadlessClient::ViewButton(const CGameClientView& view,
                                              const std::string& name) {
  for (const tagNamedButton& b : kButtons) {
    if (name == b.name) return (view.*(b.field)).get();
  }
  return nullptr;
}

gcn::MyCButtonEx* CHeadlessClient::Button(const std::string& name) const {
  return ViewButton(View(), name);
}

const std::vector<std::string>& CHeadlessClient::ButtonNames() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> v;
    for (const tagNamedButton& b : kButtons) v.emplace_back(b.name);
    return v;
  }();
  return names;
}

bool CHeadlessClient::OwnEnabled(gcn::MyCButtonEx* button) {
  if (button == nullptr) return false;
  if (button->isVisible()) return button->isEnabled();
  // Shown for the question only: a hidden widget has no focus to lose and draws nothing.
  button->setVisible(true);
  const bool enabled = button->isEnabled();
  button->setVisible(false);
  return enabled;
}

bool CHeadlessClient::Click(const std::string& name) {
  if (name == "right") {
    View().SendMessage(WM_RBUTTONDOWN, 0, 0);
  } else {
    gcn::MyCButtonEx* button = Button(name);
    if (button == nullptr || !button->isVisible() || !button->isEnabled()) return false;
    View().action(gcn::ActionEvent(button, ""));
  }
  Pump();
  return true;
}

bool CHeadlessClient::Raise(const BYTE* cards, size_t count) {
  CardControl* hand = View().m_pHandCard[LOCAL_SEAT].get();
  if (hand == nullptr) return false;
  hand->RaiseCards(cards, static_cast<DWORD>(count));
  Dialog().SendMessage(MSG_SELECTION_CHANGED, 0, 0);
  Pump();
  return true;
}

}  // namespace headless
