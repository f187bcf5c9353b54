#include "platform/win/WinTime.h"

#include <chrono>

namespace {

IClockSource* g_clockSource = nullptr;

uint64_t ProcessClockMs() {
  using namespace std::chrono;
  static const steady_clock::time_point start = steady_clock::now();
  // Offset by one second so the first reading is never 0.
  return 1000u +
         static_cast<uint64_t>(duration_cast<milliseconds>(steady_clock::now() - start).count());
}

}  // namespace

IClockSource* SetClockSource(IClockSource* source) {
  IClockSource* previous = g_clockSource;
  g_clockSource = source;
  return previous;
}

uint64_t GetTickCount64() { return g_clockSource ? g_clockSource->NowMs() : ProcessClockMs(); }

DWORD timeGetTime() { return static_cast<DWORD>(GetTickCount64()); }
