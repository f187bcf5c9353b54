// Ini files read and written with Windows semantics, and the application profile.
//
// GetPrivateProfileStringA: section and key names are compared without regard to case; a
// missing file, section or key gives the default (null counts as "", and trailing blanks of
// the default are dropped); a value enclosed in a matching pair of ' or " loses the pair; a
// key written twice answers with its first value. The answer is cut to size - 1 characters
// and always terminated; the result is the number of characters copied. With a null section
// the buffer receives every section name, with a null key every key of the section, in file
// order, each name followed by a zero and the list by a second zero; the result counts the
// names and their zeros. A list that does not fit ends with its last name cut short and two
// zeros, and the result is size - 2 (as on Windows, also when the list would end exactly on
// the buffer's last byte). A relative or backslashed file name is resolved against the
// resource folder (ResolvePath).
//
// GetPrivateProfileIntA: the key's text read as an integer the way Windows does: leading
// blanks, an optional sign, "0x" for hexadecimal, digits up to the first non-digit. A missing
// or empty value gives the default; text that does not start with a number gives 0.
//
// The application profile (the MFC application's GetProfileInt / WriteProfileInt) is the ini
// file $XDG_CONFIG_HOME/torvaly/profile.ini, or ~/.config/torvaly/profile.ini when that
// variable is not set. It is read on every call and written at once (a temporary file renamed
// over the old one), so nothing is lost when the program stops. Both use SimpleIni.
#pragma once

#include <string>

#include "platform/win/WinTypes.h"

DWORD GetPrivateProfileStringA(LPCSTR appName, LPCSTR keyName, LPCSTR defaultValue,
                               LPSTR returnedString, DWORD size, LPCSTR fileName);
UINT GetPrivateProfileIntA(LPCSTR appName, LPCSTR keyName, int defaultValue, LPCSTR fileName);
// value null deletes the key, key null deletes the section.
BOOL WritePrivateProfileStringA(LPCSTR appName, LPCSTR keyName, LPCSTR value, LPCSTR fileName);

// What PrepareProfile did before the profile's first read.
struct tagProfileRepair {
  std::string migratedFrom;  // non-empty: the older profile copied into place (left as it was)
  std::string movedAside;    // non-empty: where an unreadable profile was moved
};

// Run once before the window mode reads `path` (CProfile::DefaultPath()):
// - when there is no profile at `path` but there is one at the older place (~/.config/torvaly/
//   while $XDG_CONFIG_HOME now names another folder), its bytes are copied to `path`; the older
//   file stays where it is, so nothing is lost either way;
// - a profile that cannot be read (not text: NUL or control bytes, invalid UTF-8, or a read
//   error) is renamed beside itself to "profile.ini.unreadable-YYYYMMDD-HHMMSS" (local time of
//   `now`), never deleted, and the game starts with the defaults.
// False only when something had to be done and could not be (the profile is then left alone).
bool PrepareProfile(const std::string& path, long long now, tagProfileRepair& repair);
// The older place of the profile when it differs from `path`, else "".
std::string OlderProfilePath(const std::string& path);
// True when the bytes are a profile the program can read: UTF-8 text an ini reader takes.
bool ProfileTextReadable(const std::string& bytes);

class CProfile {
 public:
  // An empty path means DefaultPath(), looked up at construction.
  explicit CProfile(std::string path = {});

  static std::string DefaultPath();
  const std::string& Path() const { return m_path; }

  UINT GetProfileInt(LPCSTR section, LPCSTR entry, int defaultValue) const;
  BOOL WriteProfileInt(LPCSTR section, LPCSTR entry, int value);
  std::string GetProfileString(LPCSTR section, LPCSTR entry, LPCSTR defaultValue = nullptr) const;
  BOOL WriteProfileString(LPCSTR section, LPCSTR entry, LPCSTR value);

 private:
  std::string m_path;
};
