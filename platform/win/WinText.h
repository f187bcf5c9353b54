// Text conversion. Text is UTF-8 in files and on the wire; the "system code page" of the
// program is UTF-8, and wide text is wchar_t (UTF-32 on this platform). Malformed UTF-8
// (stray continuation bytes, truncated or overlong sequences, surrogates, values above
// U+10FFFF) becomes U+FFFD, one per offending byte, so a bad name can never overrun anything.
#pragma once

#include <string>
#include <string_view>

#include "platform/win/WinTypes.h"

// Windows semantics: srcLen -1 converts up to and including the terminator; dstLen 0 asks for
// the size needed; a destination that is too small gives 0 (nothing useful written). Returns
// the number of wide characters written (or needed). Any code page is read as UTF-8.
int MultiByteToWideChar(UINT codePage, DWORD flags, const char* src, int srcLen, wchar_t* dst,
                        int dstLen);

// The reverse, same conventions; the two trailing arguments of the Windows call are accepted
// and ignored (no default character is ever needed for UTF-8).
int WideCharToMultiByte(UINT codePage, DWORD flags, const wchar_t* src, int srcLen, char* dst,
                        int dstLen, const char* defaultChar = nullptr, BOOL* usedDefault = nullptr);

std::wstring Utf8ToWide(std::string_view text);
std::string WideToUtf8(std::wstring_view text);

// The byte length of text (length bytes) cut to at most limit bytes without splitting a UTF-8
// character: a cut that would fall inside a character moves back to its first byte.
size_t Utf8CutLength(const char* text, size_t length, size_t limit);
