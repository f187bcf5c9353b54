// Wide printf-style formatting with the program's (Windows) meaning of the format, on a
// platform whose wide printf reads some of it differently:
//   %s, %c       wide string / wide character (glibc would read narrow ones),
//   %S, %C, %hs, %hc  narrow (UTF-8) string / single byte,
//   %ls, %ws, %lc, %wc  wide,
//   %I64d, %I64u, %I64x ...  64-bit integers (glibc does not know I64),
//   %I32..  32-bit, %I.. pointer-sized,
//   %Lf ...  a double (long double is a double there).
// Every conversion is parsed and checked here and its argument is fetched with the type the
// program passes; the C library only ever sees one checked conversion with one argument at a
// time. %n is refused, as are unknown conversions, length modifiers that make no sense for
// their conversion, and widths or precisions above kMaxFormatField.
#pragma once

#include <cstdarg>
#include <cstddef>

inline constexpr int kMaxFormatField = 512;

// Formats into out, which holds capacity wide characters including the terminating zero.
// Returns the number of characters written (without the zero), or -1 when the format is
// refused or the text does not fit; out is then an empty string. Nothing is ever written
// past out[capacity - 1].
int FormatWideV(wchar_t* out, size_t capacity, const wchar_t* format, va_list args);
int FormatWide(wchar_t* out, size_t capacity, const wchar_t* format, ...);
