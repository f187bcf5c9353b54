#include "platform/win/DataFault.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

namespace {

std::string g_noted[MAX_NOTED_DATA_FAULTS];
int g_count = 0;
DataFaultSink g_sink = nullptr;

bool AlreadyNoted(const std::string& path) {
  for (int i = 0; i < g_count; ++i) {
    if (g_noted[i] == path) return true;
  }
  return false;
}

}  // namespace

DataFault DataFaultOf(const std::string& path) {
  struct stat st {};
  if (path.empty() || stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
    return DataFault::Missing;
  return DataFault::Unusable;
}

std::string DataFaultLine(const std::string& path, DataFault fault) {
  const bool readable = access(path.c_str(), R_OK) == 0;
  const char* why = fault == DataFault::Missing ? "missing"
                    : readable                  ? "damaged (it cannot be decoded)"
                                                : "unreadable (no permission to read it)";
  return "torvaly: cannot use " + path + ": " + why;
}

void NoteDataFault(const std::string& path, DataFault fault) {
  // No name at all is the fault of the file that should have given one (--check-data names it).
  if (path.empty() || AlreadyNoted(path)) return;
  if (g_count < MAX_NOTED_DATA_FAULTS) g_noted[g_count++] = path;
  const std::string line = DataFaultLine(path, fault);
  if (g_sink != nullptr) {
    g_sink(line);
  } else {
    std::fprintf(stderr, "%s\n", line.c_str());
  }
}

void SetDataFaultSink(DataFaultSink sink) { g_sink = sink; }
int NotedDataFaultCount() { return g_count; }

void ForgetDataFaults() {
  for (int i = 0; i < g_count; ++i) g_noted[i].clear();
  g_count = 0;
}
