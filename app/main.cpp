// torvaly: the game. By default a window with the table and an embedded table server in this
// process, two bots and the player seated (app/EmbeddedLink.h); without a window, self-play or a
// scenario script (app/HeadlessModes.h). The command line is app/Options.h.
#include <iostream>
#include <memory>

#include "app/BotLevels.h"
#include "app/EmbeddedLink.h"
#include "app/HeadlessModes.h"
#include "app/NetworkLink.h"
#include "app/Options.h"
#include "app/TableReport.h"
#include "client/GameClientApp.h"
#include "client/GameClientDlg.h"
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

 private:
  ITableLink& m_link;
};

// The frame's loop (CBrisvaneApp::Run), with the report written after every turn.
int RunTable(CGameClientApp& app, const tagAppOptions& options, int argc, const char* const* argv) {
  CTableReport report;
  if (!options.report.empty() && !report.Open(options.report)) {
    std::cerr << "torvaly: --report: '" << options.report << "' cannot be written\n";
    return 2;
  }
  // Headless, nobody sees a frame but the --snapshot of the last one: only that one is drawn.
  app.SetDrawOnDemand(true);
  if (!app.InitInstance(argc, argv)) return 1;
  const auto* dialog = static_cast<const CGameClientDlg*>(app.GetMainWnd());
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
    const int status = RunTable(app, options, argc, argv);
    // A link that never reached a table (refused, or no server) ends the program with a fault.
    return status != 0 ? status
                       : (net->State() == NetLinkState::Ended && !net->WasSeated() ? 1 : 0);
  }

  // Without --bots, the level last chosen in the options window.
  if (!options.botsGiven) {
    for (std::string& level : options.bots) level = ProfileBotLevel(level);
  }
  std::unique_ptr<CInProcessLink> link = MakeEmbeddedLink(options);
  if (!link) {
    std::cerr << "torvaly: no bots of level '" << options.bots[0] << "," << options.bots[1]
              << "'\n";
    return 2;
  }
  FollowProfileBotLevel(link->Host());
  app.SetTableLink(std::move(link));
  app.SetStartWindow(options.width, options.height, options.fullscreen);
  return RunTable(app, options, argc, argv);
}
