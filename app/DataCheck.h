// torvaly --check-data: every file of the resource folder that the game would use, tried the way
// the game reads it (images decoded, sounds walked as the engine walks a wave, the font opened by
// FreeType, the two ini files read). Each file that cannot be used is one line on `out`; the
// result is the exit status: 0 when every file can be used, 1 otherwise.
//
// The files are those the resource-path file names, the voices, portraits, music and font the
// table builds names for, and every other image or sound lying in the folder.
#pragma once

#include <iosfwd>

int CheckDataFolder(std::ostream& out);
