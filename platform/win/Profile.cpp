#define SI_NO_CONVERSION
#include "platform/win/Profile.h"

#include <SimpleIni.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <list>
#include <string>
#include <string_view>

#include "platform/win/ResourceFolder.h"
#include "platform/win/Utf8.h"

namespace {

// Section and key names are case-insensitive in CSimpleIniA; multi-key so that the first of
// two equal keys can be answered, as Windows does.
struct IniFile {
  CSimpleIniA ini{true, true, false};
  bool loaded = false;
};

// SimpleIni skips a line that opens a section without closing it ("[name" alone) but keeps
// it as the section of the keys that follow, a name that runs across lines up to the next
// key's '='; a profile saved after that names the section differently each time. Windows
// keeps such a line out of the section names; here it becomes a comment.
void CommentOutOpenSections(std::string& text) {
  for (size_t line = 0; line < text.size();) {
    size_t end = text.find_first_of("\r\n", line);
    if (end == std::string::npos) end = text.size();
    size_t at = line;
    while (at < end && (text[at] == ' ' || text[at] == '\t')) ++at;
    if (at < end && text[at] == '[' &&
        std::find(text.begin() + at, text.begin() + end, ']') == text.begin() + end) {
      text[at] = ';';
    }
    line = end + 1;
  }
}

bool LoadIni(const std::string& path, IniFile& file) {
  file.ini.SetQuotes(false);
  std::string text;
  file.loaded = false;
  if (path.empty() || !ReadWholeFile(path, text)) return false;
  CommentOutOpenSections(text);
  file.loaded = file.ini.LoadData(text.data(), text.size()) == SI_OK;
  return file.loaded;
}

std::string_view StripQuotes(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front())
    return value.substr(1, value.size() - 2);
  return value;
}

DWORD CopyOut(std::string_view text, LPSTR out, DWORD size) {
  const size_t n = text.size() < size - 1 ? text.size() : size - 1;
  std::memcpy(out, text.data(), n);
  out[n] = '\0';
  return static_cast<DWORD>(n);
}

// Copies a list of names the way Windows lists sections and keys: each name followed by one
// zero, the list by a second one. When the list does not fit, the name that reaches the last
// byte is cut short and followed by two zeros, and the answer is size - 2; a list that ends
// exactly on the last byte counts as cut, as it does on Windows. Nothing is written at or
// past out[size]. Names are never empty: an empty one would end the list early.
DWORD CopyList(const CSimpleIniA::TNamesDepend& names, LPSTR out, DWORD size) {
  if (size < 2) {
    out[0] = '\0';
    return 0;
  }
  size_t used = 0;
  for (const auto& entry : names) {
    const size_t len = std::strlen(entry.pItem);
    if (len == 0) continue;
    const size_t room = size - 1 - used;  // at least 1: the list's final zero
    if (len + 1 >= room) {
      std::memcpy(out + used, entry.pItem, room - 1);
      out[size - 2] = '\0';
      out[size - 1] = '\0';
      return size - 2;
    }
    std::memcpy(out + used, entry.pItem, len + 1);
    used += len + 1;
  }
  out[used] = '\0';
  if (used == 0) out[1] = '\0';  // an empty list is two zeros too
  return static_cast<DWORD>(used);
}

std::string_view TrimTrailingBlanks(std::string_view text) {
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

bool ReadValue(const CSimpleIniA& ini, LPCSTR app, LPCSTR key, std::string_view& value) {
  const char* found = ini.GetValue(app, key, nullptr);  // first of equal keys
  if (found == nullptr) return false;
  value = StripQuotes(found);
  return true;
}

int ParseWindowsInt(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  unsigned base = 10;
  if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  uint32_t value = 0;  // wraps like the 32-bit Windows result
  for (; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    unsigned digit;
    if (std::isdigit(c)) {
      digit = c - '0';
    } else if (base == 16 && std::isxdigit(c)) {
      digit = static_cast<unsigned>(std::tolower(c) - 'a' + 10);
    } else {
      break;
    }
    value = value * base + digit;
  }
  return static_cast<int>(negative ? 0u - value : value);
}

bool MakeParentFolders(const std::string& path) {
  for (size_t pos = path.find('/', 1); pos != std::string::npos; pos = path.find('/', pos + 1)) {
    const std::string dir = path.substr(0, pos);
    if (mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) return false;
  }
  return true;
}

BOOL WriteIniValue(const std::string& path, LPCSTR app, LPCSTR key, LPCSTR value) {
  if (path.empty() || app == nullptr) return FALSE;
  IniFile file;
  LoadIni(path, file);  // a missing file starts empty
  if (key == nullptr) {
    file.ini.Delete(app, nullptr);
  } else if (value == nullptr) {
    file.ini.Delete(app, key);
  } else {
    // Replace every copy of the key so that the first one read back is the new value.
    file.ini.Delete(app, key);
    if (file.ini.SetValue(app, key, value) < 0) return FALSE;
  }
  if (!MakeParentFolders(path)) return FALSE;
  // A temporary file of our own beside the profile: two programs saving at once must not
  // rename each other's half-written file into place.
  std::string temp = path + ".XXXXXX";
  const int fd = mkstemp(temp.data());
  if (fd < 0) return FALSE;
  close(fd);
  if (file.ini.SaveFile(temp.c_str(), false) != SI_OK) {
    std::remove(temp.c_str());
    return FALSE;
  }
  if (std::rename(temp.c_str(), path.c_str()) != 0) {
    std::remove(temp.c_str());
    return FALSE;
  }
  return TRUE;
}

}  // namespace

DWORD GetPrivateProfileStringA(LPCSTR appName, LPCSTR keyName, LPCSTR defaultValue,
                               LPSTR returnedString, DWORD size, LPCSTR fileName) {
  if (returnedString == nullptr || size == 0) return 0;
  IniFile file;
  LoadIni(ResolvePath(fileName), file);

  if (appName == nullptr || keyName == nullptr) {
    CSimpleIniA::TNamesDepend names;
    if (file.loaded) {
      if (appName == nullptr) {
        file.ini.GetAllSections(names);
      } else {
        file.ini.GetAllKeys(appName, names);
      }
      // Sections are merged by name and GetAllKeys keeps the first of equal keys, so each
      // name comes once; Windows lists them in file order.
      names.sort(CSimpleIniA::Entry::LoadOrder());
    }
    return CopyList(names, returnedString, size);
  }

  std::string_view value;
  if (file.loaded && ReadValue(file.ini, appName, keyName, value))
    return CopyOut(value, returnedString, size);
  return CopyOut(TrimTrailingBlanks(defaultValue ? defaultValue : ""), returnedString, size);
}

UINT GetPrivateProfileIntA(LPCSTR appName, LPCSTR keyName, int defaultValue, LPCSTR fileName) {
  if (appName == nullptr || keyName == nullptr) return static_cast<UINT>(defaultValue);
  char buffer[256];
  if (GetPrivateProfileStringA(appName, keyName, "", buffer, sizeof(buffer), fileName) == 0)
    return static_cast<UINT>(defaultValue);
  return static_cast<UINT>(ParseWindowsInt(buffer));
}

BOOL WritePrivateProfileStringA(LPCSTR appName, LPCSTR keyName, LPCSTR value, LPCSTR fileName) {
  return WriteIniValue(ResolvePath(fileName), appName, keyName, value);
}

CProfile::CProfile(std::string path) : m_path(path.empty() ? DefaultPath() : std::move(path)) {}

std::string CProfile::DefaultPath() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (config != nullptr && config[0] == '/') return std::string(config) + "/torvaly/profile.ini";
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] != '\0') return std::string(home) + "/.config/torvaly/profile.ini";
  return {};  // nowhere to keep it: reads give defaults, writes fail
}

UINT CProfile::GetProfileInt(LPCSTR section, LPCSTR entry, int defaultValue) const {
  if (m_path.empty()) return static_cast<UINT>(defaultValue);
  return GetPrivateProfileIntA(section, entry, defaultValue, m_path.c_str());
}

BOOL CProfile::WriteProfileInt(LPCSTR section, LPCSTR entry, int value) {
  char text[16];
  std::snprintf(text, sizeof(text), "%d", value);
  return WriteIniValue(m_path, section, entry, text);
}

std::string CProfile::GetProfileString(LPCSTR section, LPCSTR entry, LPCSTR defaultValue) const {
  char buffer[1024];
  if (m_path.empty()) return defaultValue ? defaultValue : "";
  GetPrivateProfileStringA(section, entry, defaultValue, buffer, sizeof(buffer), m_path.c_str());
  return buffer;
}

BOOL CProfile::WriteProfileString(LPCSTR section, LPCSTR entry, LPCSTR value) {
  return WriteIniValue(m_path, section, entry, value);
}

bool ProfileTextReadable(const std::string& bytes) {
  for (const char ch : bytes) {
    const auto c = static_cast<unsigned char>(ch);
    if (c < 0x20 && c != '\t' && c != '\r' && c != '\n') return false;
  }
  if (!IsValidUtf8(bytes.data(), bytes.size())) return false;
  CSimpleIniA ini{true, true, false};
  return ini.LoadData(bytes.data(), bytes.size()) == SI_OK;
}

std::string OlderProfilePath(const std::string& path) {
  const char* home = std::getenv("HOME");
  if (home == nullptr || home[0] != '/') return {};
  const std::string older = std::string(home) + "/.config/torvaly/profile.ini";
  return older == path ? std::string() : older;
}

namespace {

bool FileExists(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0;
}

bool CopyInto(const std::string& from, const std::string& to) {
  std::string bytes;
  if (!ReadWholeFile(from, bytes) || !MakeParentFolders(to)) return false;
  std::string temp = to + ".XXXXXX";
  const int fd = mkstemp(temp.data());
  if (fd < 0) return false;
  const bool written = write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
  close(fd);
  if (!written || std::rename(temp.c_str(), to.c_str()) != 0) {
    std::remove(temp.c_str());
    return false;
  }
  return true;
}

}  // namespace

bool PrepareProfile(const std::string& path, long long now, tagProfileRepair& repair) {
  repair = {};
  if (path.empty()) return true;
  if (!FileExists(path)) {
    const std::string older = OlderProfilePath(path);
    if (older.empty() || !FileExists(older)) return true;
    if (!CopyInto(older, path)) return false;
    repair.migratedFrom = older;
  }
  std::string bytes;
  if (ReadWholeFile(path, bytes) && ProfileTextReadable(bytes)) return true;
  const time_t when = static_cast<time_t>(now);
  tm local{};
  localtime_r(&when, &local);
  char stamp[32];
  std::strftime(stamp, sizeof(stamp), "%Y%m%d-%H%M%S", &local);
  std::string aside = path + ".unreadable-" + stamp;
  for (int n = 2; FileExists(aside) && n < 100; ++n) {
    aside = path + ".unreadable-" + stamp + "-" + std::to_string(n);
  }
  if (FileExists(aside) || std::rename(path.c_str(), aside.c_str()) != 0) return false;
  repair.movedAside = aside;
  return true;
}
