#include "text/FreeTypeApi.h"

FT_Error CFreeTypeApi::InitFreeType(FT_Library* library) { return FT_Init_FreeType(library); }

FT_Error CFreeTypeApi::DoneFreeType(FT_Library library) { return FT_Done_FreeType(library); }

FT_Error CFreeTypeApi::NewFace(FT_Library library, const char* path, FT_Long faceIndex,
                               FT_Face* face) {
  return FT_New_Face(library, path, faceIndex, face);
}

FT_Error CFreeTypeApi::DoneFace(FT_Face face) { return FT_Done_Face(face); }

FT_Error CFreeTypeApi::SetPixelSizes(FT_Face face, FT_UInt width, FT_UInt height) {
  return FT_Set_Pixel_Sizes(face, width, height);
}

FT_UInt CFreeTypeApi::GetCharIndex(FT_Face face, FT_ULong code) {
  return FT_Get_Char_Index(face, code);
}

FT_Error CFreeTypeApi::LoadGlyph(FT_Face face, FT_UInt glyphIndex, FT_Int32 loadFlags) {
  return FT_Load_Glyph(face, glyphIndex, loadFlags);
}

FT_Error CFreeTypeApi::RenderGlyph(FT_GlyphSlot slot, FT_Render_Mode mode) {
  return FT_Render_Glyph(slot, mode);
}

FT_Error CFreeTypeApi::GetKerning(FT_Face face, FT_UInt left, FT_UInt right, FT_UInt mode,
                                  FT_Vector* kerning) {
  return FT_Get_Kerning(face, left, right, mode, kerning);
}

CFreeTypeApi& CFreeTypeApi::Default() {
  static CFreeTypeApi api;
  return api;
}
