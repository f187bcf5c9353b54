// Files of the resource folder that the program could not use. A loader that finds a file
// missing, unreadable or not what it should be (an image that does not decode, a sound that is
// no wave the engine accepts, a font FreeType cannot open) notes it here; the table then draws
// a gap or stays silent, and the player learns which file it was: each file is named once on
// standard error ("torvaly: cannot use PATH: missing"), however often it is tried again.
#pragma once

#include <string>

inline constexpr int MAX_NOTED_DATA_FAULTS = 256;  // beyond this a file may be named again

// Why a file could not be used: it is not there (or not a file), or it is there but its bytes
// cannot be read or decoded.
enum class DataFault { Missing, Unusable };

// Notes `path` (as the program resolved it); writes the line the first time only.
void NoteDataFault(const std::string& path, DataFault fault);
// What happened to a path that could not be used: missing when nothing readable is there.
DataFault DataFaultOf(const std::string& path);

// The line a note writes, e.g. "torvaly: cannot use /x/Torvaly/image/a.png: missing".
std::string DataFaultLine(const std::string& path, DataFault fault);

// Where the lines go (default standard error); a null sink restores it. For tests.
using DataFaultSink = void (*)(const std::string& line);
void SetDataFaultSink(DataFaultSink sink);
int NotedDataFaultCount();
void ForgetDataFaults();
