// The resource folder: the folder that holds Torvaly/ with the two ini files, the art, the
// sounds and the font. It is, in this order of preference:
//   1. the folder given with --data DIR (SetResourceFolder),
//   2. the folder of the executable, when a Torvaly/ folder lies beside it,
//   3. the installed data folder, found from the executable's folder (bin/../share/torvaly/),
//      when it holds Torvaly/,
//   4. otherwise the folder of the executable (every file then simply is missing).
//
// The program writes file names the Windows way ("Torvaly\sound\Back_1.wav"). ResolvePath
// turns backslashes into '/', makes a relative name relative to the resource folder, and, as
// Windows file names are case-insensitive, looks for a differently cased match of each
// component that does not exist as written ("fzzy.TTF" finds "fzzy.ttf").
//
// GetModuleHandleA / GetModuleFileNameA answer as if every module of the lobby (for example
// "Brisvane.dll") were loaded from the resource folder: the file name of a named module is
// "<resource folder>/<name>", so cutting the module name off leaves the folder with a
// trailing '/'. The null module is the executable itself.
#pragma once

#include <string>

#include "platform/win/WinTypes.h"

void SetResourceFolder(const std::string& dir);  // "" forgets it and looks again
const std::string& GetResourceFolder();          // no trailing '/'
std::string GetExecutableFolder();

// Reads --data DIR (or --data=DIR) from a command line; true when one was given.
bool ParseResourceFolderArgument(int argc, const char* const* argv);

std::string ResolvePath(const char* path);

// Reads a whole file (a path as the system writes it) into `bytes`; false when it cannot be
// opened or read.
bool ReadWholeFile(const std::string& path, std::string& bytes);

HMODULE GetModuleHandleA(const char* moduleName);
DWORD GetModuleFileNameA(HMODULE module, char* fileName, DWORD size);
