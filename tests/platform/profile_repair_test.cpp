// The profile's readability check and the repair before the window mode's first read.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <random>
#include <string>

#include "platform/win/Profile.h"
#include "platform/win/ResourceFolder.h"

namespace {

TEST(ProfileRepairTest, WhatCountsAsReadableText) {
  std::mt19937 random(5);
  std::string noise(5000, '\0');
  for (char& c : noise) c = static_cast<char>(random());
  const struct {
    const char* name;
    std::string bytes;
    bool readable;
  } cases[] = {
      {"empty", "", true},
      {"ini with CR LF and a tab", "[GameOption]\r\nCardSpace=\t22\r\n", true},
      {"Chinese name", "[Player]\nName=阿明\n", true},
      {"four-byte character", "k=\xF0\x9F\x83\x8F\n", true},
      {"NUL byte", std::string("k=1\0\n", 5), false},
      {"escape byte", "k=\x1B[31m\n", false},
      {"stray continuation", "k=\x80\n", false},
      {"lead byte without its tail", "k=\xE9\x98", false},
      {"overlong slash", "k=\xC0\xAF\n", false},
      {"overlong three bytes", "k=\xE0\x80\xAF\n", false},
      {"surrogate", "k=\xED\xA0\x80\n", false},
      {"beyond U+10FFFF", "k=\xF4\x90\x80\x80\n", false},
      {"5000 random bytes", noise, false},
  };
  for (const auto& c : cases) EXPECT_EQ(ProfileTextReadable(c.bytes), c.readable) << c.name;
}

// A fresh HOME and XDG_CONFIG_HOME for each case; the test's own come back after it.
struct Homes {
  std::string root, home, config;
  Homes() {
    char dir[] = "/tmp/torvaly-profile-test-XXXXXX";
    root = mkdtemp(dir);
    if (const char* v = std::getenv("HOME")) home = v;
    if (const char* v = std::getenv("XDG_CONFIG_HOME")) config = v;
    setenv("HOME", (root + "/home").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (root + "/config").c_str(), 1);
  }
  ~Homes() {
    setenv("HOME", home.c_str(), 1);
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    EXPECT_EQ(std::system(("rm -rf '" + root + "'").c_str()), 0);
  }
  std::string Put(const std::string& relative, const std::string& bytes) const {
    const std::string path = root + "/" + relative;
    EXPECT_EQ(std::system(("mkdir -p \"$(dirname '" + path + "')\"").c_str()), 0);
    std::FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    return path;
  }
};

std::string Read(const std::string& path) {
  std::string bytes;
  return ReadWholeFile(path, bytes) ? bytes : "(none)";
}

TEST(ProfileRepairTest, MigratesKeepsOrMovesAside) {
  const std::string good = "[GameOption]\nCardSpace=22\n";
  const std::string junk("\x01\xFF\x00junk", 7);
  const long long noon = 1796731200;  // 2026-12-08 12:00:00 UTC
  setenv("TZ", "UTC", 1);
  tzset();
  const struct {
    const char* name;
    const char* current;  // nullptr: none
    const char* older;
    const char* afterCurrent;  // "(none)": no file at the profile's place
    bool migrated, movedAside;
  } cases[] = {
      {"nothing anywhere", nullptr, nullptr, "(none)", false, false},
      {"a readable profile stays", "good", nullptr, "good", false, false},
      {"the newer profile wins over the older", "good", "junk", "good", false, false},
      {"the older profile is copied", nullptr, "good", "good", true, false},
      {"an unreadable profile is moved aside", "junk", nullptr, "(none)", false, true},
      {"an unreadable older one is copied, then moved aside", nullptr, "junk", "(none)", true,
       true},
  };
  auto bytesOf = [&](const char* which) { return std::string(which) == "good" ? good : junk; };
  for (const auto& c : cases) {
    Homes homes;
    const std::string path = CProfile::DefaultPath();
    ASSERT_EQ(path, homes.root + "/config/torvaly/profile.ini");
    if (c.current) homes.Put("config/torvaly/profile.ini", bytesOf(c.current));
    const std::string older =
        c.older ? homes.Put("home/.config/torvaly/profile.ini", bytesOf(c.older)) : "";
    tagProfileRepair repair;
    ASSERT_TRUE(PrepareProfile(path, noon, repair)) << c.name;
    const std::string after = Read(path);
    EXPECT_EQ(after, std::string(c.afterCurrent) == "(none)" ? "(none)" : bytesOf(c.afterCurrent))
        << c.name;
    EXPECT_EQ(!repair.migratedFrom.empty(), c.migrated) << c.name;
    if (c.older) {
      EXPECT_EQ(Read(older), bytesOf(c.older)) << c.name << ": the older file changed";
    }
    EXPECT_EQ(!repair.movedAside.empty(), c.movedAside) << c.name;
    if (c.movedAside) {
      EXPECT_EQ(repair.movedAside.rfind(path + ".unreadable-20261208-120000", 0), 0u)
          << repair.movedAside;
      EXPECT_EQ(Read(repair.movedAside), junk) << c.name << ": the moved profile lost bytes";
    }
  }
}

TEST(ProfileRepairTest, ASecondUnreadableProfileTheSameSecondGetsItsOwnName) {
  Homes homes;
  const std::string path = CProfile::DefaultPath();
  tagProfileRepair first, second;
  homes.Put("config/torvaly/profile.ini", std::string("\0a", 2));
  ASSERT_TRUE(PrepareProfile(path, 1796731200, first));
  homes.Put("config/torvaly/profile.ini", std::string("\0b", 2));
  ASSERT_TRUE(PrepareProfile(path, 1796731200, second));
  EXPECT_NE(first.movedAside, second.movedAside);
  EXPECT_EQ(Read(first.movedAside), std::string("\0a", 2));
  EXPECT_EQ(Read(second.movedAside), std::string("\0b", 2));
}

}  // namespace
