#include "text/GuiFont.h"

#include <stack>
#include <string_view>

#include "platform/win/DataFault.h"
#include "platform/win/ResourceFolder.h"
#include "platform/win/WinText.h"

namespace gcn {

namespace {

// Guichan keeps the clip stack (and with it the offset of the widget being drawn) protected.
// A pointer to the member, taken through a derived class, reads it on any Graphics without
// the exception getCurrentClipArea throws when nothing is being drawn.
struct ClipStackAccess : Graphics {
  static const std::stack<ClipRectangle>& Of(const Graphics& graphics) {
    return graphics.*(&ClipStackAccess::mClipStack);
  }
};

DWORD ToArgb(const Color& c) {
  auto channel = [](int v) { return static_cast<DWORD>(v < 0 ? 0 : v > 255 ? 255 : v); };
  return (channel(c.a) << 24) | (channel(c.r) << 16) | (channel(c.g) << 8) | channel(c.b);
}

// Puts a font's size and colour back when the widget call ends.
class FontState {
 public:
  FontState(CTTFont* font, int pixels)
      : mFont(font), mSize(font->GetSize()), mColor(font->GetColor()) {
    font->SetSize(pixels);
  }
  ~FontState() {
    mFont->SetSize(mSize);
    mFont->SetColor(mColor);
  }
  FontState(const FontState&) = delete;
  FontState& operator=(const FontState&) = delete;

 private:
  CTTFont* mFont;
  int mSize;
  DWORD mColor;
};

// The number of bytes of the UTF-8 sequence led by byte b (1 for a stray byte).
size_t Utf8Length(unsigned char b) {
  if (b >= 0xF0 && b <= 0xF4) return 4;
  if (b >= 0xE0) return b <= 0xEF ? 3 : 1;
  if (b >= 0xC2) return 2;
  return 1;
}

}  // namespace

TrueTypeFont::TrueTypeFont(CTTFont* font, int pixels) : mFont(font), mPixels(pixels) {}

int TrueTypeFont::getWidth(const std::string& text) const {
  if (mFont == nullptr || text.empty()) return 0;
  const std::wstring wide = Utf8ToWide(text);
  FontState state(mFont, mPixels);
  const int width = mFont->MeasureString(wide.c_str(), wide.size());
  return width > 0 && mBold ? width + 1 : width;
}

int TrueTypeFont::getHeight() const {
  if (mFont == nullptr) return mPixels;
  FontState state(mFont, mPixels);
  return mFont->GetAscent() + mFont->GetDescent();
}

int TrueTypeFont::getStringIndexAt(const std::string& text, int x) const {
  // Steps whole characters, so the index never splits a UTF-8 sequence.
  size_t i = 0;
  while (i < text.size()) {
    size_t next = i + Utf8Length(static_cast<unsigned char>(text[i]));
    if (next > text.size()) next = text.size();
    if (getWidth(text.substr(0, next)) > x) return static_cast<int>(i);
    i = next;
  }
  return static_cast<int>(text.size());
}

void TrueTypeFont::drawString(Graphics* graphics, const std::string& text, int x, int y) {
  if (mFont == nullptr || graphics == nullptr || text.empty()) return;
  const std::stack<ClipRectangle>& clips = ClipStackAccess::Of(*graphics);
  if (!clips.empty()) {
    x += clips.top().xOffset;
    y += clips.top().yOffset;
  }
  const std::wstring wide = Utf8ToWide(text);
  FontState state(mFont, mPixels);
  mFont->SetColor(ToArgb(graphics->getColor()));
  const float baseline = static_cast<float>(y + mFont->GetAscent());
  mFont->DrawString(wide.c_str(), wide.size(), static_cast<float>(x), baseline);
  if (mBold) mFont->DrawString(wide.c_str(), wide.size(), static_cast<float>(x + 1), baseline);
}

HGEImageFont::HGEImageFont(const std::string& faceName, int size, int bold, int italic,
                           int antialias)
    : TrueTypeFont(nullptr, size), mFaceName(faceName), mItalic(italic != 0) {
  setBold(bold != 0);
  const std::string path = ResolvePath(FontFileFor(faceName));
  if (mManager.Init() && mManager.LoadFont(path.c_str())) {
    CTTFont* font = mManager.GetFont(path.c_str());
    font->SetMonochrome(antialias == 0);
    setTTFont(font);
  } else {
    NoteDataFault(path, DataFaultOf(path));  // the text is not drawn
  }
}

const char* HGEImageFont::FontFileFor(const std::string& /*faceName*/) {
  // The program names Windows faces ("宋体", ...); the resource folder ships one font that
  // covers them all.
  return "Torvaly\\fzzy.TTF";
}

}  // namespace gcn
