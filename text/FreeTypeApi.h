// The FreeType calls the text renderer makes, behind one seam. The renderer never calls
// FreeType directly: it goes through a CFreeTypeApi, by default the one that forwards to the
// library. Tests put a counting (or refusing) one in its place to see which calls a drawing
// makes.
#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H

class CFreeTypeApi {
 public:
  virtual ~CFreeTypeApi() = default;

  virtual FT_Error InitFreeType(FT_Library* library);
  virtual FT_Error DoneFreeType(FT_Library library);
  virtual FT_Error NewFace(FT_Library library, const char* path, FT_Long faceIndex, FT_Face* face);
  virtual FT_Error DoneFace(FT_Face face);
  virtual FT_Error SetPixelSizes(FT_Face face, FT_UInt width, FT_UInt height);
  virtual FT_UInt GetCharIndex(FT_Face face, FT_ULong code);
  virtual FT_Error LoadGlyph(FT_Face face, FT_UInt glyphIndex, FT_Int32 loadFlags);
  virtual FT_Error RenderGlyph(FT_GlyphSlot slot, FT_Render_Mode mode);
  virtual FT_Error GetKerning(FT_Face face, FT_UInt left, FT_UInt right, FT_UInt mode,
                              FT_Vector* kerning);

  // The process-wide forwarding instance.
  static CFreeTypeApi& Default();
};
