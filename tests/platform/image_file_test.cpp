// Image files: formats and sizes read from headers before decoding, the 4096 x 4096 limit at and
// around its edge, truncated headers and non-images, and the same answer from the engine's
// texture loader and the widgets' image loader.
#include <SDL2/SDL.h>
#include <SDL2/SDL_image.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/engine/ImageFile.h"
#include "platform/gui/SDL2Graphics.h"
#include "platform_test_util.h"

using platform_test::HeadlessEngine;
using platform_test::TempDir;

namespace {

using Bytes = std::vector<uint8_t>;

// n bytes of v, most significant first when big.
void Put(Bytes& b, uint32_t v, int n, bool big) {
  for (int i = 0; i < n; ++i) b.push_back(static_cast<uint8_t>(v >> 8 * (big ? n - 1 - i : i)));
}

// The signature and IHDR chunk of a PNG (the CRC is not read).
Bytes PngHeader(uint32_t w, uint32_t h, uint32_t ihdrLength = 13, const char* type = "IHDR") {
  Bytes b = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  Put(b, ihdrLength, 4, true);
  b.insert(b.end(), type, type + 4);
  Put(b, w, 4, true);
  Put(b, h, 4, true);
  b.insert(b.end(), {8, 6, 0, 0, 0, 0, 0, 0, 0});
  return b;
}

// A BMP's file header and the start of its info header.
Bytes BmpHeader(int32_t w, int32_t h, uint32_t headerSize = 40) {
  Bytes b = {'B', 'M'};
  Put(b, 0, 4, false), Put(b, 0, 4, false);
  Put(b, 54, 4, false);
  Put(b, headerSize, 4, false);
  const int side = headerSize == 12 ? 2 : 4;  // the old core header has 16-bit sizes
  Put(b, static_cast<uint32_t>(w), side, false);
  Put(b, static_cast<uint32_t>(h), side, false);
  Put(b, 0x00200001, 4, false);  // one plane of 32 bits
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
Bytes Of(const std::string& text) { return Bytes(text.begin(), text.end()); }

// A JPEG whose frame comes after more segments than the reader looks through.
Bytes ManySegments() {
  Bytes b = {0xFF, 0xD8};
  for (int i = 0; i < 71; ++i) {
    const Bytes s = i < 70 ? Segment(0xFE, {'x'}) : Segment(0xC0, Frame(3, 2));
    b.insert(b.end(), s.begin(), s.end());
  }
  return b;
}

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
      {"png, IHDR of the wrong length", PngHeader(8, 8, 12), ImageFormat::Unknown, 0, 0, false},
      {"png, another chunk first", PngHeader(8, 8, 13, "tEXt"), ImageFormat::Unknown, 0, 0, false},
      {"bmp", BmpHeader(300, 200), ImageFormat::Bmp, 300, 200, true},
      {"bmp top-down at the limit", BmpHeader(4096, -4096), ImageFormat::Bmp, 4096, 4096, true},
      {"bmp one taller, top-down", BmpHeader(1, -4097), ImageFormat::Bmp, 1, 4097, false},
      {"bmp core header", BmpHeader(640, 480, 12), ImageFormat::Bmp, 640, 480, true},
      {"bmp of negative width", BmpHeader(-5, 5), ImageFormat::Unknown, 0, 0, false},
      {"bmp of the lowest height", BmpHeader(5, INT32_MIN), ImageFormat::Unknown, 0, 0, false},
      {"bmp, unknown header size", BmpHeader(5, 5, 20), ImageFormat::Unknown, 0, 0, false},
      {"jpeg baseline", Jpeg({kApp0, kTable, Segment(0xC0, Frame(640, 480))}), ImageFormat::Jpeg,
       640, 480, true},
      {"jpeg progressive at the limit", Jpeg({Segment(0xC2, Frame(4096, 4096))}), ImageFormat::Jpeg,
       4096, 4096, true},
      {"jpeg, height left to a later marker", Jpeg({Segment(0xC0, Frame(10, 0))}),
       ImageFormat::Jpeg, 10, 0, false},
      {"jpeg, fill bytes and a huffman table first",
       Jpeg({Bytes{0xFF, 0xFF}, Segment(0xC4, Bytes(20, 0)), Segment(0xC1, Frame(3, 2))}),
       ImageFormat::Jpeg, 3, 2, true},
      {"jpeg, picture data before a frame", Jpeg({kApp0, Segment(0xDA, Bytes(10, 0))}),
       ImageFormat::Unknown, 0, 0, false},
      {"jpeg, a byte between segments", Jpeg({kApp0, Bytes{0x00}, Segment(0xC0, Frame(3, 2))}),
       ImageFormat::Unknown, 0, 0, false},
      {"jpeg, a segment too short to hold a frame", Jpeg({Segment(0xC0, Bytes{8, 0, 1})}),
       ImageFormat::Unknown, 0, 0, false},
      {"jpeg, too many segments before the frame", ManySegments(), ImageFormat::Unknown, 0, 0,
       false},
      {"empty", {}, ImageFormat::Unknown, 0, 0, false},
      {"text", Of("hello world"), ImageFormat::Unknown, 0, 0, false},
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

// Real files through both loaders: the engine's texture and the widgets' image agree. Only the
// game's formats decode (by their header, not by their name), and a decoder must make what the
// header promised.
TEST(ImageLoading, EngineAndWidgetsAcceptTheSameFiles) {
  HeadlessEngine hge;
  ASSERT_TRUE(hge.Ok()) << hge->System_GetErrorMessage();
  gcn::SDL2ImageLoader::Install();
  TempDir dir;
  ASSERT_TRUE(platform_test::WritePng(dir.File("wide.png"), 4096, 1, [](int, int) { return 0u; }));
  SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, 3, 2, 32, SDL_PIXELFORMAT_ARGB8888);
  ASSERT_EQ(SDL_SaveBMP(s, dir.File("small.bmp").c_str()), 0);
  ASSERT_EQ(IMG_SaveJPG(s, dir.File("small.jpg").c_str(), 90), 0);
  SDL_FreeSurface(s);
  platform_test::WriteText(dir.File("lying.png"), Text(PngHeader(2, 2)));  // nothing to decode
  platform_test::WriteText(dir.File("dot.tga"),
                           std::string("\0\0\2\0\0\0\0\0\0\0\0\0\1\0\1\0 \b\0\0\xFF\xFF", 22));
  const struct {
    const char* file;
    int w, h;  // 0: refused
  } cases[] = {{"wide.png", 4096, 1}, {"small.bmp", 3, 2}, {"small.jpg", 3, 2},
               {"lying.png", 0, 0},   {"dot.tga", 0, 0},   {"missing.png", 0, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    const std::string path = dir.File(c.file);
    const HTEXTURE tex = hge->Texture_Load(path.c_str());
    EXPECT_EQ(hge->Texture_GetWidth(tex, true), c.w);
    EXPECT_EQ(hge->Texture_GetHeight(tex, true), c.h);
    hge->Texture_Free(tex);
    std::unique_ptr<gcn::Image> image(gcn::Image::load(path, true));
    EXPECT_EQ(image ? image->getWidth() : 0, c.w);
  }
  // File data in memory follows the same rule, even where SDL_image could read more (its SVG
  // reader leaks on a broken file).
  const std::string inMemory[] = {
      Text(PngHeader(100000, 100000)) + std::string(170, '\0'),
      "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"4\" height=\"4\"></svg>",
      std::string("\x89PN<svg\n\0\0", 10),
      "/* XPM */\nstatic char *x[] = {\"1 1 1 1\", \"a c #FF0000\", \"a\"};\n"};
  for (const std::string& data : inMemory)
    EXPECT_EQ(hge->Texture_Load(data.data(), static_cast<DWORD>(data.size())), 0u) << data;
}

}  // namespace
