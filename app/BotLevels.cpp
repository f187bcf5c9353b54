#include "app/BotLevels.h"

#include <memory>

#include "client/GameClientDlg.h"
#include "platform/frame/BrisvaneApp.h"

const char* BotLevelName(int item) {
  static constexpr const char* kNames[BOT_LEVEL_COUNT] = {"easy", "normal", "strong"};
  return item >= 0 && item < BOT_LEVEL_COUNT ? kNames[item] : nullptr;
}

namespace {

// The profile's item, or -1 when there is none (or no application).
int ProfileBotItem() {
  CBrisvaneApp* app = AfxGetApp();
  if (app == nullptr) return -1;
  return static_cast<int>(app->GetProfileInt(PROFILE_OPTION_SECTION, PROFILE_BOT_LEVEL, -1));
}

}  // namespace

std::string ProfileBotLevel(const std::string& fallback) {
  const char* name = BotLevelName(ProfileBotItem());
  return name ? name : fallback;
}

void FollowProfileBotLevel(CTableHost& host) {
  // What the profile held when the table opened: the command line may have chosen otherwise.
  struct tagFollow {
    int seen;
    std::string level;  // empty until the options window changes it
  };
  auto follow = std::make_shared<tagFollow>(tagFollow{ProfileBotItem(), ""});
  host.SetBotLevelSource([follow](uint16_t) {
    const int item = ProfileBotItem();
    if (item != follow->seen) {
      follow->seen = item;
      const char* name = BotLevelName(item);
      if (name) follow->level = name;
    }
    return follow->level;
  });
}
