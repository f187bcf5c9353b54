#include "platform/frame/BrisvaneApp.h"

#include <SDL2/SDL.h>
#if defined(__SANITIZE_ADDRESS__)
#include <dlfcn.h>
#include <link.h>
#endif

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "platform/frame/FrameButtons.h"
#include "platform/win/ResourceFolder.h"
#include "platform/win/WinMessage.h"
#include "platform/win/WinSystem.h"
#include "platform/win/WinTime.h"

namespace {

CBrisvaneApp* g_app = nullptr;

const char* ArgValue(int argc, const char* const* argv, const char* name) {
  const size_t len = std::strlen(name);
  for (int i = 1; i < argc; ++i) {
    if (argv[i] == nullptr) continue;
    if (std::strcmp(argv[i], name) == 0 && i + 1 < argc) return argv[i + 1];
    if (std::strncmp(argv[i], name, len) == 0 && argv[i][len] == '=') return argv[i] + len + 1;
  }
  return nullptr;
}

bool HasFlag(int argc, const char* const* argv, const char* name) {
  for (int i = 1; i < argc; ++i) {
    if (argv[i] != nullptr && std::strcmp(argv[i], name) == 0) return true;
  }
  return false;
}

int ToInt(const char* text, int fallback) {
  if (text == nullptr) return fallback;
  char* end = nullptr;
  const long v = std::strtol(text, &end, 10);
  return (end == text || v < 0 || v > 1000000000) ? fallback : static_cast<int>(v);
}

#if defined(__SANITIZE_ADDRESS__)
// SDL and the GL driver unload the system libraries they opened when the engine stops (X11,
// D-Bus, Mesa); LeakSanitizer then cannot name them in its report at exit, and its suppression
// file cannot match what those libraries keep for the process. In the sanitizer build every
// loaded library is marked as never unloaded before the engine goes.
void KeepLoadedLibrariesMapped() {
  dl_iterate_phdr(
      [](dl_phdr_info* info, size_t, void*) {
        if (info->dlpi_name != nullptr && info->dlpi_name[0] == '/')
          dlopen(info->dlpi_name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
        return 0;
      },
      nullptr);
}
#else
void KeepLoadedLibrariesMapped() {}
#endif

}  // namespace

CBrisvaneApp* AfxGetApp() { return g_app; }

CWnd* AfxGetMainWnd() { return g_app ? g_app->GetMainWnd() : nullptr; }

CBrisvaneApp::CBrisvaneApp() { g_app = this; }

CBrisvaneApp::~CBrisvaneApp() {
  // exit() from inside a turn (the X library ends the process when the display goes away)
  // runs this with the turn's frames still on the stack: the process is ending, and pulling
  // the dialog and the engine from under them would crash it instead: they are left to go
  // with the process.
  if (m_inTurn) {
    (void)m_pDialog.release();
    (void)m_pLink.release();
  } else {
    ExitInstance();
  }
  if (g_app == this) g_app = nullptr;
}

CProfile& CBrisvaneApp::Profile() {
  if (!m_profile) m_profile.emplace();
  return *m_profile;
}

UINT CBrisvaneApp::GetProfileInt(LPCSTR section, LPCSTR entry, int defaultValue) {
  return Profile().GetProfileInt(section, entry, defaultValue);
}

BOOL CBrisvaneApp::WriteProfileInt(LPCSTR section, LPCSTR entry, int value) {
  return Profile().WriteProfileInt(section, entry, value);
}

HICON CBrisvaneApp::LoadIcon(UINT /*resourceId*/) { return nullptr; }

void CBrisvaneApp::SetTableLink(std::unique_ptr<ITableLink> link) {
  if (!m_running) m_pLink = std::move(link);
}

void CBrisvaneApp::SetStartWindow(int width, int height, bool fullScreen) {
  m_startWidth = width;
  m_startHeight = height;
  m_startFullScreen = fullScreen;
}

void CBrisvaneApp::ToggleFullScreen() {
  if (m_pHge == nullptr || m_headless) return;
  m_pHge->System_SetStateBool(HGE_WINDOWED, !m_pHge->System_GetStateBool(HGE_WINDOWED));
}

bool CBrisvaneApp::InitInstance(int argc, const char* const* argv) {
  if (m_running) return true;
  m_headless = HasFlag(argc, argv, "--headless");
  ParseResourceFolderArgument(argc, argv);
  m_maxFrames = static_cast<unsigned>(ToInt(ArgValue(argc, argv, "--frames"), 0));
  const char* snapshot = ArgValue(argc, argv, "--snapshot");
  m_snapshotPath = snapshot ? snapshot : "";
  SetHeadlessUi(m_headless);
  CMessageQueue::Instance().ClearQuit();

  m_pHge = hgeCreate(HGE_VERSION);
  m_pHge->System_SetStateBool(HGE_HEADLESS, m_headless);
  m_pHge->System_SetStateBool(HGE_WINDOWED, true);
  m_pHge->System_SetStateInt(HGE_SCREENWIDTH, ToInt(ArgValue(argc, argv, "--width"), 1284));
  m_pHge->System_SetStateInt(HGE_SCREENHEIGHT, ToInt(ArgValue(argc, argv, "--height"), 748));
  m_pHge->System_SetStateInt(HGE_FPS, m_headless ? 0 : 60);
  m_pHge->System_SetStateString(HGE_TITLE, "Torvaly");
  if (!m_pHge->System_Initiate()) {
    std::fprintf(stderr, "torvaly: %s\n", m_pHge->System_GetErrorMessage());
    m_pHge->Release();
    m_pHge = nullptr;
    return false;
  }
  m_running = true;
  if (!m_pLink) m_pLink = std::make_unique<CLoopbackLink>();

  m_pDialog.reset(CreateGameDialog());
  if (!m_pDialog) {
    ExitInstance();
    return false;
  }
  m_pDialog->SetTableLink(m_pLink.get());
  if (!m_pDialog->CreateFrame() || !m_pDialog->SetupGame()) {
    ExitInstance();
    return false;
  }
  if (m_startWidth > 0 && m_startHeight > 0)
    m_pDialog->SetWindowPos(nullptr, 0, 0, m_startWidth, m_startHeight, 0);
  if (m_startFullScreen) ToggleFullScreen();
  m_lastFrameMs = GetTickCount64();
  m_frameCount = 0;
  m_frameOwed = true;
  m_viewDueMs = CBrisvaneView2D::NO_FRAME_DUE;
  m_viewDueAt = UINT64_MAX;
  m_redrawsSeen = m_pDialog->GetView().RedrawRequests();
  m_nextFrameMs = 0;
  return true;
}

void CBrisvaneApp::DispatchMouseToView(const SDL_Event& e) {
  CBrisvaneView2D& view = m_pDialog->GetView();
  switch (e.type) {
    case SDL_MOUSEBUTTONDOWN: {
      const LPARAM pos = MAKELPARAM(e.button.x, e.button.y);
      if (e.button.button == SDL_BUTTON_LEFT) {
        view.SendMessage(e.button.clicks >= 2 ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN, 0, pos);
      } else if (e.button.button == SDL_BUTTON_RIGHT) {
        view.SendMessage(WM_RBUTTONDOWN, 0, pos);
      }
      break;
    }
    case SDL_MOUSEBUTTONUP: {
      const LPARAM pos = MAKELPARAM(e.button.x, e.button.y);
      if (e.button.button == SDL_BUTTON_LEFT) view.SendMessage(WM_LBUTTONUP, 0, pos);
      if (e.button.button == SDL_BUTTON_RIGHT) view.SendMessage(WM_RBUTTONUP, 0, pos);
      break;
    }
    case SDL_MOUSEMOTION:
      view.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(e.motion.x, e.motion.y));
      break;
    default:
      break;
  }
}

void CBrisvaneApp::FollowWindowSize() {
  const int w = m_pHge->System_GetStateInt(HGE_WINDOWWIDTH);
  const int h = m_pHge->System_GetStateInt(HGE_WINDOWHEIGHT);
  if (w <= 0 || h <= 0) return;
  if (w != m_pHge->System_GetStateInt(HGE_SCREENWIDTH) ||
      h != m_pHge->System_GetStateInt(HGE_SCREENHEIGHT)) {
    m_pDialog->SetWindowPos(nullptr, 0, 0, w, h, 0);  // lays the view out again
  }
}

int CBrisvaneApp::HandleArrivals(bool& stop) {
  stop = false;
  int delivered = 0;
  CBrisvaneView2D& view = m_pDialog->GetView();
  SDL_Event event;
  while (m_pHge->System_PollEvent(&event)) {
    ++delivered;
    // The frame's own keys, in place of a lobby's menu: F11 full screen, F2 the game's
    // options, F3 the sound switch.
    if (event.type == SDL_KEYDOWN && event.key.repeat == 0) {
      const SDL_Keycode key = event.key.keysym.sym;
      if (key == SDLK_F11) ToggleFullScreen();
      if (key == SDLK_F2) m_pDialog->ShowGameOptions();
      if (key == SDLK_F3) m_pDialog->SwitchSound(!m_pDialog->IsSoundSwitchedOn());
    }
    if (gcn::SDL2Input* input = view.GetGuiInput()) input->pushInput(event);
    // A click on the frame's own buttons is theirs: the table does not see it (a double click
    // there would lower the raised cards, a right click play them).
    const bool onFrameButton =
        (event.type == SDL_MOUSEBUTTONDOWN || event.type == SDL_MOUSEBUTTONUP) &&
        view.GetFrameButtons() != nullptr &&
        view.GetFrameButtons()->Covers(event.button.x, event.button.y);
    if (!onFrameButton) DispatchMouseToView(event);
  }
  // The user or the window manager may have resized the window (or full screen switched).
  FollowWindowSize();
  if (m_pHge->System_GetStateBool(HGE_QUITREQUESTED)) {
    m_pHge->System_SetStateBool(HGE_QUITREQUESTED, false);
    m_pDialog->CloseByWindow();
  }

  CMessageQueue& queue = CMessageQueue::Instance();
  const unsigned linkBefore = m_pDialog->LinkDeliveries();
  m_pDialog->PollLink();
  delivered += static_cast<int>(m_pDialog->LinkDeliveries() - linkBefore);
  delivered += queue.Pump();
  delivered += m_pDialog->StepClocks();
  stop = queue.QuitPosted();
  return delivered;
}

bool CBrisvaneApp::DrawPicture() {
  if (!m_running || !m_pDialog) return false;
  hgeCallback render = m_pHge->System_GetStateFunc(HGE_RENDERFUNC);
  return render == nullptr || !render();
}

bool CBrisvaneApp::DrawFrame(float elapsed) {
  CBrisvaneView2D& view = m_pDialog->GetView();
  view.AdvanceFrame(elapsed);
  view.GuiLogic();
  ++m_frameCount;
  const bool last = m_maxFrames != 0 && m_frameCount >= m_maxFrames;
  const bool shot = last && !m_snapshotPath.empty();
  bool stop = last;
  if (!DrawsOnDemand() || shot) stop = !DrawPicture() || stop;
  if (stop && !m_snapshotPath.empty()) m_pHge->System_Snapshot(m_snapshotPath.c_str());
  return !stop;
}

bool CBrisvaneApp::RunFrame() {
  if (!m_running || !m_pDialog) return false;
  const uint64_t now = GetTickCount64();
  const float elapsed = static_cast<float>(now - m_lastFrameMs) / 1000.0f;
  m_lastFrameMs = now;

  bool stop = false;
  HandleArrivals(stop);
  if (stop || !DrawFrame(elapsed)) return false;

  // A window holds its frame rate; headless runs as fast as it can.
  const int fps = m_pHge->System_GetStateInt(HGE_FPS);
  if (!m_headless && fps > 0) {
    const uint64_t spent = GetTickCount64() - now;
    const uint64_t frameMs = 1000u / static_cast<unsigned>(fps);
    if (spent < frameMs) SDL_Delay(static_cast<Uint32>(frameMs - spent));
  }
  return true;
}

namespace {

double FramePeriodMs(HGE* hge) {
  const int fps = hge->System_GetStateInt(HGE_FPS);
  return 1000.0 / (fps > 0 ? fps : 60);
}

// A frame after a stall (the window dragged, the machine busy) advances the table by at most
// this much: motion slows down rather than skipping.
constexpr double kMaxFrameStepMs = 100.0;

}  // namespace

bool CBrisvaneApp::Turn() {
  if (!m_running || !m_pDialog) return false;
  bool stop = false;
  if (HandleArrivals(stop) > 0) m_frameOwed = true;
  if (stop) return false;
  CBrisvaneView2D& view = m_pDialog->GetView();
  if (view.RedrawRequests() != m_redrawsSeen) m_frameOwed = true;
  const uint64_t now = GetTickCount64();
  const bool viewDue =
      m_viewDueMs == CBrisvaneView2D::FRAME_AT_RATE || (m_viewDueMs > 0 && now >= m_viewDueAt);
  if (!m_frameOwed && !viewDue) return true;
  if (static_cast<double>(now) < m_nextFrameMs) return true;  // MsUntilDue comes back in time

  const double period = FramePeriodMs(m_pHge);
  double stepMs = static_cast<double>(now - m_lastFrameMs);
  // After a still table nothing may jump: what starts now starts from its first frame.
  if (m_viewDueMs == CBrisvaneView2D::NO_FRAME_DUE) stepMs = std::min(stepMs, period);
  // A slow change waited for its time, which the step covers in full.
  stepMs = std::min(stepMs, std::max(kMaxFrameStepMs, static_cast<double>(m_viewDueMs) + period));
  m_lastFrameMs = now;
  // 60 frames a second on average: the next frame is one period after this one was due.
  const double late = static_cast<double>(now) - m_nextFrameMs;
  m_nextFrameMs = (late < period ? m_nextFrameMs : static_cast<double>(now)) + period;
  view.SetOnlyDueFrame(!m_frameOwed);
  m_frameOwed = false;
  // A redraw asked for while drawing owes another frame.
  m_redrawsSeen = view.RedrawRequests();
  const bool keepGoing = DrawFrame(static_cast<float>(stepMs / 1000.0));
  m_viewDueMs = view.NextFrameDueMs();
  m_viewDueAt = m_viewDueMs > 0 ? now + static_cast<uint64_t>(m_viewDueMs) : UINT64_MAX;
  return keepGoing;
}

int64_t CBrisvaneApp::MsUntilDue() const {
  if (!m_running || !m_pDialog) return 0;
  CMessageQueue& queue = CMessageQueue::Instance();
  if (queue.QuitPosted() || queue.PendingMessages() > 0) return 0;
  const uint64_t now = GetTickCount64();
  uint64_t due = now + MAX_SLEEP_MS;
  const uint64_t nextFrame = static_cast<uint64_t>(std::ceil(m_nextFrameMs));
  const bool frameWanted = m_frameOwed || m_viewDueMs == CBrisvaneView2D::FRAME_AT_RATE ||
                           m_pDialog->GetView().RedrawRequests() != m_redrawsSeen;
  if (frameWanted) due = std::min(due, nextFrame);
  if (m_viewDueMs > 0) due = std::min(due, std::max(m_viewDueAt, nextFrame));
  const int64_t timer = queue.MsUntilNextTimer();
  if (timer >= 0) due = std::min(due, now + static_cast<uint64_t>(timer));
  due = std::min(due, m_pDialog->NextClockTickMs());
  if (m_pLink) due = std::min(due, m_pLink->NextEventMs());
  return due <= now ? 0 : static_cast<int64_t>(due - now);
}

bool CBrisvaneApp::RunTurn() {
  m_inTurn = true;
  const bool more = RunTurnNow();
  m_inTurn = false;
  return more;
}

bool CBrisvaneApp::RunTurnNow() {
  const int64_t wait = MsUntilDue();
  if (wait > 0) {
    // Headless there is no event source to wait on.
    if (m_headless) {
      SDL_Delay(static_cast<Uint32>(wait));
    } else {
      SDL_WaitEventTimeout(nullptr, static_cast<int>(wait));
    }
  }
  return Turn();
}

int CBrisvaneApp::ExitInstance() {
  const int code = CMessageQueue::Instance().QuitCode();
  if (m_pDialog) {
    m_pDialog->GetView().DestroyWindow();
    m_pDialog->DestroyWindow();
  }
  m_pDialog.reset();  // the dialog's members (the view among them) go in reverse order
  m_pLink.reset();
  if (m_pHge) {
    KeepLoadedLibrariesMapped();
    m_pHge->Release();
    m_pHge = nullptr;
  }
  m_running = false;
  return code;
}

int CBrisvaneApp::Run(int argc, const char* const* argv) {
  if (!InitInstance(argc, argv)) return 1;
  if (m_headless || m_maxFrames != 0) {
    while (RunFrame()) {
    }
  } else {
    while (RunTurn()) {
    }
  }
  return ExitInstance();
}
