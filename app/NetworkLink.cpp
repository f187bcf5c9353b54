#include "app/NetworkLink.h"

#include <unistd.h>

#include <chrono>
#include <iostream>

tagNetLinkConfig NetLinkConfig(const tagAppOptions& o) {
  tagNetLinkConfig c;
  c.address = o.address;
  c.caFile = o.caFile;
  c.name = o.name;
  c.gender = o.gender;
  c.face = o.face;
  c.allowWatchers = o.allowWatchers;
  c.table = o.table;
  c.watch = o.watch;
  c.watchTable = o.watchTable;
  c.watchChair = o.watchChair;
  // Only the waits' spread depends on it: clients cut at once should not come back in step.
  c.seed =
      o.seedGiven
          ? o.seed
          : static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
                static_cast<uint64_t>(getpid());
  return c;
}

std::unique_ptr<CNetLink> MakeNetLink(const tagAppOptions& options, std::string& error) {
  auto link = std::make_unique<CNetLink>(NetLinkConfig(options));
  link->SetLog([](const std::string& line) { std::cerr << "torvaly: " << line << "\n"; });
  if (!link->Start(error)) return nullptr;
  return link;
}
