// Image files as the engine and the widgets read them: the format and size come from the file's
// header before anything is decoded, and only PNG, JPEG and BMP whose sides are 1 to
// MAX_IMAGE_SIDE pixels are decoded. Anything else (another format, a header too short to say,
// a larger image) is refused like a missing file, so a hostile or broken file can never make the
// decoder allocate more than a 4096 x 4096 picture.
//
// The header is read from the first bytes (PNG: the IHDR chunk; BMP: the info header, 16-bit
// sizes for the old 12-byte header, a negative height for a top-down picture; JPEG: the first
// frame header, found by walking at most 64 segments by their lengths). The file is then decoded
// by the decoder of that same format, never by content sniffing.
#pragma once

#include <SDL2/SDL.h>

#include <cstddef>
#include <cstdint>

inline constexpr uint32_t MAX_IMAGE_SIDE = 4096;

enum class ImageFormat : uint8_t { Unknown, Png, Jpeg, Bmp };

struct tagImageHeader {
  ImageFormat format = ImageFormat::Unknown;
  uint32_t width = 0;
  uint32_t height = 0;
};

// Reads format and size from the header at the stream's position and puts the position back.
// False (format Unknown) when the bytes are no header of a format above or end too early.
bool ReadImageHeader(SDL_RWops* rw, tagImageHeader& header);
// The same on bytes in memory.
bool ReadImageHeader(const void* data, size_t size, tagImageHeader& header);

// True for a known format with both sides within 1 .. MAX_IMAGE_SIDE.
bool ImageHeaderAccepted(const tagImageHeader& header);

// The surface as 32-bit ARGB: itself when it is already, else a converted copy (the original is
// freed either way). Null for null or when the conversion fails.
SDL_Surface* ToArgbSurface(SDL_Surface* surface);

// The decoded picture as a 32-bit ARGB surface (the caller frees it), or null when the file is
// missing, its header is refused or it does not decode. The file name is resolved like every
// file name of the program (ResourceFolder.h).
SDL_Surface* LoadImageSurface(const char* filename);
// The same from file data in memory.
SDL_Surface* LoadImageSurface(const void* data, size_t size);

// Writes `width` x `height` ARGB pixels (rows of `width`) to `path` as a PNG of 8-bit RGBA,
// each row filtered by the difference to the pixel on its left and deflated at zlib's fastest
// level: a snapshot is written in a tenth of the time of the default compression.
bool SavePngFile(const char* path, const uint32_t* argb, int width, int height);
