#include "platform/win/WinText.h"

#include <cstring>

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Decodes one code point at text[i]; advances i past what it consumed.
char32_t DecodeOne(const unsigned char* text, size_t size, size_t& i) {
  const unsigned char lead = text[i];
  if (lead < 0x80) {
    ++i;
    return lead;
  }
  int extra = 0;
  char32_t cp = 0;
  char32_t minimum = 0;
  if ((lead & 0xE0) == 0xC0) {
    extra = 1, cp = lead & 0x1F, minimum = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    extra = 2, cp = lead & 0x0F, minimum = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    extra = 3, cp = lead & 0x07, minimum = 0x10000;
  } else {
    ++i;
    return kReplacement;
  }
  if (size - i <= static_cast<size_t>(extra)) {  // truncated sequence
    ++i;
    return kReplacement;
  }
  for (int k = 1; k <= extra; ++k) {
    const unsigned char c = text[i + k];
    if ((c & 0xC0) != 0x80) {
      ++i;
      return kReplacement;
    }
    cp = (cp << 6) | (c & 0x3F);
  }
  if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
    ++i;
    return kReplacement;
  }
  i += extra + 1;
  return cp;
}

size_t EncodeOne(char32_t cp, char* out) {
  if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = kReplacement;
  if (cp < 0x80) {
    out[0] = static_cast<char>(cp);
    return 1;
  }
  if (cp < 0x800) {
    out[0] = static_cast<char>(0xC0 | (cp >> 6));
    out[1] = static_cast<char>(0x80 | (cp & 0x3F));
    return 2;
  }
  if (cp < 0x10000) {
    out[0] = static_cast<char>(0xE0 | (cp >> 12));
    out[1] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out[2] = static_cast<char>(0x80 | (cp & 0x3F));
    return 3;
  }
  out[0] = static_cast<char>(0xF0 | (cp >> 18));
  out[1] = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
  out[2] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
  out[3] = static_cast<char>(0x80 | (cp & 0x3F));
  return 4;
}

}  // namespace

int MultiByteToWideChar(UINT /*codePage*/, DWORD /*flags*/, const char* src, int srcLen,
                        wchar_t* dst, int dstLen) {
  if (src == nullptr || srcLen == 0 || srcLen < -1 || dstLen < 0) return 0;
  const size_t size = srcLen == -1 ? std::strlen(src) + 1 : static_cast<size_t>(srcLen);
  const auto* bytes = reinterpret_cast<const unsigned char*>(src);
  int written = 0;
  for (size_t i = 0; i < size;) {
    const char32_t cp = DecodeOne(bytes, size, i);
    if (dstLen != 0) {
      if (dst == nullptr || written >= dstLen) return 0;
      dst[written] = static_cast<wchar_t>(cp);
    }
    ++written;
  }
  return written;
}

int WideCharToMultiByte(UINT /*codePage*/, DWORD /*flags*/, const wchar_t* src, int srcLen,
                        char* dst, int dstLen, const char* /*defaultChar*/, BOOL* usedDefault) {
  if (usedDefault) *usedDefault = FALSE;
  if (src == nullptr || srcLen == 0 || srcLen < -1 || dstLen < 0) return 0;
  const size_t size = srcLen == -1 ? std::wcslen(src) + 1 : static_cast<size_t>(srcLen);
  int written = 0;
  char buffer[4];
  for (size_t i = 0; i < size; ++i) {
    const size_t n = EncodeOne(static_cast<char32_t>(src[i]), buffer);
    if (dstLen != 0) {
      if (dst == nullptr || written + static_cast<int>(n) > dstLen) return 0;
      std::memcpy(dst + written, buffer, n);
    }
    written += static_cast<int>(n);
  }
  return written;
}

std::wstring Utf8ToWide(std::string_view text) {
  std::wstring out;
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  for (size_t i = 0; i < text.size();)
    out.push_back(static_cast<wchar_t>(DecodeOne(bytes, text.size(), i)));
  return out;
}

std::string WideToUtf8(std::wstring_view text) {
  std::string out;
  char buffer[4];
  for (wchar_t c : text) out.append(buffer, EncodeOne(static_cast<char32_t>(c), buffer));
  return out;
}

size_t Utf8CutLength(const char* text, size_t length, size_t limit) {
  if (length <= limit) return length;
  size_t cut = limit;
  // A continuation byte at the cut belongs to a character begun before it (at most 3 back).
  for (int back = 0; back < 3 && cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80;
       ++back)
    --cut;
  return cut;
}
