// Image files: formats and sizes read from headers before decoding, the 4096 x 4096 limit at and
// around its edge, truncated headers and non-images, and the same answer from the engine's
// texture loader and the widgets' image loader. A widget image whose texture the running engine
// refuses stops asking for it.
#include <SDL2/SDL.h>
#include <SDL2/SDL_image.h>

#include <string>
#include <vector>

#include "platform/engine/ImageFile.h"
#include "platform/gui/SDL2Graphics.h"
#include "platform_test_util.h"

using platform_test::HeadlessEngine;
using platform_test::TempDir;

namespace {

using Bytes = std::vector<uint8_t>;

void Be32(Bytes& b, uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) b.push_back(static_cast<uint8_t>(v >> s));
}
void Le16(Bytes& b, uint32_t v) {
  b.push_back(static_cast<uint8_t>(v));
  b.push_back(static_cast<uint8_t>(v >> 8));
}
void Le32(Bytes& b, uint32_t v) {
  Le16(b, v & 0xFFFF);
  Le16(b, v >> 16);
}

// The signature and IHDR chunk of a PNG (the CRC is not read).
Bytes PngHeader(uint32_t w, uint32_t h, uint32_t ihdrLength = 13, const char* type = "IHDR") {
  Bytes b = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  Be32(b, ihdrLength);
  b.insert(b.end(), type, type + 4);
  Be32(b, w);
  Be32(b, h);
  b.insert(b.end(), {8, 6, 0, 0, 0, 0, 0, 0, 0});
  return b;
}

// A BMP's file header and the start of its info header.
Bytes BmpHeader(int32_t w, int32_t h, uint32_t headerSize = 40) {
  Bytes b = {'B', 'M'};
  Le32(b, 0), Le32(b, 0), Le32(b, 54);
  Le32(b, headerSize);
  if (headerSize == 12) {
    Le16(b, static_cast<uint32_t>(w));
    Le16(b, static_cast<uint32_t>(h));
  } else {
    Le32(b, static_cast<uint32_t>(w));
    Le32(b, static_cast<uint32_t>(h));
  }
  Le16(b, 1), Le16(b, 32);
  return b;
}

Bytes Segment(uint8_t marker, const Bytes& body) {
  Bytes b = {0xFF, marker};
  b.push_back(static_cast<uint8_t>((body.size() + 2) >> 8));
  b.push_back(static_cast<uint8_t>(body.size() + 2));
  b.insert(b.end(), body.begin(), body.end());
  return b;
}

Bytes Frame(uint32_t w, uint32_t h) {
  return {8, uint8_t(h >> 8), uint8_t(h), uint8_t(w >> 8), uint8_t(w), 3, 1, 0x22, 0};
}

// SOI, then the segments.
Bytes Jpeg(std::initializer_list<Bytes> segments) {
  Bytes b = {0xFF, 0xD8};
  for (const Bytes& s : segments) b.insert(b.end(), s.begin(), s.end());
  return b;
}

const Bytes kApp0 = Segment(0xE0, {'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1, 0, 0});
const Bytes kTable = Segment(0xDB, Bytes(65, 1));

std::string Text(const Bytes& b) { return std::string(b.begin(), b.end()); }

TEST(ImageHeader, FormatAndSizeFromTheFirstBytes) {
  struct Case {
    const char* name;
    Bytes bytes;
    ImageFormat format;  // Unknown: no header
    uint32_t w, h;
    bool accepted;
  };
  const Case cases[] = {
      {"png 1 x 1", PngHeader(1, 1), ImageFormat::Png, 1, 1, true},
      {"png at the limit", PngHeader(4096, 4096), ImageFormat::Png, 4096, 4096, true},
      {"png one wider", PngHeader(4097, 4096), ImageFormat::Png, 4097, 4096, false},
      {"png one taller", PngHeader(16, 4097), ImageFormat::Png, 16, 4097, false},
      {"png of no width", PngHeader(0, 5), ImageFormat::Png, 0, 5, false},
      {"png of 2^32 - 1", PngHeader(0xFFFFFFFF, 1), ImageFormat::Png, 0xFFFFFFFF, 1, false},
      {"png, IHDR of the wrong length", PngHeader(8, 8, 12), ImageFormat::Unknown, 0, 0, false},
      {"png, another chunk first", PngHeader(8, 8, 13, "tEXt"), ImageFormat::Unknown, 0, 0, false},
      {"bmp", BmpHeader(300, 200), ImageFormat::Bmp, 300, 200, true},
      {"bmp top-down at the limit", BmpHeader(4096, -4096), ImageFormat::Bmp, 4096, 4096, true},
      {"bmp one wider", BmpHeader(4097, 1), ImageFormat::Bmp, 4097, 1, false},
      {"bmp one taller, top-down", BmpHeader(1, -4097), ImageFormat::Bmp, 1, 4097, false},
      {"bmp v5 header", BmpHeader(7, 9, 124), ImageFormat::Bmp, 7, 9, true},
      {"bmp core header", BmpHeader(640, 480, 12), ImageFormat::Bmp, 640, 480, true},
      {"bmp of negative width", BmpHeader(-5, 5), ImageFormat::Unknown, 0, 0, false},
      {"bmp of the lowest height", BmpHeader(5, INT32_MIN), ImageFormat::Unknown, 0, 0, false},
      {"bmp, unknown header size", BmpHeader(5, 5, 20), ImageFormat::Unknown, 0, 0, false},
      {"jpeg baseline", Jpeg({kApp0, kTable, Segment(0xC0, Frame(640, 480))}), ImageFormat::Jpeg,
       640, 480, true},
      {"jpeg progressive at the limit", Jpeg({Segment(0xC2, Frame(4096, 4096))}), ImageFormat::Jpeg,
       4096, 4096, true},
      {"jpeg one wider", Jpeg({kApp0, Segment(0xC0, Frame(4097, 10))}), ImageFormat::Jpeg, 4097, 10,
       false},
      {"jpeg, height left to a later marker", Jpeg({Segment(0xC0, Frame(10, 0))}),
       ImageFormat::Jpeg, 10, 0, false},
      {"jpeg, fill bytes and a huffman table first",
       Jpeg({Bytes{0xFF, 0xFF}, Segment(0xC4, Bytes(20, 0)), Segment(0xC1, Frame(3, 2))}),
       ImageFormat::Jpeg, 3, 2, true},
      {"jpeg, picture data before a frame", Jpeg({kApp0, Segment(0xDA, Bytes(10, 0))}),
       ImageFormat::Unknown, 0, 0, false},
      {"jpeg, the end before a frame", Jpeg({kApp0, Bytes{0xFF, 0xD9}}), ImageFormat::Unknown, 0, 0,
       false},
      {"jpeg, a byte between segments", Jpeg({kApp0, Bytes{0x00}, Segment(0xC0, Frame(3, 2))}),
       ImageFormat::Unknown, 0, 0, false},
      {"jpeg, a segment too short to hold a frame", Jpeg({Segment(0xC0, Bytes{8, 0, 1})}),
       ImageFormat::Unknown, 0, 0, false},
      {"jpeg, too many segments before the frame",
       [] {
         Bytes b = {0xFF, 0xD8};
         for (int i = 0; i < 70; ++i) {
           const Bytes s = Segment(0xFE, {'x'});
           b.insert(b.end(), s.begin(), s.end());
         }
         const Bytes f = Segment(0xC0, Frame(3, 2));
         b.insert(b.end(), f.begin(), f.end());
         return b;
       }(),
       ImageFormat::Unknown, 0, 0, false},
      {"empty", {}, ImageFormat::Unknown, 0, 0, false},
      {"text",
       {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd'},
       ImageFormat::Unknown,
       0,
       0,
       false},
      {"gif",
       {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0x80, 0, 0},
       ImageFormat::Unknown,
       0,
       0,
       false},
      {"tga",
       {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 1, 0, 32, 8},
       ImageFormat::Unknown,
       0,
       0,
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    tagImageHeader h;
    EXPECT_EQ(ReadImageHeader(c.bytes.data(), c.bytes.size(), h), c.format != ImageFormat::Unknown);
    EXPECT_EQ(h.format, c.format);
    EXPECT_EQ(h.width, c.w);
    EXPECT_EQ(h.height, c.h);
    EXPECT_EQ(ImageHeaderAccepted(h), c.accepted);
    if (!c.accepted) {
      EXPECT_EQ(LoadImageSurface(c.bytes.data(), c.bytes.size()), nullptr);
    }
  }
}

TEST(ImageHeader, EveryTruncatedHeaderIsNoHeader) {
  const Bytes headers[] = {PngHeader(5, 5), BmpHeader(5, 5), BmpHeader(5, 5, 12),
                           Jpeg({kApp0, Segment(0xC0, Frame(5, 5))})};
  for (const Bytes& full : headers) {
    // Each header is read in full by its first accepted length; every shorter prefix fails.
    size_t needed = full.size();
    tagImageHeader h;
    while (needed > 0 && ReadImageHeader(full.data(), needed - 1, h)) --needed;
    for (size_t n = 0; n < needed; ++n) {
      SCOPED_TRACE(Text(Bytes(full.begin(), full.begin() + 2)) + " cut to " + std::to_string(n));
      EXPECT_FALSE(ReadImageHeader(full.data(), n, h));
      EXPECT_EQ(h.format, ImageFormat::Unknown);
    }
    EXPECT_GE(needed, 16u) << "a header is more than its magic";
  }
}

TEST(ImageHeader, TheStreamIsLeftWhereItWas) {
  Bytes b = {'x', 'y', 'z'};
  const Bytes png = PngHeader(9, 7);
  b.insert(b.end(), png.begin(), png.end());
  SDL_RWops* rw = SDL_RWFromConstMem(b.data(), static_cast<int>(b.size()));
  ASSERT_NE(rw, nullptr);
  SDL_RWseek(rw, 3, RW_SEEK_SET);
  tagImageHeader h;
  EXPECT_TRUE(ReadImageHeader(rw, h));
  EXPECT_EQ(h.width, 9u);
  EXPECT_EQ(SDL_RWtell(rw), 3);
  SDL_RWseek(rw, 0, RW_SEEK_SET);
  EXPECT_FALSE(ReadImageHeader(rw, h));
  EXPECT_EQ(SDL_RWtell(rw), 0);
  SDL_RWclose(rw);
}

// Real files through both loaders: the engine's texture and the widgets' image agree.
TEST(ImageLoading, EngineAndWidgetsAcceptTheSameFiles) {
  HeadlessEngine hge;
  ASSERT_TRUE(hge.Ok()) << hge->System_GetErrorMessage();
  gcn::SDL2ImageLoader::Install();
  TempDir dir;
  const auto red = [](int, int) { return 0xFFFF0000u; };
  auto surface = [](int w, int h) {
    SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_ARGB8888);
    if (s) SDL_FillRect(s, nullptr, 0xFF00FF00u);
    return s;
  };
  auto write = [&](const std::string& name, const Bytes& bytes) {
    platform_test::WriteText(dir.File(name), Text(bytes));
  };

  ASSERT_TRUE(platform_test::WritePng(dir.File("wide.png"), 4096, 1, red));
  ASSERT_TRUE(platform_test::WritePng(dir.File("tall.png"), 1, 4096, red));
  ASSERT_TRUE(platform_test::WritePng(dir.File("wider.png"), 4097, 1, red));
  ASSERT_TRUE(platform_test::WritePng(dir.File("taller.png"), 1, 4097, red));
  SDL_Surface* s = surface(3, 2);
  ASSERT_NE(s, nullptr);
  ASSERT_EQ(SDL_SaveBMP(s, dir.File("small.bmp").c_str()), 0);
  ASSERT_EQ(IMG_SaveJPG(s, dir.File("small.jpg").c_str(), 90), 0);
  SDL_FreeSurface(s);
  Bytes huge = PngHeader(100000, 100000);
  huge.resize(200, 0);
  write("huge.png", huge);
  write("lying.png", PngHeader(2, 2));  // a header and nothing to decode
  // A picture SDL2_image could read by its name alone: not read.
  Bytes tga = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 1, 0, 32, 8, 0, 0, 255, 255};
  write("dot.tga", tga);
  write("notes.txt", {'n', 'o', 't', 'e', 's'});

  struct Case {
    const char* file;
    int w, h;  // 0: refused
  };
  const Case cases[] = {
      {"wide.png", 4096, 1}, {"tall.png", 1, 4096}, {"wider.png", 0, 0},   {"taller.png", 0, 0},
      {"small.bmp", 3, 2},   {"small.jpg", 3, 2},   {"huge.png", 0, 0},    {"lying.png", 0, 0},
      {"dot.tga", 0, 0},     {"notes.txt", 0, 0},   {"missing.png", 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    const std::string path = dir.File(c.file);
    const HTEXTURE tex = hge->Texture_Load(path.c_str());
    EXPECT_EQ(tex != 0, c.w > 0);
    EXPECT_EQ(hge->Texture_GetWidth(tex, true), c.w);
    EXPECT_EQ(hge->Texture_GetHeight(tex, true), c.h);
    hge->Texture_Free(tex);

    gcn::Image* image = gcn::Image::load(path, true);
    EXPECT_EQ(image != nullptr, c.w > 0);
    if (image != nullptr) {
      EXPECT_EQ(image->getWidth(), c.w);
      EXPECT_EQ(image->getHeight(), c.h);
      delete image;
    }
  }
  // File data in memory follows the same rule.
  EXPECT_EQ(hge->Texture_Load(reinterpret_cast<const char*>(huge.data()),
                              static_cast<DWORD>(huge.size())),
            0u);
}

TEST(ImageLoading, ARefusedWidgetTextureIsNotAskedForAgain) {
  // Made before the engine runs: nothing yet, and no verdict either.
  SDL_Surface* early = SDL_CreateRGBSurfaceWithFormat(0, 4, 4, 32, SDL_PIXELFORMAT_ARGB8888);
  ASSERT_NE(early, nullptr);
  gcn::SDL2Image before(early);
  before.convertToDisplayFormat();
  EXPECT_EQ(before.getTexture(), 0u);
  EXPECT_FALSE(before.textureFailed());

  HeadlessEngine hge;
  ASSERT_TRUE(hge.Ok());
  EXPECT_NE(before.getTexture(), 0u) << "the running engine makes it at the next draw";

  // Wider than any texture the engine makes.
  SDL_Surface* wide = SDL_CreateRGBSurfaceWithFormat(0, 9000, 1, 32, SDL_PIXELFORMAT_ARGB8888);
  ASSERT_NE(wide, nullptr);
  gcn::SDL2Image refused(wide);
  EXPECT_EQ(refused.getTexture(), 0u);
  EXPECT_TRUE(refused.textureFailed());
  EXPECT_EQ(refused.getTexture(), 0u);  // answered at once, without asking the engine
  EXPECT_TRUE(refused.textureFailed());
  before.free();
}

}  // namespace
