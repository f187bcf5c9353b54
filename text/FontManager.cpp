#include "text/FontManager.h"

CFontManager::CFontManager(CFreeTypeApi* api)
    : m_api(api != nullptr ? api : &CFreeTypeApi::Default()) {}

CFontManager::~CFontManager() {
  m_fonts.clear();  // every face goes before the library
  if (m_initialised) m_api->DoneFreeType(m_library);
}

bool CFontManager::Init() {
  if (m_initialised) return true;
  FT_Library library = nullptr;
  if (m_api->InitFreeType(&library) != 0 || library == nullptr) return false;
  m_library = library;
  m_initialised = true;
  return true;
}

bool CFontManager::LoadFont(const char* path) {
  if (!m_initialised || path == nullptr || path[0] == '\0') return false;
  const std::string key(path);
  if (m_fonts.find(key) != m_fonts.end()) return true;
  auto font = std::make_unique<CTTFont>(m_library, m_api);
  if (!font->Open(path)) return false;
  m_fonts.emplace(key, std::move(font));
  return true;
}

CTTFont* CFontManager::GetFont(const char* path) {
  if (!m_initialised || path == nullptr) return nullptr;
  const auto it = m_fonts.find(path);
  return it == m_fonts.end() ? nullptr : it->second.get();
}
