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
using text_test::InkBox;

class GuiFontTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(canvas.Ok());
    ASSERT_TRUE(manager.Init() && manager.LoadFont(text_test::kDejaVuSans));
    font = manager.GetFont(text_test::kDejaVuSans);
    font->SetSize(18);
    font->SetColor(0xFFFFFF00);
    graphics.setTargetSize(Canvas::kWidth, Canvas::kHeight);
  }
  void TearDown() override { SetResourceFolder(""); }
  // Draws text with the widget graphics inside a clip area at (left, top).
  std::vector<uint32_t> DrawWidgetText(gcn::Font& widgetFont, const std::string& text, int left,
                                       int top, gcn::Graphics::Alignment align, int x) {
    return canvas.Render([&] {
      graphics._beginDraw();
      graphics.pushClipArea(gcn::Rectangle(left, top, 200, 60));
      graphics.setColor(gcn::Color(255, 0, 0, 255));
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

// The text lies at the clip area's offset, one ascent down to its baseline, aligned, in the
// graphics' colour; the shared font keeps its own size and colour.
TEST_F(GuiFontTest, DrawsAtTheWidgetOffsetInTheGraphicsColour) {
  const struct {
    std::string utf8;
    const wchar_t* wide;
    int pixels, left, top;
    gcn::Graphics::Alignment align;
    int x;
  } cases[] = {{"Cancel", L"Cancel", 18, 10, 20, gcn::Graphics::LEFT, 0},
               {"D\xC3\xA9j\xC3\xA0", L"D\u00E9j\u00E0", 15, 40, 30, gcn::Graphics::LEFT, 3},
               {"OK", L"OK", 15, 0, 0, gcn::Graphics::CENTER, 60},
               {"28", L"28", 15, 100, 50, gcn::Graphics::RIGHT, 50}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.utf8);
    gcn::TrueTypeFont widgetFont(font, c.pixels);
    const int width = widgetFont.getWidth(c.utf8);
    const auto drawn = DrawWidgetText(widgetFont, c.utf8, c.left, c.top, c.align, c.x);
    EXPECT_EQ(font->GetSize(), 18);
    EXPECT_EQ(font->GetColor(), 0xFFFFFF00u);
    font->SetSize(c.pixels);
    int x = c.left + c.x;
    if (c.align == gcn::Graphics::CENTER) x -= width / 2;
    if (c.align == gcn::Graphics::RIGHT) x -= width;
    const auto expected = canvas.Render([&] {
      font->SetColor(0xFFFF0000);
      font->DrawString(c.wide, float(x), float(c.top + font->GetAscent()));
    });
    EXPECT_TRUE(drawn == expected);
    EXPECT_FALSE(InkBox(drawn).Empty());
    font->SetSize(18);
    font->SetColor(0xFFFFFF00);
  }
}

TEST_F(GuiFontTest, StringIndexNeverSplitsACharacter) {
  gcn::TrueTypeFont widgetFont(font, 18);
  const std::string ee = "\xC3\xA9\xC3\xA9\xC3\xA9";
  // text, the prefix whose width (plus one pixel) is asked, the byte index answered
  const std::string cases[][3] = {
      {"abcd", "ab", "2"}, {ee, "\xC3\xA9", "2"}, {"ab", "ab", "2"}, {"ab", "", "0"}};
  for (const auto& c : cases)
    EXPECT_EQ(widgetFont.getStringIndexAt(c[0], widgetFont.getWidth(c[1]) + 1), std::stoi(c[2]))
        << c[0] << " at " << c[1];
}

TEST_F(GuiFontTest, FaceNamesMapToTheResourceFolderFont) {
  // The test executable's folder holds Torvaly/fzzy.TTF, placed by the build.
  gcn::HGEImageFont bold("宋体", 15, 1, 0, 1);
  ASSERT_TRUE(bold.isLoaded()) << "missing " << ResolvePath("Torvaly\\fzzy.TTF");
  EXPECT_GE(bold.getHeight(), 15);
  EXPECT_GT(bold.getWidth("选择牌间距"), 5 * 13);
  gcn::HGEImageFont plain("SimSun", 15, 0, 0, 1);
  EXPECT_EQ(bold.getWidth("28"), plain.getWidth("28") + 1);  // bold: one pixel wider

  // Not anti-aliased: every glyph pixel is all or nothing.
  gcn::HGEImageFont sharp("宋体", 15, 0, 0, 0);
  CTTFont* tt = sharp.getTTFont();
  tt->SetSize(15);
  ASSERT_TRUE(tt->CacheChar(L'牌'));
  const tagGlyphInfo* g = tt->FindGlyph(L'牌');
  const DWORD* px = canvas.Engine()->Texture_Lock(g->texture, true);
  ASSERT_NE(px, nullptr);
  int partial = 0;
  for (int i = 0; i < g->textureWidth * g->textureHeight; ++i)
    partial += (px[i] >> 24) != 0 && (px[i] >> 24) != 255;
  canvas.Engine()->Texture_Unlock(g->texture);
  EXPECT_EQ(partial, 0);

  // Without the font file it draws nothing and measures nothing.
  SetResourceFolder(::testing::TempDir() + "torvaly-no-such-folder");
  gcn::HGEImageFont none("宋体", 15, 1, 0, 1);
  EXPECT_FALSE(none.isLoaded());
  EXPECT_EQ(none.getWidth("18"), 0);
  EXPECT_EQ(none.getHeight(), 15);
  EXPECT_TRUE(InkBox(DrawWidgetText(none, "18", 5, 5, gcn::Graphics::LEFT, 0)).Empty());
}

}  // namespace
