// torvaly: the game. By default a window with the table and an embedded table server in this
// process, two bots and the player seated (app/EmbeddedLink.h); without a window, self-play or a
// scenario script (app/HeadlessModes.h). The command line is app/Options.h.
#include <cstdlib>
#include <ctime>
#include <iostream>
#include <memory>

#include "app/BotLevels.h"
#include "app/DataCheck.h"
#include "app/EmbeddedLink.h"
#include "app/HeadlessModes.h"
#include "app/NetworkLink.h"
#include "app/Options.h"
#include "app/TableReport.h"
#include "client/GameClientApp.h"
#include "client/GameClientDlg.h"
#include "platform/win/Profile.h"
#include "platform/win/ResourceFolder.h"
#include "platform/win/WinTime.h"

namespace {

// The application's link during network play: the program keeps the link itself.
class CLinkRef final : public ITableLink {
 public:
  explicit CLinkRef(ITableLink& link) : m_link(link) {}
  bool SendGameData(WORD id, const void* data, WORD size) override {
    return m_link.SendGameData(id, data, size);
  }
  bool SendUserReady(const void* data, WORD size) override {
    return m_link.SendUserReady(data, size);
  }
  bool SendChangeTable(WORD table) override { return m_link.SendChangeTable(table); }
  void Poll(ILinkSink& sink) override { m_link.Poll(sink); }
  uint64_t NextEventMs() override { return m_link.NextEventMs(); }
  bool SendAllowWatchers(bool allow) override { return m_link.SendAllowWatchers(allow); }

 private:
  ITableLink& m_link;
};

bool Set(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && value[0] != '\0';
}

// A window needs a display: X11's DISPLAY or Wayland's WAYLAND_DISPLAY, unless SDL is told
// which video driver to use. Without one SDL would fall back to drawing nowhere and the table
// would play unseen until killed.
bool HasDisplay() { return Set("DISPLAY") || Set("WAYLAND_DISPLAY") || Set("SDL_VIDEODRIVER"); }

// The window modes' profile, made ready before its first read (platform/win/Profile.h). The
// player hears of a migration or a profile moved aside once, here; the return is the table's
// notice about it ("" when there is none).
std::string PrepareWindowProfile() {
  tagProfileRepair repair;
  const std::string path = CProfile::DefaultPath();
  if (!PrepareProfile(path, static_cast<long long>(std::time(nullptr)), repair)) {
    std::cerr << "torvaly: the profile " << path
              << " cannot be read and cannot be moved aside; the game uses the defaults\n";
    return {};
  }
  if (!repair.migratedFrom.empty())
    std::cerr << "torvaly: the profile " << repair.migratedFrom << " was copied to " << path
              << " (the older file is left in place)\n";
  if (repair.movedAside.empty()) return {};
  std::cerr << "torvaly: the profile " << path << " could not be read; it was moved to "
            << repair.movedAside << " and the game starts with the default options\n";
  return "设置文件无法读取，已另存为 " + repair.movedAside + "，现用默认设置";
}

// The frame's loop (CBrisvaneApp::Run), with the report written after every turn.
int RunTable(CGameClientApp& app, const tagAppOptions& options, int argc, const char* const* argv,
             const std::string& notice) {
  CTableReport report;
  if (!options.report.empty() && !report.Open(options.report)) {
    std::cerr << "torvaly: --report: '" << options.report << "' cannot be written\n";
    return 2;
  }
  // Headless, nobody sees a frame but the --snapshot of the last one: only that one is drawn.
  app.SetDrawOnDemand(true);
  if (!app.InitInstance(argc, argv)) return 1;
  auto* dialog = static_cast<CGameClientDlg*>(app.GetMainWnd());
  if (!notice.empty()) dialog->Notice(notice);
  // Headless, or for a number of frames, every turn runs a frame; a window draws when it must.
  const bool everyTurnDraws = app.IsHeadless() || options.framesGiven;
  while (everyTurnDraws ? app.RunFrame() : app.RunTurn()) {
    report.Update(*dialog, GetTickCount64());
  }
  return app.ExitInstance();
}

}  // namespace

int main(int argc, char** argv) {
  tagAppOptions options;
  const int status = ReadCommandLine(argc, argv, options, std::cout, std::cerr);
  if (status >= 0) return status;
  if (options.checkData) {
    if (!options.dataDir.empty()) SetResourceFolder(options.dataDir);
    return CheckDataFolder(std::cout);
  }
  const bool window = !options.headless;
  if (window && !HasDisplay()) {
    std::cerr << "torvaly: there is no display to open the window on (neither DISPLAY nor "
                 "WAYLAND_DISPLAY is set); start it on a desktop, or without a window with "
                 "--headless (see torvaly --help)\n";
    return 1;
  }
  const std::string notice = window ? PrepareWindowProfile() : std::string();
  // The program's one application object (client/TheApp.cpp).
  auto& app = static_cast<CGameClientApp&>(*AfxGetApp());
  if (options.selfplay != 0) return RunSelfPlay(options, app, std::cout);
  if (!options.script.empty()) return RunScript(options, app);
  if (!options.connect.empty()) {
    if (options.games != 0) return RunNetPlay(options, app, std::cout);
    std::string error;
    std::unique_ptr<CNetLink> net = MakeNetLink(options, error);
    if (!net) {
      std::cerr << "torvaly: " << error << "\n";
      return 2;
    }
    // The link's notices go on the table among the game's own.
    net->SetNotice([&app](const std::string& text) {
      if (auto* dialog = static_cast<CGameClientDlg*>(app.GetMainWnd())) dialog->Notice(text);
    });
    // The application drops its link before its loop returns: it gets a stand-in, and the
    // link itself lives on to say how it ended.
    app.SetTableLink(std::make_unique<CLinkRef>(*net));
    app.SetStartWindow(options.width, options.height, options.fullscreen);
    const int status = RunTable(app, options, argc, argv, notice);
    // A link that never reached a table (refused, or no server) ends the program with a fault.
    return status != 0 ? status
                       : (net->State() == NetLinkState::Ended && !net->WasSeated() ? 1 : 0);
  }

  // Without --bots, the level last chosen in the options window.
  if (!options.botsGiven) {
    for (std::string& level : options.bots) level = ProfileBotLevel(level);
  }
  // One worker thread: the strong level thinks there during its delay, not in a frame.
  std::unique_ptr<CInProcessLink> link = MakeEmbeddedLink(options, std::make_shared<CThinkPool>(1));
  if (!link) {
    std::cerr << "torvaly: no bots of level '" << options.bots[0] << "," << options.bots[1]
              << "'\n";
    return 2;
  }
  FollowProfileBotLevel(link->Host());
  app.SetTableLink(std::move(link));
  app.SetStartWindow(options.width, options.height, options.fullscreen);
  return RunTable(app, options, argc, argv, notice);
}
