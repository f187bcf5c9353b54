// Helpers of the platform tests: a headless engine, temporary folders, generated images and
// sounds, and pixel reading from render targets.
#pragma once

#include <SDL2/SDL.h>
#include <SDL2/SDL_image.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "platform/engine/hge.h"
#include "tests/support/headless_engine.h"

namespace platform_test {

using testsupport::HeadlessEngine;
using testsupport::ReadTarget;

// A fresh folder under the system's temporary folder, removed with its contents at the end.
class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "torvaly-test-XXXXXX").string();
    m_path = mkdtemp(pattern.data()) ? pattern : "";
  }
  ~TempDir() {
    std::error_code ec;
    if (!m_path.empty()) std::filesystem::remove_all(m_path, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& Path() const { return m_path; }
  std::string File(const std::string& name) const { return m_path + "/" + name; }

 private:
  std::string m_path;
};

inline void WriteText(const std::string& path, const std::string& text) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

// A PNG of w x h whose pixels come from pixel(x, y) as 0xAARRGGBB.
inline bool WritePng(const std::string& path, int w, int h,
                     const std::function<uint32_t(int, int)>& pixel) {
  SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_ARGB8888);
  if (s == nullptr) return false;
  for (int y = 0; y < h; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(s->pixels) + y * s->pitch);
    for (int x = 0; x < w; ++x) row[x] = pixel(x, y);
  }
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  const bool ok = IMG_SavePNG(s, path.c_str()) == 0;
  SDL_FreeSurface(s);
  return ok;
}

// A tenth of a second of mono 16-bit silence at 22050 Hz.
inline void WriteWav(const std::string& path) {
  const char header[44] = {'R', 'I', 'F',  'F',  0x5E, 0x11, 0,    0,          'W',  'A', 'V',
                           'E', 'f', 'm',  't',  ' ',  16,   0,    0,          0,    1,   0,
                           1,   0,   0x22, 0x56, 0,    0,    0x44, (char)0xAC, 0,    0,   2,
                           0,   16,  0,    'd',  'a',  't',  'a',  0x3A,       0x11, 0,   0};
  WriteText(path, std::string(header, sizeof(header)) + std::string(4410, '\0'));
}

// Channels of a pixel within a tolerance, for messages that say which pixel is off.
inline ::testing::AssertionResult NearColor(uint32_t actual, uint32_t expected, int tolerance) {
  for (int shift = 0; shift < 32; shift += 8) {
    const int a = (actual >> shift) & 0xFF, e = (expected >> shift) & 0xFF;
    if (std::abs(a - e) > tolerance)
      return ::testing::AssertionFailure()
             << std::hex << "pixel " << actual << ", expected " << expected << " +- " << tolerance;
  }
  return ::testing::AssertionSuccess();
}

}  // namespace platform_test
