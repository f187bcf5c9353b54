#include "platform/win/ResourceFolder.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstring>

// The installed data folder relative to the folder of the executable ("../share/torvaly" for
// bin/ and share/ under one prefix), so that an installed tree can be moved as a whole.
#ifndef TORVALY_DATA_FROM_BIN
#define TORVALY_DATA_FROM_BIN "../share/torvaly"
#endif

namespace {

std::string g_explicitFolder;
std::string g_folder;
bool g_decided = false;

constexpr int kMaxModules = 16;
std::string g_moduleNames[kMaxModules];
int g_moduleCount = 0;

bool IsDirectory(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool Exists(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0;
}

std::string ExecutablePath() {
  char buffer[4096];
  const ssize_t n = readlink("/proc/self/exe", buffer, sizeof(buffer) - 1);
  if (n <= 0) return {};
  buffer[n] = '\0';
  return buffer;
}

std::string StripTrailingSlash(std::string dir) {
  while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
  return dir;
}

bool EqualNoCase(const char* a, const std::string& b) {
  size_t i = 0;
  for (; a[i] != '\0' && i < b.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  }
  return a[i] == '\0' && i == b.size();
}

// Finds an entry of dir whose name matches name without regard to case.
bool FindNoCase(const std::string& dir, const std::string& name, std::string& found) {
  DIR* d = opendir(dir.empty() ? "." : dir.c_str());
  if (d == nullptr) return false;
  bool ok = false;
  while (dirent* e = readdir(d)) {
    if (EqualNoCase(e->d_name, name)) {
      found = e->d_name;
      ok = true;
      break;
    }
  }
  closedir(d);
  return ok;
}

}  // namespace

std::string GetExecutableFolder() {
  std::string exe = ExecutablePath();
  const size_t slash = exe.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : exe.substr(0, slash);
}

void SetResourceFolder(const std::string& dir) {
  g_explicitFolder = dir.empty() ? std::string() : StripTrailingSlash(dir);
  g_decided = false;
}

const std::string& GetResourceFolder() {
  if (!g_decided) {
    if (!g_explicitFolder.empty()) {
      g_folder = g_explicitFolder;
    } else {
      const std::string beside = GetExecutableFolder();
      const std::string installed = beside + "/" + StripTrailingSlash(TORVALY_DATA_FROM_BIN);
      if (IsDirectory(beside + "/Torvaly")) {
        g_folder = beside;
      } else if (IsDirectory(installed + "/Torvaly")) {
        g_folder = installed;
      } else {
        g_folder = beside;
      }
    }
    g_decided = true;
  }
  return g_folder;
}

bool ParseResourceFolderArgument(int argc, const char* const* argv) {
  for (int i = 1; i < argc; ++i) {
    if (argv[i] == nullptr) continue;
    if (std::strcmp(argv[i], "--data") == 0 && i + 1 < argc && argv[i + 1] != nullptr) {
      SetResourceFolder(argv[i + 1]);
      return true;
    }
    if (std::strncmp(argv[i], "--data=", 7) == 0 && argv[i][7] != '\0') {
      SetResourceFolder(argv[i] + 7);
      return true;
    }
  }
  return false;
}

std::string ResolvePath(const char* path) {
  if (path == nullptr || path[0] == '\0') return {};
  std::string name(path);
  for (char& c : name) {
    if (c == '\\') c = '/';
  }
  std::string full = name[0] == '/' ? name : GetResourceFolder() + "/" + name;
  if (Exists(full)) return full;

  // Walk the components and fix the case of those that do not exist as written.
  std::string done = full[0] == '/' ? "" : ".";
  size_t pos = full[0] == '/' ? 1 : 0;
  while (pos <= full.size()) {
    size_t next = full.find('/', pos);
    if (next == std::string::npos) next = full.size();
    std::string part = full.substr(pos, next - pos);
    if (!part.empty()) {
      const std::string candidate = done + "/" + part;
      std::string found;
      if (!Exists(candidate) && FindNoCase(done.empty() ? "/" : done, part, found)) {
        done += "/" + found;
      } else {
        done = candidate;
      }
    }
    pos = next + 1;
  }
  return Exists(done) ? done : full;
}

HMODULE GetModuleHandleA(const char* moduleName) {
  // Token 1 is the executable; named modules follow.
  if (moduleName == nullptr) return reinterpret_cast<HMODULE>(uintptr_t{1});
  for (int i = 0; i < g_moduleCount; ++i) {
    if (EqualNoCase(moduleName, g_moduleNames[i]))
      return reinterpret_cast<HMODULE>(uintptr_t(i + 2));
  }
  if (g_moduleCount >= kMaxModules) return nullptr;
  g_moduleNames[g_moduleCount] = moduleName;
  ++g_moduleCount;
  return reinterpret_cast<HMODULE>(uintptr_t(g_moduleCount + 1));
}

DWORD GetModuleFileNameA(HMODULE module, char* fileName, DWORD size) {
  if (fileName == nullptr || size == 0) return 0;
  const uintptr_t token = module == nullptr ? 1 : reinterpret_cast<uintptr_t>(module);
  std::string path;
  if (token == 1) {
    path = ExecutablePath();
  } else if (token >= 2 && token < static_cast<uintptr_t>(g_moduleCount) + 2) {
    path = GetResourceFolder() + "/" + g_moduleNames[token - 2];
  } else {
    fileName[0] = '\0';
    return 0;
  }
  if (path.size() + 1 > size) {  // truncated, terminated, and the full size reported
    std::memcpy(fileName, path.data(), size - 1);
    fileName[size - 1] = '\0';
    return size;
  }
  std::memcpy(fileName, path.c_str(), path.size() + 1);
  return static_cast<DWORD>(path.size());
}

bool ReadWholeFile(const std::string& path, std::string& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return false;
  char chunk[4096];
  size_t n;
  while ((n = std::fread(chunk, 1, sizeof(chunk), f)) > 0) bytes.append(chunk, n);
  const bool ok = std::ferror(f) == 0;
  std::fclose(f);
  return ok;
}
