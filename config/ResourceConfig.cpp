#include "config/ResourceConfig.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "platform/win/Profile.h"
#include "platform/win/ResourceFolder.h"

namespace {

constexpr const char* kFrameModule = "Brisvane.dll";

// Reads one value of the file under the base folder into a 260-byte buffer.
std::string ReadValue(const char* file, const char* section, const char* key) {
  char buffer[ResourceConfig::kMaxValueLength + 1] = {};
  if (key == nullptr) return {};
  const std::string path = ResourceConfig::GetBaseFolder() + file;
  GetPrivateProfileStringA(section, key, "", buffer, sizeof(buffer), path.c_str());
  return buffer;
}

}  // namespace

std::string ResourceConfig::GetBaseFolder() {
  // The full name of the frame's library with the library's own name cut off.
  char module[4096] = {};
  const DWORD n = GetModuleFileNameA(GetModuleHandleA(kFrameModule), module, sizeof(module));
  const size_t nameLength = std::strlen(kFrameModule);
  if (n == 0 || n >= sizeof(module) || n < nameLength) return {};
  return std::string(module, n - nameLength);
}

int ResourceConfig::GetCoordinate(const char* key) const {
  const std::string text = ReadValue(kCoordinateFile, kCoordinateSection, key);
  if (text.empty()) return 0;
  errno = 0;
  char* end = nullptr;
  const long value = std::strtol(text.c_str(), &end, 10);
  if (end == text.c_str() || errno == ERANGE || errno == EINVAL) return 0;
  if (value > INT_MAX || value < INT_MIN) return 0;  // would not fit: an overflow too
  return static_cast<int>(value);
}

std::string ResourceConfig::GetResourcePath(const char* key) const {
  return ReadValue(kResourcePathFile, kResourceSection, key);
}

std::string ResourceConfig::GetFontPath() const {
  return ResolvePath((GetBaseFolder() + kFontFile).c_str());
}
