// The program's wide printf rules on this platform: Windows meanings of %s, %c, %S and %I64,
// checked conversions only, and a bounded output.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <functional>
#include <iterator>
#include <string>

#include "text/WideFormat.h"

namespace {

struct FormatCase {
  const char* name;
  std::function<int(wchar_t*, size_t)> format;  // calls FormatWide with its own arguments
  const wchar_t* expected;                      // null: refused (-1, empty output)
};

#define FMT(...) [](wchar_t* o, size_t n) { return FormatWide(o, n, __VA_ARGS__); }

const char kAbc[3] = {'a', 'b', 'c'};  // no terminating zero

const FormatCase kCases[] = {
    // 64-bit scores
    {"I64u_13_digits", FMT(L"%I64u", 1234567890123ULL), L"1234567890123"},
    {"I64u_max", FMT(L"%I64u", UINT64_MAX), L"18446744073709551615"},
    {"I64d_negative", FMT(L"%I64d", -1234567890123LL), L"-1234567890123"},
    {"I64x", FMT(L"%I64X", 0xABCDEF0123ULL), L"ABCDEF0123"},
    {"I64u_between_text", FMT(L"[%I64u|%d]", 9000000000000ULL, 7), L"[9000000000000|7]"},
    {"I32d", FMT(L"%I32d", -5), L"-5"},
    {"I_size", FMT(L"%Iu", static_cast<size_t>(4000000000ULL)), L"4000000000"},
    {"lld_llu", FMT(L"%lld %llu", LLONG_MIN, ULLONG_MAX),
     L"-9223372036854775808 18446744073709551615"},
    {"hd_wraps", FMT(L"%hd", 70000), L"4464"},
    {"hhu_wraps", FMT(L"%hhu", 300), L"44"},
    // strings and characters, Windows meaning
    {"s_is_wide", FMT(L"%s!", L"游戏玩家"), L"游戏玩家!"},
    {"ls_is_wide", FMT(L"%ls", L"玩家"), L"玩家"},
    {"S_is_utf8", FMT(L"%S", "游戏"), L"游戏"},
    {"hs_is_utf8", FMT(L"%hs", "ab"), L"ab"},
    {"S_precision_reads_no_further", FMT(L"%.3S", kAbc), L"abc"},
    {"s_null", FMT(L"%s", static_cast<const wchar_t*>(nullptr)), L"(null)"},
    {"S_bad_utf8", FMT(L"%S", "a\xFFz"), L"a\uFFFDz"},
    {"c_is_wide", FMT(L"%c", L'游'), L"游"},
    {"C_is_narrow", FMT(L"%C", 'x'), L"x"},
    {"hc_high_byte", FMT(L"%hc", 0xE4), L"\uFFFD"},
    {"s_width_left", FMT(L"%-4s|%4s", L"ab", L"cd"), L"ab  |  cd"},
    // numbers
    {"width_and_flags", FMT(L"%5d|%-5d|%+d|% d|%05d", 42, 42, 42, 42, -42),
     L"   42|42   |+42| 42|-0042"},
    {"star_width", FMT(L"%*d|%-*d|", 4, 7, 3, 8), L"   7|8  |"},
    {"negative_star_width_left_justifies", FMT(L"%*d|", -3, 5), L"5  |"},
    {"star_precision", FMT(L"%.*f", 2, 3.14159), L"3.14"},
    {"float", FMT(L"%05.1f %e", 3.14159, 1.5), L"003.1 1.500000e+00"},
    {"L_reads_a_double", FMT(L"%Lf", 1.5), L"1.500000"},
    {"hex_and_octal", FMT(L"%x %X %#x %o %#o", 255u, 255u, 255u, 8u, 8u), L"ff FF 0xff 10 010"},
    {"hash_dropped_where_undefined", FMT(L"%#d %#u", 5, 6u), L"5 6"},
    {"percent", FMT(L"100%%"), L"100%"},
    {"plain_text", FMT(L"no conversions"), L"no conversions"},
    {"empty", FMT(L""), L""},
    // refused
    {"n_refused", FMT(L"%n", static_cast<int*>(nullptr)), nullptr},
    {"unknown_conversion", FMT(L"%q", 1), nullptr},
    {"lone_percent", FMT(L"abc%"), nullptr},
    {"huge_width", FMT(L"%9999d", 1), nullptr},
    {"huge_star_width", FMT(L"%*d", 100000, 1), nullptr},
    {"huge_precision", FMT(L"%.9999f", 1.0), nullptr},
    {"I64_on_float", FMT(L"%I64f", 1.0), nullptr},
    {"L_on_integer", FMT(L"%Ld", 1LL), nullptr},
    {"ll_on_string", FMT(L"%lls", L"x"), nullptr},
    {"null_format", [](wchar_t* o, size_t n) { return FormatWide(o, n, nullptr); }, nullptr},
};

TEST(FormatWide, FormatsByTheProgramsRules) {
  for (const FormatCase& c : kCases) {
    SCOPED_TRACE(c.name);
    wchar_t out[128];
    std::fill(std::begin(out), std::end(out), L'#');
    const int n = c.format(out, 128);
    EXPECT_EQ(std::wstring(out), c.expected ? c.expected : L"");
    EXPECT_EQ(n, c.expected ? static_cast<int>(std::wcslen(c.expected)) : -1);
  }
}

// What does not fit is refused whole, and nothing is written past the end: capacity, the text
// formatted as "<%s>", the answer.
TEST(FormatWide, NeverWritesPastTheBuffer) {
  const struct {
    size_t capacity;
    const wchar_t* text;
    int expected;
  } cases[] = {{8, L"hello", 7},  {7, L"hello", -1}, {2, L"", -1},
               {4, L"hello", -1}, {0, L"x", -1},     {1, L"", -1}};
  for (const auto& c : cases) {
    wchar_t buffer[40];
    std::fill(std::begin(buffer), std::end(buffer), L'#');
    EXPECT_EQ(FormatWide(buffer, c.capacity, L"<%s>", c.text), c.expected) << c.capacity;
    for (size_t i = c.capacity; i < 40; ++i) ASSERT_EQ(buffer[i], L'#') << "index " << i;
    EXPECT_TRUE(c.capacity == 0 || c.expected >= 0 || buffer[0] == L'\0');
  }
}

}  // namespace
