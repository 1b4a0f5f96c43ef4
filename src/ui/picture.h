#pragma once
// A picture held as 32-bit pixels, drawn opaque or alpha-blended.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace velotune::ui {

class Picture {
 public:
  Picture() = default;
  // Straight-alpha B, G, R, A bytes, rows from the top.
  static Picture FromBgra(int width, int height, const std::vector<uint8_t>& bgra);
  // The same as 0xAARRGGBB words, taken over without a copy.
  static Picture FromPixels(int width, int height, std::vector<uint32_t> pixels);
  // A copy of a bitmap's pixels, opaque.
  static Picture FromBitmap(HBITMAP bitmap);
  // A picture of a known size whose pixels are made on first use, once for
  // all its copies. Should `make` fail or give another size, the picture is
  // fully transparent.
  static Picture Deferred(int width, int height, std::function<Picture()> make);

  bool Empty() const { return !data_; }
  int Width() const { return data_ ? data_->width : 0; }
  int Height() const { return data_ ? data_->height : 0; }
  bool HasAlpha() const;
  // 0xAARRGGBB words, straight alpha, rows from the top.
  const std::vector<uint32_t>& Pixels() const;
  COLORREF PixelRgb(int x, int y) const;
  // A 32-bit DIB section of the picture (premultiplied when it has alpha).
  HBITMAP Bitmap() const;

  // Opaque pictures are copied, others blended over what is there.
  void Draw(HDC dc, int x, int y) const;

 private:
  struct Data {
    int width = 0, height = 0;
    bool hasAlpha = false;
    std::vector<uint32_t> pixels;
    HBITMAP bitmap = nullptr;
    std::function<Picture()> make;  // until the pixels are made
    void Make();
    ~Data();
  };
  // The data with its pixels made.
  Data& Made() const;
  std::shared_ptr<Data> data_;
};

// The picture at another size, each pixel the average of the area it covers.
// Pixels of the `key` colour are left out of the averages, and a pixel that is
// mostly key becomes key: a colour-keyed picture keeps a clean edge, with no
// key colour bleeding into what is drawn.
Picture Resampled(const Picture& picture, int width, int height,
                  std::optional<COLORREF> key = std::nullopt);

}  // namespace velotune::ui
