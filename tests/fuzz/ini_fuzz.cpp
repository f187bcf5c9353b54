// The ini reader and the application profile on any file. Section lists, key lists and
// values are read into every buffer size and must be what Windows gives: the answer read
// into a large buffer, cut at the buffer's end (a list closed by two zeros and answered with
// size - 2, a value by one zero), and not one byte written past the buffer. The profile reads
// the same values, and a value it writes reads back.
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_util.h"
#include "platform/win/Profile.h"

namespace {

constexpr size_t kCanary = 8;
constexpr size_t kLarge = 1 << 16;

// Reads into a buffer of exactly `size` bytes followed by canary bytes.
struct Read {
  std::vector<char> bytes;
  DWORD result;
};
Read ReadInto(LPCSTR section, LPCSTR key, LPCSTR def, DWORD size, const std::string& path) {
  Read r;
  r.bytes.assign(size + kCanary, '#');
  r.result = GetPrivateProfileStringA(section, key, def, r.bytes.data(), size, path.c_str());
  for (size_t i = size; i < size + kCanary; ++i) {
    FUZZ_CHECK(r.bytes[i] == '#', "written at byte %zu of a buffer of %u", i, size);
  }
  return r;
}

// A list (section != null and key == null lists keys; both null list sections) into every
// size; returns its names.
std::vector<std::string> CheckList(LPCSTR section, const std::string& path) {
  const Read all = ReadInto(section, nullptr, "", kLarge, path);
  const DWORD full = all.result;
  const char* list = all.bytes.data();
  FUZZ_CHECK(full + 2 < kLarge, "a list of %u bytes from a small file", full);
  FUZZ_CHECK(list[full] == '\0' && (full == 0 || list[full - 1] == '\0'),
             "a list not closed by two zeros");
  std::vector<std::string> names;
  for (size_t at = 0; at < full;) {
    const size_t len = std::strlen(list + at);
    FUZZ_CHECK(len > 0, "an empty name inside a list");
    names.emplace_back(list + at, len);
    at += len + 1;
  }
  for (DWORD size = 1; size <= full + 2; ++size) {
    const Read r = ReadInto(section, nullptr, "", size, path);
    const char* got = r.bytes.data();
    if (size == 1) {
      FUZZ_CHECK(r.result == 0 && got[0] == '\0', "size 1");
    } else if (size >= full + 2) {  // the list fits with room to spare
      FUZZ_CHECK(r.result == full, "answered %u for a list of %u at size %u", r.result, full, size);
      FUZZ_CHECK(std::memcmp(got, list, full + 1) == 0 && (full > 0 || got[1] == '\0'),
                 "the list differs at size %u", size);
    } else {  // cut: the names up to the buffer's end, then two zeros
      FUZZ_CHECK(r.result == size - 2, "answered %u for a cut list at size %u", r.result, size);
      FUZZ_CHECK(std::memcmp(got, list, size - 2) == 0, "the cut list differs at size %u", size);
      FUZZ_CHECK(got[size - 2] == '\0' && got[size - 1] == '\0',
                 "a cut list not closed by two zeros at size %u", size);
    }
  }
  return names;
}

// A value into every size; returns it.
std::string CheckValue(LPCSTR section, LPCSTR key, const std::string& path) {
  const Read all = ReadInto(section, key, "", kLarge, path);
  const std::string value(all.bytes.data(), all.result);
  FUZZ_CHECK(all.bytes[all.result] == '\0', "a value not closed by a zero");
  for (DWORD size = 1; size <= value.size() + 2; ++size) {
    const Read r = ReadInto(section, key, "", size, path);
    const DWORD expected = value.size() < size - 1 ? static_cast<DWORD>(value.size()) : size - 1;
    FUZZ_CHECK(r.result == expected, "answered %u at size %u for a value of %zu", r.result, size,
               value.size());
    FUZZ_CHECK(
        std::memcmp(r.bytes.data(), value.data(), expected) == 0 && r.bytes[expected] == '\0',
        "the value differs at size %u", size);
  }
  GetPrivateProfileIntA(section, key, 7, path.c_str());
  return value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = fuzz::ScratchFile("ini-fuzz.ini");
  if (!fuzz::WriteFile(path, data, size)) return 0;

  const std::vector<std::string> sections = CheckList(nullptr, path);
  // A few sections and keys: every read parses the whole file again.
  std::string section, key, value;
  int values = 0;
  for (size_t s = 0; s < sections.size() && s < 2; ++s) {
    const std::vector<std::string> keys = CheckList(sections[s].c_str(), path);
    for (size_t k = 0; k < keys.size() && values < 4; ++k, ++values) {
      const std::string v = CheckValue(sections[s].c_str(), keys[k].c_str(), path);
      if (key.empty()) section = sections[s], key = keys[k], value = v;
    }
  }
  // A key that is not there gives the default without its trailing blanks.
  const Read missing = ReadInto("no\nsuch section", "k", "dflt \t ", 260, path);
  FUZZ_CHECK(missing.result == 4 && std::strcmp(missing.bytes.data(), "dflt") == 0,
             "the default of a missing section");

  // A profile the repair would keep is one the ini reader takes.
  FUZZ_CHECK(!ProfileTextReadable(std::string(reinterpret_cast<const char*>(data), size)) ||
                 CheckList(nullptr, path).size() == sections.size(),
             "a profile judged readable does not read");
  CProfile profile(path);
  if (!key.empty() && value.size() < 1024) {
    FUZZ_CHECK(profile.GetProfileString(section.c_str(), key.c_str(), "") == value,
               "the profile reads another value than the ini reader");
  }
  // A written value reads back; the profile rewrites the whole file.
  const char* writeSection = section.empty() ? "GameOption" : section.c_str();
  const char* writeKey = key.empty() ? "CardSpace" : key.c_str();
  if (profile.WriteProfileInt(writeSection, writeKey, 29)) {
    FUZZ_CHECK(profile.GetProfileInt(writeSection, writeKey, 0) == 29,
               "a written value does not read back");
  }
  return 0;
}
