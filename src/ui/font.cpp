#include "ui/font.h"

#include <map>
#include <tuple>

namespace velotune::ui {

HFONT FontHandle(const FontSpec& style) {
  using Key = std::tuple<std::string, int, bool, bool, bool>;
  static std::map<Key, HFONT> cache;
  const Key key{style.face, style.height, style.bold, style.italic, style.underline};
  auto it = cache.find(key);
  if (it != cache.end()) return it->second;
  LOGFONTA lf = {};
  lf.lfHeight = -style.height;  // negative: character height, not cell height
  lf.lfWeight = style.bold ? FW_BOLD : FW_NORMAL;
  lf.lfItalic = style.italic;
  lf.lfUnderline = style.underline;
  lf.lfCharSet = DEFAULT_CHARSET;
  lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
  lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  lf.lfQuality = DEFAULT_QUALITY;
  lstrcpynA(lf.lfFaceName, style.face.c_str(), LF_FACESIZE);
  HFONT font = CreateFontIndirectA(&lf);
  cache.emplace(key, font);
  return font;
}

}  // namespace velotune::ui
