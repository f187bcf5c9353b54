// The widgets' fonts: UTF-8 text through the widget graphics, offsets and colour from the
// graphics, the shared font left as it was, and the resource folder's font by face name.
#include <gtest/gtest.h>

#include <string>

#include "platform/gui/SDL2Graphics.h"
#include "platform/win/ResourceFolder.h"
#include "text/GuiFont.h"
#include "text_test_util.h"

namespace {

using text_test::Canvas;
using text_test::kDejaVuSans;

class GuiFontTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(canvas.Ok());
    ASSERT_TRUE(manager.Init());
    ASSERT_TRUE(manager.LoadFont(kDejaVuSans));
    font = manager.GetFont(kDejaVuSans);
    font->SetSize(18);
    font->SetColor(0xFFFFFF00);
    graphics.setTargetSize(Canvas::kWidth, Canvas::kHeight);
  }

  // Draws text with the widget graphics inside a clip area at (left, top).
  std::vector<uint32_t> DrawWidgetText(gcn::Font& widgetFont, const std::string& text, int left,
                                       int top, const gcn::Color& color,
                                       gcn::Graphics::Alignment align = gcn::Graphics::LEFT,
                                       int x = 0) {
    return canvas.Render([&] {
      graphics._beginDraw();
      graphics.pushClipArea(gcn::Rectangle(left, top, 200, 60));
      graphics.setColor(color);
      graphics.setFont(&widgetFont);
      gcn::GuiGuard("test", [&] { graphics.drawText(text, x, 0, align); });
      graphics.popClipArea();
      graphics._endDraw();
    });
  }

  Canvas canvas;
  CFontManager manager;
  CTTFont* font = nullptr;
  gcn::SDL2Graphics graphics;
};

struct WidgetTextCase {
  const char* name;
  std::string utf8;
  const wchar_t* wide;
  int pixels;
  int left, top;
  gcn::Graphics::Alignment align;
  int x;
};

class GuiFontText : public GuiFontTest, public ::testing::WithParamInterface<WidgetTextCase> {};

TEST_P(GuiFontText, DrawsAtTheWidgetOffsetInTheGraphicsColour) {
  const WidgetTextCase& c = GetParam();
  gcn::TrueTypeFont widgetFont(font, c.pixels);
  const int width = widgetFont.getWidth(c.utf8);
  const auto drawn = DrawWidgetText(widgetFont, c.utf8, c.left, c.top, gcn::Color(255, 0, 0, 255),
                                    c.align, c.x);
  font->SetSize(c.pixels);
  const int ascent = font->GetAscent();
  int x = c.left + c.x;
  if (c.align == gcn::Graphics::CENTER) x -= width / 2;
  if (c.align == gcn::Graphics::RIGHT) x -= width;
  const auto expected = canvas.Render([&] {
    font->SetColor(0xFFFF0000);
    font->DrawString(c.wide, float(x), float(c.top + ascent));
  });
  EXPECT_EQ(text_test::CountDifferent(drawn, expected), 0);
  EXPECT_FALSE(text_test::InkBox(drawn).Empty());
}

INSTANTIATE_TEST_SUITE_P(
    Texts, GuiFontText,
    ::testing::Values(
        WidgetTextCase{"ascii", "Cancel", L"Cancel", 18, 10, 20, gcn::Graphics::LEFT, 0},
        WidgetTextCase{"utf8_accents", "D\xC3\xA9j\xC3\xA0", L"D\u00E9j\u00E0", 15, 40, 30,
                       gcn::Graphics::LEFT, 3},
        WidgetTextCase{"centred", "OK", L"OK", 15, 0, 0, gcn::Graphics::CENTER, 60},
        WidgetTextCase{"right", "28", L"28", 15, 100, 50, gcn::Graphics::RIGHT, 50}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(GuiFontTest, SharedFontKeepsItsSizeAndColour) {
  gcn::TrueTypeFont widgetFont(font, 12);
  DrawWidgetText(widgetFont, "abc", 0, 0, gcn::Color(0, 255, 0, 255));
  EXPECT_GT(widgetFont.getWidth("abc"), 0);
  EXPECT_GT(widgetFont.getHeight(), 12);
  EXPECT_EQ(font->GetSize(), 18);
  EXPECT_EQ(font->GetColor(), 0xFFFFFF00u);
}

struct IndexCase {
  const char* name;
  std::string text;
  int chars;                // x is put just past this many characters
  int expectedByteIndex;
};

class GuiFontIndex : public GuiFontTest, public ::testing::WithParamInterface<IndexCase> {};

TEST_P(GuiFontIndex, StringIndexNeverSplitsACharacter) {
  const IndexCase& c = GetParam();
  gcn::TrueTypeFont widgetFont(font, 18);
  // the width of the first characters, found by whole UTF-8 sequences
  std::string prefix;
  size_t i = 0;
  for (int n = 0; n < c.chars && i < c.text.size(); ++n) {
    const unsigned char b = static_cast<unsigned char>(c.text[i]);
    const size_t len = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
    prefix += c.text.substr(i, len);
    i += len;
  }
  const int x = widgetFont.getWidth(prefix) + 1;
  EXPECT_EQ(widgetFont.getStringIndexAt(c.text, x), c.expectedByteIndex);
}

INSTANTIATE_TEST_SUITE_P(Texts, GuiFontIndex,
                         ::testing::Values(IndexCase{"ascii", "abcd", 2, 2},
                                           IndexCase{"two_byte", "\xC3\xA9\xC3\xA9\xC3\xA9", 1, 2},
                                           IndexCase{"past_the_end", "ab", 2, 2},
                                           IndexCase{"before_the_start", "ab", 0, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- HGEImageFont -----------------------------------------------------------------------

class ImageFontTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(canvas.Ok()); }
  void TearDown() override { SetResourceFolder(""); }
  Canvas canvas;
};

TEST_F(ImageFontTest, FaceNameMapsToTheResourceFolderFont) {
  // The test executable's folder holds Torvaly/fzzy.TTF, placed by the build.
  gcn::HGEImageFont font("宋体", 15, 1, 0, 1);
  ASSERT_TRUE(font.isLoaded()) << "missing " << ResolvePath("Torvaly\\fzzy.TTF");
  EXPECT_EQ(font.getPixelSize(), 15);
  EXPECT_TRUE(font.isBold());
  EXPECT_GE(font.getHeight(), 15);
  EXPECT_GT(font.getWidth("选择牌间距"), 5 * 13);

  gcn::HGEImageFont plain("SimSun", 15, 0, 0, 1);
  ASSERT_TRUE(plain.isLoaded());
  EXPECT_EQ(font.getWidth("28"), plain.getWidth("28") + 1);  // bold: one pixel wider
}

TEST_F(ImageFontTest, NotAntialiasedGlyphsAreAllOrNothing) {
  gcn::HGEImageFont font("宋体", 15, 0, 0, 0);
  ASSERT_TRUE(font.isLoaded());
  CTTFont* tt = font.getTTFont();
  tt->SetSize(15);
  ASSERT_TRUE(tt->CacheChar(L'牌'));
  const tagGlyphInfo* g = tt->FindGlyph(L'牌');
  ASSERT_NE(g, nullptr);
  const DWORD* px = canvas.Engine()->Texture_Lock(g->texture, true);
  ASSERT_NE(px, nullptr);
  int partial = 0;
  for (int i = 0; i < g->textureWidth * g->textureHeight; ++i) {
    const DWORD a = px[i] >> 24;
    partial += a != 0 && a != 255;
  }
  canvas.Engine()->Texture_Unlock(g->texture);
  EXPECT_EQ(partial, 0);
}

TEST_F(ImageFontTest, WithoutTheFontFileItDrawsNothing) {
  SetResourceFolder(::testing::TempDir() + "torvaly-no-such-folder");
  gcn::HGEImageFont font("宋体", 15, 1, 0, 1);
  EXPECT_FALSE(font.isLoaded());
  EXPECT_EQ(font.getWidth("18"), 0);
  EXPECT_EQ(font.getHeight(), 15);
  gcn::SDL2Graphics graphics;
  const auto pixels = canvas.Render([&] {
    graphics._beginDraw();
    graphics.setFont(&font);
    gcn::GuiGuard("test", [&] { graphics.drawText("18", 5, 5); });
    graphics._endDraw();
  });
  EXPECT_TRUE(text_test::InkBox(pixels).Empty());
}

}  // namespace
