// Sound files as the engine reads them: only RIFF WAVE, and only one whose header the mixer can
// be trusted with. The mixer allocates what a header announces before it reads a byte (a data
// chunk may announce 4 GB in a file of 50 bytes) and resamples everything to its own rate (a
// header claiming 1 frame a second would multiply the data 44100 times); it would also hand
// other formats to its music decoders, which render a whole MIDI file with a soundfont. So the
// engine walks the chunks itself and gives the mixer a wave of its own making: the first format
// chunk and the first data chunk after it, nothing else, with sizes that are exactly what
// follows them. A file that is no such wave is refused like a missing file.
//
// The walk reads only the chunk headers and the format chunk, so a file is checked without
// reading its sound: the layout says where the sound data lies, and the made wave is its header
// followed by those bytes (and a pad byte when their count is odd).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

inline constexpr uint32_t MIN_WAVE_RATE = 8000;  // frames a second
inline constexpr uint32_t MAX_WAVE_RATE = 192000;
inline constexpr uint16_t MAX_WAVE_CHANNELS = 8;
inline constexpr uint32_t MAX_WAVE_FORMAT_SIZE = 256;  // the format chunk, extensions included
// "RIFF", its size, "WAVE", the format chunk's header, the largest format, a pad byte, the data
// chunk's header.
inline constexpr size_t MAX_WAVE_HEADER_SIZE = 12 + 8 + MAX_WAVE_FORMAT_SIZE + 1 + 8;

// The wave the mixer is given, as the header it starts with and the place of the sound data in
// the file.
struct tagWaveLayout {
  uint8_t header[MAX_WAVE_HEADER_SIZE] = {};
  uint32_t headerSize = 0;
  uint64_t dataOffset = 0;      // in the file
  uint32_t dataSize = 0;        // bytes of sound data, cut to what the file holds
  uint32_t bytesPerSecond = 0;  // the format chunk's average rate
  // The made wave's size: the header, the data and a pad byte after an odd count.
  uint64_t MadeSize() const { return uint64_t{headerSize} + dataSize + (dataSize & 1u); }
};

// Reads `size` bytes at `at` of the file into `out`; false when it cannot.
using WaveReader = bool (*)(void* context, uint64_t at, uint8_t* out, size_t size);

// Walks a RIFF WAVE file of `size` bytes through `read`. False (and `layout` empty) when the
// bytes are not RIFF WAVE or 2 GB or more, a chunk before the data runs past the end, the format
// chunk is missing, shorter than 16 bytes or longer than MAX_WAVE_FORMAT_SIZE, names an encoding
// the mixer does not decode (anything but PCM, IEEE float, A-law, mu-law, the two ADPCMs and the
// extensible format), a channel count outside 1 .. MAX_WAVE_CHANNELS or a rate outside
// MIN_WAVE_RATE .. MAX_WAVE_RATE, or the data chunk is missing. A data chunk that announces
// more bytes than the file holds is cut to the bytes there are.
bool ReadWaveLayout(WaveReader read, void* context, uint64_t size, tagWaveLayout& layout);
// The same on bytes in memory.
bool ReadWaveLayout(const uint8_t* data, size_t size, tagWaveLayout& layout);

// Writes into `out` the whole wave the mixer is given, from a RIFF WAVE file's bytes; false (and
// `out` empty) when ReadWaveLayout refuses them.
bool MakeBoundedWave(const uint8_t* data, size_t size, std::vector<uint8_t>& out);
