#include "platform/frame/BrisvaneApp.h"

#include <SDL2/SDL.h>

#include <cstdlib>
#include <cstring>

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

}  // namespace

CBrisvaneApp* AfxGetApp() { return g_app; }

CWnd* AfxGetMainWnd() { return g_app ? g_app->GetMainWnd() : nullptr; }

CBrisvaneApp::CBrisvaneApp() { g_app = this; }

CBrisvaneApp::~CBrisvaneApp() {
  ExitInstance();
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
  m_lastFrameMs = GetTickCount64();
  m_frameCount = 0;
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

bool CBrisvaneApp::RunFrame() {
  if (!m_running || !m_pDialog) return false;
  CMessageQueue& queue = CMessageQueue::Instance();
  const uint64_t now = GetTickCount64();
  const float elapsed = static_cast<float>(now - m_lastFrameMs) / 1000.0f;
  m_lastFrameMs = now;

  CBrisvaneView2D& view = m_pDialog->GetView();
  SDL_Event event;
  while (m_pHge->System_PollEvent(&event)) {
    if (gcn::SDL2Input* input = view.GetGuiInput()) input->pushInput(event);
    DispatchMouseToView(event);
  }
  if (m_pHge->System_GetStateBool(HGE_QUITREQUESTED)) {
    m_pHge->System_SetStateBool(HGE_QUITREQUESTED, false);
    m_pDialog->PostMessage(WM_CLOSE);
  }

  m_pDialog->PollLink();
  queue.Pump();
  m_pDialog->StepClocks();
  if (queue.QuitPosted()) return false;

  view.AdvanceFrame(elapsed);
  view.GuiLogic();
  bool stop = false;
  if (hgeCallback render = m_pHge->System_GetStateFunc(HGE_RENDERFUNC)) stop = render();
  ++m_frameCount;
  if (m_maxFrames != 0 && m_frameCount >= m_maxFrames) stop = true;
  if (stop && !m_snapshotPath.empty()) m_pHge->System_Snapshot(m_snapshotPath.c_str());
  if (stop) return false;

  // A window holds its frame rate; headless runs as fast as it can.
  const int fps = m_pHge->System_GetStateInt(HGE_FPS);
  if (!m_headless && fps > 0) {
    const uint64_t spent = GetTickCount64() - now;
    const uint64_t frameMs = 1000u / static_cast<unsigned>(fps);
    if (spent < frameMs) SDL_Delay(static_cast<Uint32>(frameMs - spent));
  }
  return true;
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
    m_pHge->Release();
    m_pHge = nullptr;
  }
  m_running = false;
  return code;
}

int CBrisvaneApp::Run(int argc, const char* const* argv) {
  if (!InitInstance(argc, argv)) return 1;
  while (RunFrame()) {
  }
  return ExitInstance();
}
