// The fonts of the program: FreeType started once, one CTTFont per font file path.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "text/FreeTypeApi.h"
#include "text/TTFont.h"

class CFontManager {
 public:
  // api: the FreeType seam (null: the real library); it must outlive the manager.
  explicit CFontManager(CFreeTypeApi* api = nullptr);
  ~CFontManager();
  CFontManager(const CFontManager&) = delete;
  CFontManager& operator=(const CFontManager&) = delete;

  // Starts FreeType; true at once when already started.
  bool Init();
  bool IsInitialised() const { return m_initialised; }
  // Opens the font file under its path; true at once when that path is already loaded.
  // Paths are used as given (resolve "Torvaly\fzzy.TTF" with ResolvePath first).
  bool LoadFont(const char* path);
  // The font loaded under the path, or null.
  CTTFont* GetFont(const char* path);
  size_t GetFontCount() const { return m_fonts.size(); }

 private:
  CFreeTypeApi* m_api;
  FT_Library m_library = nullptr;
  bool m_initialised = false;
  std::map<std::string, std::unique_ptr<CTTFont>> m_fonts;
};
