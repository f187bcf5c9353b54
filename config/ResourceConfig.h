// ResourceConfig: the reader of the resource folder's two ini files. It holds no state; every
// call reads the file again, so a reader can be made wherever one is needed.
//
// Both files lie in Torvaly/ of the resource folder (the folder of the lobby frame's library,
// "Brisvane.dll", see platform/win/ResourceFolder.h):
//   - the coordinate file "Torvaly\qzt.ini", section "GAME_COORDINATE": integer design pixels
//     of the 1280 x 720 canvas;
//   - the resource-path file "Torvaly\ResourcePath.ini", section "Resource": one file name per
//     resource key, handed unchanged to the engine's or the widgets' image and sound loading.
// Section and key names are matched without regard to case, as Windows does.
#pragma once

#include <string>

class ResourceConfig {
 public:
  static constexpr const char* kCoordinateSection = "GAME_COORDINATE";
  static constexpr const char* kResourceSection = "Resource";
  static constexpr const char* kCoordinateFile = "Torvaly\\qzt.ini";
  static constexpr const char* kResourcePathFile = "Torvaly\\ResourcePath.ini";
  static constexpr const char* kFontFile = "Torvaly\\fzzy.TTF";
  // The longest value read (a Windows path buffer of 260 bytes, its terminator included).
  static constexpr unsigned kMaxValueLength = 259;

  // The integer under the key of the coordinate file. A missing file or key, text that is not a
  // number, and a number outside the range of int all read as 0; text after the leading
  // number is ignored ("12px" is 12).
  int GetCoordinate(const char* key) const;

  // The file name under the key of the resource-path file, at most kMaxValueLength characters;
  // "" when the file or the key is missing.
  std::string GetResourcePath(const char* key) const;

  // The game font "Torvaly\fzzy.TTF" of the resource folder, as a path the file system opens.
  std::string GetFontPath() const;

  // The folder the three files are looked up in, ending with '/'.
  static std::string GetBaseFolder();
};
