#include "tools/view_demo/ViewHost.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_image.h>

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "widgets/GameSetting.h"

void UseScratchProfile(const char* tool) {
  const std::string folder = (std::filesystem::temp_directory_path() / tool).string();
  setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
}

bool CViewHostDlg::SetupGame() {
  m_view.m_pSoundSwitch = &m_cbEnableSound;
  m_view.m_pKernel = GetClientKernel(IID_IClientKernel, VER_IClientKernel);
  return true;
}

void CViewHostDlg::OnEventUserEnter(const tagUserData* user, WORD chair, bool lookon) {
  CBrisvaneDlg::OnEventUserEnter(user, chair, lookon);
  if (user != nullptr && !lookon)
    m_view.LoadPeopleImage(user->wFaceID, SwitchViewChairID(chair), user->cbGender);
}

LRESULT CViewHostDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  const bool game = (message >= MSG_OPTION_CARD_SPACING && message <= MSG_HIDE_END_PANEL) ||
                    (message >= MSG_START && message <= MSG_PLAY_RAISED);
  if (game) log.push_back(tagHostMessage{message, wParam, lParam});
  return CBrisvaneDlg::WindowProc(message, wParam, lParam);
}

CViewHost::CViewHost(const std::string& dataFolder, int width, int height) : m_data(dataFolder) {
  const std::string w = std::to_string(width), h = std::to_string(height);
  std::vector<const char*> argv = {"view-host", "--headless", "--width",
                                   w.c_str(),   "--height",   h.c_str()};
  if (!m_data.empty()) {
    argv.push_back("--data");
    argv.push_back(m_data.c_str());
  }
  m_app.SetDrawOnDemand(true);
  m_ok = m_app.InitInstance(static_cast<int>(argv.size()), argv.data());
  // The frame starts at the dialog's own size; the host wants the size it was given.
  if (m_ok) Dialog().SetWindowPos(nullptr, 0, 0, width, height, 0);
}

CViewHost::~CViewHost() { m_app.ExitInstance(); }

void CViewHost::SetSelf(WORD me) {
  if (CLoopbackLink* link = m_app.GetLoopbackLink()) link->DeliverSelf(me, false, false);
}

void CViewHost::SeatUser(WORD chair, const char* name, BYTE gender, WORD faceId, int64_t score,
                         BYTE status) {
  tagUserData user{};
  user.cbGender = gender;
  user.wFaceID = faceId;
  user.dwUserID = 1000u + chair;
  SetUserName(user, name);
  user.lScore = score;
  user.wChairID = chair;
  user.cbUserStatus = status;
  if (CLoopbackLink* link = m_app.GetLoopbackLink()) link->DeliverUserEnter(user, chair);
}

void CViewHost::LeaveUser(WORD chair) {
  if (CLoopbackLink* link = m_app.GetLoopbackLink()) link->DeliverUserLeave(chair);
}

void CViewHost::SetServerAttribute(const tagServerAttribute& attribute) {
  if (CLoopbackLink* link = m_app.GetLoopbackLink()) link->DeliverServerAttribute(attribute);
}

bool CViewHost::Frame(unsigned ms) {
  m_clock.Advance(ms);
  m_drawn = !m_app.DrawsOnDemand();
  return m_app.RunFrame();
}

bool CViewHost::Picture() {
  if (!m_drawn) m_drawn = m_app.DrawPicture();
  return m_drawn;
}

void CViewHost::Frames(int count, unsigned ms) {
  for (int i = 0; i < count; ++i) Frame(ms);
}

bool CViewHost::Snapshot(const std::string& path) {
  const std::filesystem::path parent = std::filesystem::path(path).parent_path();
  std::error_code ec;
  if (!parent.empty()) std::filesystem::create_directories(parent, ec);
  return Picture() && Engine()->System_Snapshot(path.c_str());
}

namespace {

std::vector<uint32_t> ReadTexture(HGE* hge, HTEXTURE texture, int w, int h) {
  std::vector<uint32_t> pixels;
  const int pitch = hge->Texture_GetWidth(texture);
  if (DWORD* p = hge->Texture_Lock(texture, true)) {
    pixels.resize(static_cast<size_t>(w) * h);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        pixels[static_cast<size_t>(y) * w + x] = p[static_cast<size_t>(y) * pitch + x];
    hge->Texture_Unlock(texture);
  }
  return pixels;
}

}  // namespace

std::vector<uint32_t> CViewHost::ReadCanvas() {
  Picture();
  return ReadTexture(Engine(), Engine()->Target_GetTexture(View().m_hTarget), 1280, 720);
}

std::vector<uint32_t> CViewHost::ReadScreen() {
  // The screen is only reachable as a snapshot: write it and read it back.
  static int serial = 0;
  const std::string path =
      (std::filesystem::temp_directory_path() /
       ("torvaly-view-host-" + std::to_string(getpid()) + "-" + std::to_string(++serial) + ".png"))
          .string();
  std::vector<uint32_t> pixels;
  if (!Picture() || !Engine()->System_Snapshot(path.c_str())) return pixels;
  if (SDL_Surface* loaded = IMG_Load(path.c_str())) {
    if (SDL_Surface* argb = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_ARGB8888, 0)) {
      pixels.resize(static_cast<size_t>(argb->w) * argb->h);
      for (int y = 0; y < argb->h; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(
            static_cast<const uint8_t*>(argb->pixels) + static_cast<size_t>(y) * argb->pitch);
        std::copy(row, row + argb->w, pixels.begin() + static_cast<ptrdiff_t>(y) * argb->w);
      }
      SDL_FreeSurface(argb);
    }
    SDL_FreeSurface(loaded);
  }
  std::error_code ec;
  std::filesystem::remove(path, ec);
  return pixels;
}
