#include "text/WideFormat.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>

#include "platform/win/WinText.h"

namespace {

enum class Length { None, Char, Short, Long, LongLong, IntMax, Size, PtrDiff, LongDouble, I32, I64,
                    Ptr, Wide };

struct Conversion {
  bool minus = false, plus = false, space = false, zero = false, hash = false;
  int width = -1;      // -1: none
  int precision = -1;  // -1: none
  Length length = Length::None;
  wchar_t type = 0;
};

// The output: a bounded buffer that remembers whether everything fitted.
class Output {
 public:
  Output(wchar_t* buffer, size_t capacity) : m_buffer(buffer), m_capacity(capacity) {}

  bool Put(wchar_t c) {
    if (m_length + 1 >= m_capacity) return false;
    m_buffer[m_length++] = c;
    m_buffer[m_length] = L'\0';
    return true;
  }

  // Runs one checked conversion of the C library into the rest of the buffer.
  template <class T>
  bool Print(const wchar_t* spec, T value) {
    const size_t room = m_capacity - m_length;
    const int n = std::swprintf(m_buffer + m_length, room, spec, value);
    if (n < 0 || static_cast<size_t>(n) >= room) {
      m_buffer[m_length] = L'\0';
      return false;
    }
    m_length += static_cast<size_t>(n);
    return true;
  }

  size_t Length() const { return m_length; }

 private:
  wchar_t* m_buffer;
  size_t m_capacity;
  size_t m_length = 0;
};

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

// Reads decimal digits into value; false when the number is above kMaxFormatField.
bool ReadNumber(const wchar_t*& p, int& value) {
  value = 0;
  while (IsDigit(*p)) {
    value = value * 10 + static_cast<int>(*p - L'0');
    if (value > kMaxFormatField) return false;
    ++p;
  }
  return true;
}

Length ReadLength(const wchar_t*& p) {
  switch (*p) {
    case L'h':
      ++p;
      if (*p == L'h') return ++p, Length::Char;
      return Length::Short;
    case L'l':
      ++p;
      if (*p == L'l') return ++p, Length::LongLong;
      return Length::Long;
    case L'j': return ++p, Length::IntMax;
    case L'z': return ++p, Length::Size;
    case L't': return ++p, Length::PtrDiff;
    case L'L': return ++p, Length::LongDouble;
    case L'w': return ++p, Length::Wide;
    case L'I':
      ++p;
      if (p[0] == L'6' && p[1] == L'4') return p += 2, Length::I64;
      if (p[0] == L'3' && p[1] == L'2') return p += 2, Length::I32;
      return Length::Ptr;
    default: return Length::None;
  }
}

// Builds "%<flags><width>.<precision><modifier><type>" for one conversion. The flags kept are
// those the C library defines for the conversion; the rest would be undefined behaviour.
void BuildSpec(const Conversion& c, const char* modifier, wchar_t type, bool allowZeroHash,
               bool allowPrecision, bool allowSign, wchar_t (&spec)[40]) {
  char narrow[40];
  int n = 0;
  narrow[n++] = '%';
  if (c.minus) narrow[n++] = '-';
  if (allowSign && c.plus) narrow[n++] = '+';
  if (allowSign && c.space) narrow[n++] = ' ';
  if (allowZeroHash && c.zero) narrow[n++] = '0';
  if (allowZeroHash && c.hash) narrow[n++] = '#';
  if (c.width > 0) n += std::snprintf(narrow + n, sizeof(narrow) - n, "%d", c.width);
  if (allowPrecision && c.precision >= 0)
    n += std::snprintf(narrow + n, sizeof(narrow) - n, ".%d", c.precision);
  for (const char* m = modifier; *m != '\0'; ++m) narrow[n++] = *m;
  narrow[n++] = static_cast<char>(type);
  narrow[n] = '\0';
  for (int i = 0; i <= n; ++i) spec[i] = static_cast<wchar_t>(narrow[i]);
}

bool IsIntegerLength(Length l) {
  return l == Length::None || l == Length::Char || l == Length::Short || l == Length::Long ||
         l == Length::LongLong || l == Length::IntMax || l == Length::Size ||
         l == Length::PtrDiff || l == Length::I32 || l == Length::I64 || l == Length::Ptr;
}

bool FormatSigned(Output& out, const Conversion& c, va_list& args) {
  long long v = 0;
  switch (c.length) {
    case Length::None:
    case Length::I32: v = va_arg(args, int); break;
    case Length::Char: v = static_cast<signed char>(va_arg(args, int)); break;
    case Length::Short: v = static_cast<short>(va_arg(args, int)); break;
    case Length::Long: v = va_arg(args, long); break;
    case Length::LongLong:
    case Length::I64: v = va_arg(args, long long); break;
    case Length::IntMax: v = va_arg(args, intmax_t); break;
    case Length::Size:
    case Length::PtrDiff:
    case Length::Ptr: v = va_arg(args, ptrdiff_t); break;
    default: return false;
  }
  wchar_t spec[40];
  // '0' is defined for d and i; '#' is not.
  Conversion flags = c;
  flags.hash = false;
  BuildSpec(flags, "ll", L'd', true, true, true, spec);
  return out.Print(spec, v);
}

bool FormatUnsigned(Output& out, const Conversion& c, va_list& args) {
  unsigned long long v = 0;
  switch (c.length) {
    case Length::None:
    case Length::I32: v = va_arg(args, unsigned int); break;
    case Length::Char: v = static_cast<unsigned char>(va_arg(args, unsigned int)); break;
    case Length::Short: v = static_cast<unsigned short>(va_arg(args, unsigned int)); break;
    case Length::Long: v = va_arg(args, unsigned long); break;
    case Length::LongLong:
    case Length::I64: v = va_arg(args, unsigned long long); break;
    case Length::IntMax: v = va_arg(args, uintmax_t); break;
    case Length::Size:
    case Length::PtrDiff:
    case Length::Ptr: v = va_arg(args, size_t); break;
    default: return false;
  }
  wchar_t spec[40];
  Conversion flags = c;
  if (c.type == L'u') flags.hash = false;  // '#' is defined for o, x and X only
  BuildSpec(flags, "ll", c.type, true, true, false, spec);
  return out.Print(spec, v);
}

bool FormatFloat(Output& out, const Conversion& c, va_list& args) {
  // l is allowed and means nothing; L reads a double, as a long double is a double in the
  // program's world.
  if (c.length != Length::None && c.length != Length::Long && c.length != Length::LongDouble)
    return false;
  const double v = va_arg(args, double);
  wchar_t spec[40];
  BuildSpec(c, "", c.type, true, true, true, spec);
  return out.Print(spec, v);
}

bool FormatChar(Output& out, const Conversion& c, va_list& args) {
  const bool wide = c.length == Length::Long || c.length == Length::Wide ||
                    (c.length == Length::None && c.type == L'c');
  const bool narrow = c.length == Length::Short || (c.length == Length::None && c.type == L'C');
  wchar_t ch = 0;
  if (wide) {
    ch = static_cast<wchar_t>(va_arg(args, wint_t));
  } else if (narrow) {
    const unsigned char byte = static_cast<unsigned char>(va_arg(args, int));
    ch = byte < 0x80 ? static_cast<wchar_t>(byte) : 0xFFFD;  // a lone byte of a UTF-8 sequence
  } else {
    return false;
  }
  wchar_t spec[40];
  BuildSpec(c, "l", L'c', false, false, false, spec);
  return out.Print(spec, static_cast<wint_t>(ch));
}

bool FormatString(Output& out, const Conversion& c, va_list& args) {
  bool narrow = false;
  switch (c.length) {
    case Length::None: narrow = c.type == L'S'; break;
    case Length::Short: narrow = true; break;
    case Length::Long:
    case Length::Wide: narrow = false; break;
    default: return false;
  }
  wchar_t spec[40];
  BuildSpec(c, "l", L's', false, true, false, spec);
  if (narrow) {
    const char* s = va_arg(args, const char*);
    if (s == nullptr) return out.Print(spec, L"(null)");
    // With a precision only that many bytes are read, as the string may not end in a zero.
    const size_t n = c.precision >= 0 ? strnlen(s, static_cast<size_t>(c.precision))
                                      : std::strlen(s);
    const std::wstring wide = Utf8ToWide(std::string_view(s, n));
    return out.Print(spec, wide.c_str());
  }
  const wchar_t* s = va_arg(args, const wchar_t*);
  return out.Print(spec, s != nullptr ? s : L"(null)");
}

bool FormatPointer(Output& out, const Conversion& c, va_list& args) {
  if (c.length != Length::None) return false;
  const void* p = va_arg(args, const void*);
  wchar_t spec[40];
  BuildSpec(c, "", L'p', false, false, false, spec);
  return out.Print(spec, p);
}

// Parses one conversion after its '%'; p is left after the conversion character.
bool ParseConversion(const wchar_t*& p, va_list& args, Conversion& c) {
  for (;; ++p) {
    if (*p == L'-') c.minus = true;
    else if (*p == L'+') c.plus = true;
    else if (*p == L' ') c.space = true;
    else if (*p == L'0') c.zero = true;
    else if (*p == L'#') c.hash = true;
    else break;
  }
  if (*p == L'*') {
    ++p;
    int w = va_arg(args, int);
    if (w < 0) {
      c.minus = true;
      if (w < -kMaxFormatField) return false;
      w = -w;
    }
    if (w > kMaxFormatField) return false;
    c.width = w;
  } else if (IsDigit(*p)) {
    if (!ReadNumber(p, c.width)) return false;
  }
  if (*p == L'.') {
    ++p;
    if (*p == L'*') {
      ++p;
      const int prec = va_arg(args, int);
      if (prec > kMaxFormatField) return false;
      c.precision = prec < 0 ? -1 : prec;  // a negative precision is taken as none
    } else {
      if (!ReadNumber(p, c.precision)) return false;  // "." alone is precision 0
    }
  }
  c.length = ReadLength(p);
  c.type = *p;
  if (c.type == L'\0') return false;
  ++p;
  return true;
}

}  // namespace

int FormatWideV(wchar_t* out, size_t capacity, const wchar_t* format, va_list args) {
  if (out == nullptr || capacity == 0) return -1;
  out[0] = L'\0';
  if (format == nullptr) return -1;
  Output o(out, capacity);
  va_list ap;
  va_copy(ap, args);
  bool ok = true;
  const wchar_t* p = format;
  while (ok && *p != L'\0') {
    if (*p != L'%') {
      ok = o.Put(*p++);
      continue;
    }
    ++p;
    if (*p == L'%') {
      ok = o.Put(*p++);
      continue;
    }
    Conversion c;
    if (!ParseConversion(p, ap, c)) {
      ok = false;
      break;
    }
    switch (c.type) {
      case L'd':
      case L'i': ok = IsIntegerLength(c.length) && FormatSigned(o, c, ap); break;
      case L'u':
      case L'o':
      case L'x':
      case L'X': ok = IsIntegerLength(c.length) && FormatUnsigned(o, c, ap); break;
      case L'e':
      case L'E':
      case L'f':
      case L'F':
      case L'g':
      case L'G':
      case L'a':
      case L'A': ok = FormatFloat(o, c, ap); break;
      case L'c':
      case L'C': ok = FormatChar(o, c, ap); break;
      case L's':
      case L'S': ok = FormatString(o, c, ap); break;
      case L'p': ok = FormatPointer(o, c, ap); break;
      default: ok = false; break;  // %n and everything unknown
    }
  }
  va_end(ap);
  if (!ok) {
    out[0] = L'\0';
    return -1;
  }
  return static_cast<int>(o.Length());
}

int FormatWide(wchar_t* out, size_t capacity, const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  const int n = FormatWideV(out, capacity, format, args);
  va_end(args);
  return n;
}
