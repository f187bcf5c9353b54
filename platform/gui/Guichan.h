// Guichan's core, included the one way the program includes it.
//
// Known traps of the library, and what we do about them:
// - gcn::Exception does not derive from std::exception: every call into the library from the
//   frame goes through GuiGuard (below), which stops it there.
// - guichan/exception.hpp defines __FUNCTION__ as "?" when it is not a macro (it never is with
//   GCC); we take the definition back out after including it. Our code uses __func__.
// - The library owns nothing: whoever creates a widget deletes it, after removing it from its
//   container. The global image loader (SDL2ImageLoader::Install) lives until the process ends,
//   so it outlives every widget.
#pragma once

#include <guichan.hpp>

#ifdef __FUNCTION__
#undef __FUNCTION__
#endif

#include <cstdio>
#include <exception>

namespace gcn {

// Runs fn; a gcn::Exception (or any other exception) thrown by the library is stopped here,
// noted on stderr, and reported as false.
template <class Fn>
bool GuiGuard(const char* where, Fn&& fn) noexcept {
  try {
    fn();
    return true;
  } catch (const gcn::Exception& e) {
    std::fprintf(stderr, "torvaly: widget error in %s: %s (%s:%u)\n", where, e.getMessage().c_str(),
                 e.getFilename().c_str(), e.getLine());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "torvaly: widget error in %s: %s\n", where, e.what());
  } catch (...) {
    std::fprintf(stderr, "torvaly: widget error in %s\n", where);
  }
  return false;
}

}  // namespace gcn
