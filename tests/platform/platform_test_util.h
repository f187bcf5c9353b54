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
#include <functional>
#include <string>
#include <vector>

#include "platform/engine/hge.h"
#include "tests/support/headless_engine.h"

namespace platform_test {

// A fresh folder under the system's temporary folder, removed with its contents at the end.
class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "torvaly-test-XXXXXX").string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    const char* made = mkdtemp(buffer.data());
    m_path = made ? made : "";
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
  std::FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr) << path;
  std::fwrite(text.data(), 1, text.size(), f);
  std::fclose(f);
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

// A short mono 16-bit WAV file of silence.
inline void WriteWav(const std::string& path) {
  const uint32_t samples = 2205, rate = 22050;
  std::string b;
  auto u32 = [&](uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(char(v >> (8 * i)));
  };
  auto u16 = [&](uint16_t v) { b.push_back(char(v)), b.push_back(char(v >> 8)); };
  b += "RIFF", u32(36 + samples * 2), b += "WAVEfmt ", u32(16), u16(1), u16(1);
  u32(rate), u32(rate * 2), u16(2), u16(16), b += "data", u32(samples * 2);
  b.append(samples * 2, '\0');
  WriteText(path, b);
}

using testsupport::HeadlessEngine;
using testsupport::ReadTarget;

// Channels of a pixel within a tolerance, for messages that say which channel is off.
inline ::testing::AssertionResult NearColor(uint32_t actual, uint32_t expected, int tolerance) {
  for (int shift = 0; shift < 32; shift += 8) {
    const int a = (actual >> shift) & 0xFF, e = (expected >> shift) & 0xFF;
    if (a - e > tolerance || e - a > tolerance) {
      char text[80];
      std::snprintf(text, sizeof(text), "pixel 0x%08X, expected 0x%08X (+-%d)", actual, expected,
                    tolerance);
      return ::testing::AssertionFailure() << text;
    }
  }
  return ::testing::AssertionSuccess();
}

}  // namespace platform_test
