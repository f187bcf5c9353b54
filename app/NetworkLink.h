// The network mode's link: the command line's address, name and seat made into a started
// CNetLink (link/NetLink.h), logging to standard error. The final main() hands it to the
// application (the window) or to network play without a window (app/HeadlessModes.h).
#pragma once

#include <memory>
#include <string>

#include "app/Options.h"
#include "link/NetLink.h"

tagNetLinkConfig NetLinkConfig(const tagAppOptions& options);

// Null with the reason when it cannot start (a CA file that cannot be read).
std::unique_ptr<CNetLink> MakeNetLink(const tagAppOptions& options, std::string& error);
