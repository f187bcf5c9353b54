#include "platform/engine/ImageFile.h"

#include <SDL2/SDL_image.h>
#include <zlib.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/win/DataFault.h"
#include "platform/win/ResourceFolder.h"

namespace {

// Frame headers lie after the application, table and comment segments; a file that has not
// reached one after this many segments is not worth walking further.
constexpr int kMaxJpegSegments = 64;

bool ReadBytes(SDL_RWops* rw, uint8_t* out, size_t n) {
  return n == 0 || SDL_RWread(rw, out, 1, n) == n;
}

uint32_t Be16(const uint8_t* p) { return (uint32_t{p[0]} << 8) | p[1]; }
uint32_t Be32(const uint8_t* p) { return (Be16(p) << 16) | Be16(p + 2); }
uint32_t Le16(const uint8_t* p) { return (uint32_t{p[1]} << 8) | p[0]; }
uint32_t Le32(const uint8_t* p) { return (Le16(p + 2) << 16) | Le16(p); }

// After the 8-byte signature: the first chunk must be IHDR of 13 bytes.
bool ReadPng(SDL_RWops* rw, tagImageHeader& h) {
  uint8_t b[16];
  if (!ReadBytes(rw, b, sizeof(b))) return false;
  if (Be32(b) != 13 || std::memcmp(b + 4, "IHDR", 4) != 0) return false;
  h.width = Be32(b + 8);
  h.height = Be32(b + 12);
  return true;
}

// After "BM": the rest of the file header, then the info header.
bool ReadBmp(SDL_RWops* rw, tagImageHeader& h) {
  uint8_t b[20];
  if (!ReadBytes(rw, b, 16)) return false;  // 12 bytes of file header, the header's size
  const uint32_t headerSize = Le32(b + 12);
  if (headerSize == 12) {  // the old core header: 16-bit sizes
    if (!ReadBytes(rw, b, 4)) return false;
    h.width = Le16(b);
    h.height = Le16(b + 2);
    return true;
  }
  if (headerSize < 40) return false;
  if (!ReadBytes(rw, b, 8)) return false;
  const int32_t width = static_cast<int32_t>(Le32(b));
  const int32_t height = static_cast<int32_t>(Le32(b + 4));
  if (width < 0 || height == INT32_MIN) return false;
  h.width = static_cast<uint32_t>(width);
  h.height = static_cast<uint32_t>(height < 0 ? -height : height);  // negative: top-down
  return true;
}

bool IsFrameMarker(uint8_t m) {
  // SOF0..SOF15, except DHT (C4), JPG (C8) and DAC (CC) which share the range.
  return m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC;
}

// After SOI: segments by their lengths until the first frame header.
bool ReadJpeg(SDL_RWops* rw, tagImageHeader& h) {
  for (int segment = 0; segment < kMaxJpegSegments; ++segment) {
    uint8_t b[2];
    if (!ReadBytes(rw, b, 1) || b[0] != 0xFF) return false;
    uint8_t marker = 0xFF;
    while (marker == 0xFF) {  // fill bytes
      if (!ReadBytes(rw, &marker, 1)) return false;
    }
    if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) continue;  // no length
    if (marker == 0x00 || marker == 0xD8 || marker == 0xD9 || marker == 0xDA) {
      return false;  // no frame before the picture data or the end
    }
    if (!ReadBytes(rw, b, 2)) return false;
    const uint32_t length = Be16(b);
    if (length < 2) return false;
    if (IsFrameMarker(marker)) {
      uint8_t f[5];  // precision, height, width
      if (length < 2 + sizeof(f) || !ReadBytes(rw, f, sizeof(f))) return false;
      h.height = Be16(f + 1);
      h.width = Be16(f + 3);
      return true;
    }
    if (SDL_RWseek(rw, length - 2, RW_SEEK_CUR) < 0) return false;
  }
  return false;
}

SDL_Surface* Decode(SDL_RWops* rw) {
  if (rw == nullptr) return nullptr;
  tagImageHeader header;
  SDL_Surface* loaded = nullptr;
  if (ReadImageHeader(rw, header) && ImageHeaderAccepted(header)) {
    switch (header.format) {
      case ImageFormat::Png:
        loaded = IMG_LoadPNG_RW(rw);
        break;
      case ImageFormat::Jpeg:
        loaded = IMG_LoadJPG_RW(rw);
        break;
      case ImageFormat::Bmp:
        loaded = IMG_LoadBMP_RW(rw);
        break;
      case ImageFormat::Unknown:
        break;
    }
  }
  SDL_RWclose(rw);
  SDL_Surface* argb = ToArgbSurface(loaded);
  // The decoder must have made what the header promised.
  if (argb != nullptr &&
      (argb->w < 1 || argb->h < 1 || static_cast<uint32_t>(argb->w) > MAX_IMAGE_SIDE ||
       static_cast<uint32_t>(argb->h) > MAX_IMAGE_SIDE)) {
    SDL_FreeSurface(argb);
    return nullptr;
  }
  return argb;
}

}  // namespace

SDL_Surface* ToArgbSurface(SDL_Surface* surface) {
  if (surface == nullptr || surface->format->format == SDL_PIXELFORMAT_ARGB8888) return surface;
  SDL_Surface* converted = SDL_ConvertSurfaceFormat(surface, SDL_PIXELFORMAT_ARGB8888, 0);
  SDL_FreeSurface(surface);
  return converted;
}

bool ReadImageHeader(SDL_RWops* rw, tagImageHeader& header) {
  header = tagImageHeader{};
  if (rw == nullptr) return false;
  const Sint64 start = SDL_RWtell(rw);
  if (start < 0) return false;
  tagImageHeader h;
  uint8_t magic[8];
  bool ok = false;
  if (ReadBytes(rw, magic, 2)) {
    if (magic[0] == 0xFF && magic[1] == 0xD8) {
      h.format = ImageFormat::Jpeg;
      ok = ReadJpeg(rw, h);
    } else if (magic[0] == 'B' && magic[1] == 'M') {
      h.format = ImageFormat::Bmp;
      ok = ReadBmp(rw, h);
    } else if (ReadBytes(rw, magic + 2, 6) &&
               std::memcmp(magic, "\x89PNG\r\n\x1A\n", sizeof(magic)) == 0) {
      h.format = ImageFormat::Png;
      ok = ReadPng(rw, h);
    }
  }
  if (SDL_RWseek(rw, start, RW_SEEK_SET) != start) ok = false;
  if (ok) header = h;
  return ok;
}

bool ReadImageHeader(const void* data, size_t size, tagImageHeader& header) {
  header = tagImageHeader{};
  if (data == nullptr || size > INT_MAX) return false;
  SDL_RWops* rw = SDL_RWFromConstMem(data, static_cast<int>(size));
  if (rw == nullptr) return false;
  const bool ok = ReadImageHeader(rw, header);
  SDL_RWclose(rw);
  return ok;
}

bool ImageHeaderAccepted(const tagImageHeader& header) {
  return header.format != ImageFormat::Unknown && header.width >= 1 &&
         header.width <= MAX_IMAGE_SIDE && header.height >= 1 && header.height <= MAX_IMAGE_SIDE;
}

SDL_Surface* LoadImageSurface(const char* filename) {
  if (filename == nullptr) return nullptr;
  const std::string path = ResolvePath(filename);
  SDL_Surface* surface = Decode(SDL_RWFromFile(path.c_str(), "rb"));
  if (surface == nullptr) NoteDataFault(path, DataFaultOf(path));
  return surface;
}

SDL_Surface* LoadImageSurface(const void* data, size_t size) {
  if (data == nullptr || size == 0 || size > INT_MAX) return nullptr;
  return Decode(SDL_RWFromConstMem(data, static_cast<int>(size)));
}

namespace {

void PutBe32(std::vector<uint8_t>& out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(v >> shift));
}

void PngChunk(std::vector<uint8_t>& out, const char* type, const uint8_t* body, size_t size) {
  PutBe32(out, static_cast<uint32_t>(size));
  const size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  if (size != 0) out.insert(out.end(), body, body + size);
  const uLong crc =
      crc32(0L, out.data() + start, static_cast<uInt>(out.size() - start));  // type and body
  PutBe32(out, static_cast<uint32_t>(crc));
}

}  // namespace

bool SavePngFile(const char* path, const uint32_t* argb, int width, int height) {
  if (path == nullptr || argb == nullptr || width < 1 || height < 1 ||
      static_cast<uint32_t>(width) > MAX_IMAGE_SIDE * 4 ||
      static_cast<uint32_t>(height) > MAX_IMAGE_SIDE * 4)
    return false;
  z_stream z{};
  if (deflateInit(&z, Z_BEST_SPEED) != Z_OK) return false;
  const size_t rowBytes = 1 + static_cast<size_t>(width) * 4;
  std::vector<uint8_t> row(rowBytes);
  std::vector<uint8_t> idat(deflateBound(&z, static_cast<uLong>(rowBytes * height)));
  z.next_out = idat.data();
  z.avail_out = static_cast<uInt>(idat.size());
  bool ok = true;
  for (int y = 0; y < height && ok; ++y) {
    row[0] = 1;  // the Sub filter: each byte less the same byte of the pixel on its left
    const uint32_t* in = argb + static_cast<size_t>(y) * width;
    uint8_t previous[4] = {0, 0, 0, 0};
    for (int x = 0; x < width; ++x) {
      const uint32_t p = in[x];
      const uint8_t rgba[4] = {static_cast<uint8_t>(p >> 16), static_cast<uint8_t>(p >> 8),
                               static_cast<uint8_t>(p), static_cast<uint8_t>(p >> 24)};
      for (int c = 0; c < 4; ++c) {
        row[1 + static_cast<size_t>(x) * 4 + c] = static_cast<uint8_t>(rgba[c] - previous[c]);
        previous[c] = rgba[c];
      }
    }
    z.next_in = row.data();
    z.avail_in = static_cast<uInt>(rowBytes);
    ok = deflate(&z, y + 1 == height ? Z_FINISH : Z_NO_FLUSH) != Z_STREAM_ERROR && z.avail_in == 0;
  }
  const size_t compressed = idat.size() - z.avail_out;
  ok = ok && z.avail_out > 0;  // Z_FINISH reached the end within the bound
  deflateEnd(&z);
  if (!ok) return false;

  std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<uint8_t> header;
  PutBe32(header, static_cast<uint32_t>(width));
  PutBe32(header, static_cast<uint32_t>(height));
  header.insert(header.end(), {8, 6, 0, 0, 0});  // 8 bits, RGBA, deflate, filters, no interlace
  PngChunk(png, "IHDR", header.data(), header.size());
  PngChunk(png, "IDAT", idat.data(), compressed);
  PngChunk(png, "IEND", nullptr, 0);
  FILE* file = std::fopen(path, "wb");
  if (file == nullptr) return false;
  ok = std::fwrite(png.data(), 1, png.size(), file) == png.size();
  return std::fclose(file) == 0 && ok;
}
