// The wide printf formatter on any format. Whatever conversions a format holds, each
// argument it reads is a valid string (as wide or as UTF-8 text), a small integer or a double,
// so only the formatter itself can go wrong: nothing is written past the buffer, a refused or
// too long text leaves an empty string and -1, and a text that fits in a small buffer is the
// same text the formatter writes into a large one.
#include <sys/mman.h>

#include <cmath>
#include <cstring>
#include <cwchar>
#include <utility>

#include "fuzz_util.h"
#include "text/WideFormat.h"

namespace {

constexpr size_t kMaxFormat = 128;  // each conversion reads at most 2 arguments per 3 characters
constexpr size_t kArgs = 96;
constexpr size_t kMaxText = 256;  // wide characters of argument text
constexpr size_t kUnits = kMaxText + kArgs + 1;
constexpr size_t kLarge = 4096;
constexpr size_t kCanary = 8;

// The arguments' text lives at a fixed address whose low 32 bits are small, so that an
// argument read as an integer (a width '*' included) is small and the same on every run.
wchar_t* ArgumentArea() {
  static wchar_t* area = [] {
    void* fixed = reinterpret_cast<void*>(uintptr_t{0x100100000000});
    void* p = mmap(fixed, kUnits * sizeof(wchar_t), PROT_READ | PROT_WRITE,
                   MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED_NOREPLACE, -1, 0);
    if (p == MAP_FAILED) {
      static wchar_t fallback[kUnits];
      return fallback;
    }
    return static_cast<wchar_t*>(p);
  }();
  return area;
}

// Argument k is the text from unit k on: a wide string, and read narrow, a byte string.
// Eight doubles fill the vector registers, so that no argument read as a pointer is one.
template <size_t... I>
int Format(wchar_t* out, size_t capacity, const wchar_t* format, const wchar_t* text,
           std::index_sequence<I...>) {
  return FormatWide(out, capacity, format, 0.0, -1.5, 1e308, std::nan(""), HUGE_VAL, -0.0,
                    5e-324, 123.456, (text + I)...);
}

int FormatInto(wchar_t* out, size_t capacity, const wchar_t* format) {
  return Format(out, capacity, format, ArgumentArea(), std::make_index_sequence<kArgs>{});
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::ByteReader in(data, size);
  const size_t capacity = 1 + in.Byte();
  wchar_t format[kMaxFormat + 1];
  size_t length = 0;
  while (!in.Empty() && length < kMaxFormat) {
    const uint8_t b = in.Byte();
    if (b == 0) break;
    format[length++] = static_cast<wchar_t>(b);
  }
  format[length] = L'\0';
  wchar_t* text = ArgumentArea();
  std::memset(text, 0, kUnits * sizeof(wchar_t));
  for (size_t i = 0; i < kMaxText && in.Left() > 0; ++i) {
    uint32_t unit = 0;
    size_t got = 0;
    const uint8_t* bytes = in.Take(4, got);
    std::memcpy(&unit, bytes, got);
    text[i] = static_cast<wchar_t>(unit);
  }

  wchar_t large[kLarge];
  const int full = FormatInto(large, kLarge, format);
  FUZZ_CHECK(full < static_cast<int>(kLarge), "%d characters", full);
  // A %c of character 0 writes a zero inside the text, so the answer, not wcslen, is its length.
  FUZZ_CHECK(full >= 0 ? large[full] == L'\0' : large[0] == L'\0',
             "answer %d and the text disagree", full);

  wchar_t small[256 + kCanary];
  std::wmemset(small, L'#', std::size(small));
  const int n = FormatInto(small, capacity, format);
  for (size_t i = capacity; i < std::size(small); ++i) {
    FUZZ_CHECK(small[i] == L'#', "written at %zu of %zu", i, capacity);
  }
  if (full >= 0 && static_cast<size_t>(full) < capacity) {
    FUZZ_CHECK(n == full && std::wmemcmp(small, large, full + 1) == 0, "a text that fits differs");
  } else {
    FUZZ_CHECK(n == -1 && small[0] == L'\0', "a refused or too long text gave %d", n);
  }

  wchar_t none[1] = {L'#'};
  FUZZ_CHECK(FormatInto(none, 0, format) == -1 && none[0] == L'#', "a buffer of 0 was written");
  return 0;
}
