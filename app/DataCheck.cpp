#include "app/DataCheck.h"

#include <SDL2/SDL.h>
#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include "app/Options.h"
#include "client/GameClientDlg.h"
#include "platform/engine/ImageFile.h"
#include "platform/engine/WaveFile.h"
#include "platform/win/DataFault.h"
#include "platform/win/Profile.h"
#include "platform/win/ResourceFolder.h"
#include "text/FontManager.h"
#include "text/GuiFont.h"
#include "view/GameClientView.h"

namespace {

std::ostream* g_out = nullptr;
int g_faults = 0;

void ToCheckOutput(const std::string& line) {
  ++g_faults;
  if (g_out != nullptr) *g_out << line << '\n';
}

bool EndsWith(const std::string& s, const char* tail) {
  const size_t n = std::strlen(tail);
  if (s.size() < n) return false;
  for (size_t i = 0; i < n; ++i) {
    if (std::tolower(static_cast<unsigned char>(s[s.size() - n + i])) != tail[i]) return false;
  }
  return true;
}

// Every file below `dir`, recursively (the folder is small and shallow).
void ListFiles(const std::string& dir, std::vector<std::string>& files, int depth = 0) {
  if (depth > 8) return;
  DIR* d = opendir(dir.c_str());
  if (d == nullptr) return;
  while (dirent* e = readdir(d)) {
    if (e->d_name[0] == '.') continue;
    const std::string path = dir + "/" + e->d_name;
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) continue;
    if (S_ISDIR(st.st_mode)) {
      ListFiles(path, files, depth + 1);
    } else {
      files.push_back(path);
    }
  }
  closedir(d);
}

void CheckImage(const std::string& path) {
  // The loader notes a file it cannot decode.
  if (SDL_Surface* s = LoadImageSurface(path.c_str())) SDL_FreeSurface(s);
}

void CheckWave(const std::string& path) {
  std::string bytes;
  tagWaveLayout layout;
  if (!ReadWholeFile(path, bytes)) {
    NoteDataFault(path, DataFaultOf(path));
  } else if (!ReadWaveLayout(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(),
                             layout) ||
             layout.dataSize == 0) {
    NoteDataFault(path, DataFault::Unusable);
  }
}

void CheckFont(const std::string& path) {
  CFontManager fonts;
  if (!fonts.Init() || !fonts.LoadFont(path.c_str())) NoteDataFault(path, DataFaultOf(path));
}

void CheckIni(const std::string& path, const char* section) {
  char keys[64];
  std::string bytes;
  if (!ReadWholeFile(path, bytes) || bytes.empty()) {
    NoteDataFault(path, DataFaultOf(path));
  } else if (GetPrivateProfileStringA(section, nullptr, "", keys, sizeof(keys), path.c_str()) ==
             0) {
    NoteDataFault(path, DataFault::Unusable);  // no key in the section the game reads
  }
}

void CheckFile(const std::string& path) {
  if (EndsWith(path, ".png") || EndsWith(path, ".jpg") || EndsWith(path, ".bmp")) {
    CheckImage(path);
  } else if (EndsWith(path, ".wav")) {
    CheckWave(path);
  } else if (EndsWith(path, ".ttf") || EndsWith(path, ".ttc")) {
    CheckFont(path);
  } else if (DataFaultOf(path) == DataFault::Missing) {
    NoteDataFault(path, DataFault::Missing);
  }
}

// The names the table builds itself rather than reading them from the resource-path file.
void AddBuiltNames(std::vector<std::string>& names) {
  for (int g = 0; g < VOICE_GENDERS; ++g) {
    for (int n = 1; n <= VOICE_SINGLES; ++n) names.push_back(SingleVoiceFile(g, n));
    for (int n = 1; n <= VOICE_PAIRS; ++n) names.push_back(PairVoiceFile(g, n));
    names.push_back(LineVoiceFile(g, false));
    names.push_back(LineVoiceFile(g, true));
  }
  names.push_back(SHUNZI_SOUND_FILE);
  for (int track = 1; track <= MUSIC_TRACKS; ++track) names.push_back(MusicFile(track));
  for (int gender = 1; gender <= 2; ++gender) {
    for (int face = 1; face <= PORTRAIT_COUNT; ++face) names.push_back(PortraitFile(gender, face));
  }
  names.push_back(gcn::HGEImageFont::FontFileFor(""));
}

}  // namespace

int CheckDataFolder(std::ostream& out) {
  g_out = &out;
  g_faults = 0;
  ForgetDataFaults();
  SetDataFaultSink(&ToCheckOutput);

  const std::string resources = ResolvePath("Torvaly\\ResourcePath.ini");
  CheckIni(resources, "Resource");
  CheckIni(ResolvePath("Torvaly\\qzt.ini"), "GAME_COORDINATE");

  std::vector<std::string> paths;
  std::vector<char> keys(16384);
  const DWORD size = GetPrivateProfileStringA("Resource", nullptr, "", keys.data(),
                                              static_cast<DWORD>(keys.size()), resources.c_str());
  for (DWORD at = 0; at < size && keys[at] != '\0'; at += std::strlen(&keys[at]) + 1) {
    char value[512];
    GetPrivateProfileStringA("Resource", &keys[at], "", value, sizeof(value), resources.c_str());
    if (value[0] != '\0') paths.push_back(ResolvePath(value));
  }
  std::vector<std::string> built;
  AddBuiltNames(built);
  for (const std::string& name : built) paths.push_back(ResolvePath(name.c_str()));
  ListFiles(GetResourceFolder() + "/Torvaly", paths);
  std::sort(paths.begin(), paths.end());
  paths.erase(std::unique(paths.begin(), paths.end()), paths.end());
  for (const std::string& path : paths) {
    if (!EndsWith(path, ".ini")) CheckFile(path);
  }

  SetDataFaultSink(nullptr);
  g_out = nullptr;
  out << "torvaly: " << paths.size() + 2 << " files of " << GetResourceFolder()
      << "/Torvaly checked, " << g_faults << " cannot"
      << " be used\n";
  return g_faults == 0 ? 0 : 1;
}
