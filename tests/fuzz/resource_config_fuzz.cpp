// The view's resource reader on two ini files of any bytes (the coordinate file and the
// resource-path file get the same bytes; each reads its own section). For the program's own
// keys and every key of the two sections: a resource path is the value as the ini reader gives
// it, cut at 259 bytes; a coordinate is the leading decimal number of that text when it fits an
// int, else 0; a key in other letter case reads the same. The font path and the base folder
// follow the resource folder.
#include <cctype>
#include <climits>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "config/ResourceConfig.h"
#include "fuzz_util.h"
#include "platform/win/Profile.h"
#include "platform/win/ResourceFolder.h"

namespace {

constexpr size_t kLarge = 1 << 16;

// The resource folder of the run: a Torvaly/ folder of its own.
const std::string& Folder() {
  static const std::string folder = [] {
    const std::string dir = fuzz::ScratchFile("resource-fuzz");
    std::filesystem::create_directories(dir + "/Torvaly");
    SetResourceFolder(dir);
    return dir;
  }();
  return folder;
}

// What a reader of a 260-byte buffer sees of the value under the key, and the whole value.
std::string Whole(const char* file, const char* section, const char* key) {
  std::vector<char> buffer(kLarge, '\0');
  const std::string path = Folder() + "/" + file;
  const DWORD n = GetPrivateProfileStringA(section, key, "", buffer.data(),
                                           static_cast<DWORD>(buffer.size()), path.c_str());
  return std::string(buffer.data(), n);
}
std::string Cut(const std::string& whole) {
  const std::string cut = whole.substr(0, ResourceConfig::kMaxValueLength);
  return cut.substr(0, std::strlen(cut.c_str()));
}

// The leading decimal number of the text (after blanks, with a sign), or 0 when there is none
// or it does not fit an int.
int ExpectedCoordinate(const std::string& text) {
  size_t at = 0;
  while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at]))) ++at;
  bool negative = false;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
  int64_t value = 0;
  bool digits = false;
  for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
    digits = true;
    value = value * 10 + (text[at] - '0');
    if (value > int64_t{INT_MAX} + 1) return 0;
  }
  if (!digits) return 0;
  if (negative) value = -value;
  return value < INT_MIN || value > INT_MAX ? 0 : static_cast<int>(value);
}

// The key's ASCII letters in the other case.
std::string OtherCase(std::string key) {
  for (char& c : key) {
    if (std::isalpha(static_cast<unsigned char>(c)) && static_cast<unsigned char>(c) < 0x80)
      c = static_cast<char>(c ^ 0x20);
  }
  return key;
}

// The keys of a section, in the file's order.
std::vector<std::string> Keys(const char* file, const char* section) {
  const std::string list = Whole(file, section, nullptr);
  std::vector<std::string> keys;
  for (size_t at = 0; at < list.size();) {
    const size_t len = std::strlen(list.c_str() + at);
    if (len > 0) keys.emplace_back(list.c_str() + at, len);
    at += len + 1;
  }
  return keys;
}

const char* const kProgramKeys[] = {
    "BgX",       "RightPlayerBgY", "MePlayerX",     "BtReadyY", "m_ImageViewBack",
    "m_sndBomb", "m_pPokerMiddle", "M_PPOKERMIDDLE"};

void CheckCoordinate(const ResourceConfig& config, const std::string& key) {
  const std::string text =
      Cut(Whole(ResourceConfig::kCoordinateFile, ResourceConfig::kCoordinateSection, key.c_str()));
  const int got = config.GetCoordinate(key.c_str());
  FUZZ_CHECK(got == ExpectedCoordinate(text), "coordinate %s of \"%s\" read as %d", key.c_str(),
             text.c_str(), got);
  FUZZ_CHECK(config.GetCoordinate(OtherCase(key).c_str()) == got,
             "coordinate %s reads otherwise in other case", key.c_str());
}

void CheckPath(const ResourceConfig& config, const std::string& key) {
  const std::string expected =
      Cut(Whole(ResourceConfig::kResourcePathFile, ResourceConfig::kResourceSection, key.c_str()));
  const std::string got = config.GetResourcePath(key.c_str());
  FUZZ_CHECK(got.size() <= ResourceConfig::kMaxValueLength, "a path of %zu bytes", got.size());
  FUZZ_CHECK(got == expected, "path %s read as \"%s\", the reader has \"%s\"", key.c_str(),
             got.c_str(), expected.c_str());
  FUZZ_CHECK(config.GetResourcePath(OtherCase(key).c_str()) == got,
             "path %s reads otherwise in other case", key.c_str());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string& folder = Folder();
  for (const char* file : {"Torvaly/qzt.ini", "Torvaly/ResourcePath.ini"}) {
    if (!fuzz::WriteFile(folder + "/" + file, data, size)) return 0;
  }
  const ResourceConfig config;
  FUZZ_CHECK(ResourceConfig::GetBaseFolder() == folder + "/", "the base folder is %s",
             ResourceConfig::GetBaseFolder().c_str());
  FUZZ_CHECK(config.GetFontPath() == folder + "/Torvaly/fzzy.TTF", "the font path is %s",
             config.GetFontPath().c_str());
  FUZZ_CHECK(config.GetCoordinate(nullptr) == 0 && config.GetResourcePath(nullptr).empty(),
             "a null key reads something");

  for (const char* key : kProgramKeys) {
    CheckCoordinate(config, key);
    CheckPath(config, key);
  }
  // Every read parses the file again: a few keys of each section.
  const std::vector<std::string> coordinates =
      Keys(ResourceConfig::kCoordinateFile, ResourceConfig::kCoordinateSection);
  for (size_t i = 0; i < coordinates.size() && i < 6; ++i) CheckCoordinate(config, coordinates[i]);
  const std::vector<std::string> paths =
      Keys(ResourceConfig::kResourcePathFile, ResourceConfig::kResourceSection);
  for (size_t i = 0; i < paths.size() && i < 6; ++i) CheckPath(config, paths[i]);
  return 0;
}
