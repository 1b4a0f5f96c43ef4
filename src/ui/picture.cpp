#include "ui/picture.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

#include "ui/gdi.h"

namespace velotune::ui {

Picture::Data::~Data() {
  if (bitmap) DeleteObject(bitmap);
}

Picture Picture::Deferred(int width, int height, std::function<Picture()> make) {
  Picture p;
  if (width <= 0 || height <= 0 || !make) return p;
  p.data_ = std::make_shared<Data>();
  p.data_->width = width;
  p.data_->height = height;
  p.data_->make = std::move(make);
  return p;
}

void Picture::Data::Make() {
  Picture made = std::exchange(make, nullptr)();
  if (made.Width() == width && made.Height() == height) {
    pixels = std::move(made.data_->pixels);
    hasAlpha = made.data_->hasAlpha;
  } else {
    pixels.assign(static_cast<size_t>(width) * height, 0);
    hasAlpha = true;
  }
}

Picture::Data& Picture::Made() const {
  if (data_->make) data_->Make();
  return *data_;
}

bool Picture::HasAlpha() const { return data_ && Made().hasAlpha; }

Picture Picture::FromBgra(int width, int height, const std::vector<uint8_t>& bgra) {
  if (width <= 0 || height <= 0 ||
      bgra.size() < static_cast<size_t>(width) * static_cast<size_t>(height) * 4)
    return {};
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
  std::memcpy(pixels.data(), bgra.data(), pixels.size() * 4);
  return FromPixels(width, height, std::move(pixels));
}

Picture Picture::FromPixels(int width, int height, std::vector<uint32_t> pixels) {
  Picture p;
  if (width <= 0 || height <= 0 ||
      pixels.size() < static_cast<size_t>(width) * static_cast<size_t>(height))
    return p;
  p.data_ = std::make_shared<Data>();
  p.data_->width = width;
  p.data_->height = height;
  p.data_->pixels = std::move(pixels);
  p.data_->pixels.resize(static_cast<size_t>(width) * height);
  for (uint32_t px : p.data_->pixels)
    if ((px >> 24) != 0xFF) {
      p.data_->hasAlpha = true;
      break;
    }
  return p;
}

Picture Picture::FromBitmap(HBITMAP bitmap) {
  Picture p;
  BITMAP info;
  if (!bitmap || !GetObjectA(bitmap, sizeof info, &info) || info.bmWidth <= 0 || info.bmHeight == 0)
    return p;
  const int width = info.bmWidth, height = info.bmHeight < 0 ? -info.bmHeight : info.bmHeight;
  BITMAPINFO bi = TopDown32(width, height);
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
  HDC screen = GetDC(nullptr);
  const int rows = GetDIBits(screen, bitmap, 0, height, pixels.data(), &bi, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  if (rows != height) return p;
  for (auto& px : pixels) px |= 0xFF000000u;
  p.data_ = std::make_shared<Data>();
  p.data_->width = width;
  p.data_->height = height;
  p.data_->pixels = std::move(pixels);
  return p;
}

const std::vector<uint32_t>& Picture::Pixels() const {
  static const std::vector<uint32_t> none;
  return data_ ? Made().pixels : none;
}

COLORREF Picture::PixelRgb(int x, int y) const {
  const uint32_t px = Made().pixels[static_cast<size_t>(y) * data_->width + x];
  return RGB((px >> 16) & 0xFF, (px >> 8) & 0xFF, px & 0xFF);
}

HBITMAP Picture::Bitmap() const {
  if (!data_) return nullptr;
  Made();
  if (!data_->bitmap) {
    BITMAPINFO bi = TopDown32(data_->width, data_->height);
    void* bits = nullptr;
    data_->bitmap = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!data_->bitmap) return nullptr;
    auto* out = static_cast<uint32_t*>(bits);
    for (size_t i = 0; i < data_->pixels.size(); ++i) {
      const uint32_t px = data_->pixels[i];
      const uint32_t a = px >> 24;
      if (a == 0xFF || !data_->hasAlpha) {
        out[i] = px | 0xFF000000u;
        continue;
      }
      // GdiAlphaBlend wants premultiplied colour.
      const uint32_t r = ((px >> 16) & 0xFF) * a / 255, g = ((px >> 8) & 0xFF) * a / 255,
                     b = (px & 0xFF) * a / 255;
      out[i] = (a << 24) | (r << 16) | (g << 8) | b;
    }
  }
  return data_->bitmap;
}

void Picture::Draw(HDC dc, int x, int y) const {
  if (!data_) return;
  if (!Made().hasAlpha) {
    // The pixels are a top-down 32-bit DIB as they stand: copied from there,
    // with no bitmap of their own to make and fill first. That was about 3 ms
    // of the first paint, for the window's background.
    BITMAPINFO bi = TopDown32(data_->width, data_->height);
    SetDIBitsToDevice(dc, x, y, data_->width, data_->height, 0, 0, 0, data_->height,
                      data_->pixels.data(), &bi, DIB_RGB_COLORS);
    return;
  }
  HBITMAP bitmap = Bitmap();
  if (!bitmap) return;
  UniqueMemoryDc source(CreateCompatibleDC(dc));
  Selected select(source, bitmap);
  // gdi32's own blend, which msimg32's AlphaBlend hands on to: one library
  // less to load before the window shows.
  BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  GdiAlphaBlend(dc, x, y, data_->width, data_->height, source, 0, 0, data_->width, data_->height,
                blend);
}

namespace {

struct Share {
  int from;
  double weight;
};

// For each of `to` cells, the source cells it covers and by how much.
std::vector<std::vector<Share>> Shares(int from, int to) {
  std::vector<std::vector<Share>> shares(static_cast<size_t>(to));
  const double step = static_cast<double>(from) / to;
  for (int i = 0; i < to; ++i) {
    const double a = i * step, b = (i + 1) * step;
    for (int s = static_cast<int>(std::floor(a)); s < from && s < b; ++s) {
      const double w = std::min<double>(b, s + 1) - std::max<double>(a, s);
      if (w > 1e-9) shares[i].push_back({s, w});
    }
  }
  return shares;
}

}  // namespace

Picture Resampled(const Picture& picture, int width, int height, std::optional<COLORREF> key) {
  if (picture.Empty() || width <= 0 || height <= 0) return {};
  if (width == picture.Width() && height == picture.Height()) return picture;
  const int sw = picture.Width();
  const auto& in = picture.Pixels();
  const auto xs = Shares(sw, width), ys = Shares(picture.Height(), height);
  const uint32_t keyRgb =
      key ? (GetRValue(*key) << 16) | (GetGValue(*key) << 8) | GetBValue(*key) : 0;
  std::vector<uint32_t> out(static_cast<size_t>(width) * height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      double all = 0, keyed = 0, alpha = 0, r = 0, g = 0, b = 0;
      for (const Share& sy : ys[y]) {
        for (const Share& sx : xs[x]) {
          const double w = sx.weight * sy.weight;
          const uint32_t px = in[static_cast<size_t>(sy.from) * sw + sx.from];
          all += w;
          if (key && (px & 0xFFFFFFu) == keyRgb) {
            keyed += w;
            continue;
          }
          const double a = (px >> 24) * w;  // colour weighs by its alpha
          alpha += a;
          r += ((px >> 16) & 0xFF) * a;
          g += ((px >> 8) & 0xFF) * a;
          b += (px & 0xFF) * a;
        }
      }
      uint32_t& o = out[static_cast<size_t>(y) * width + x];
      if (key && keyed * 2 > all) {
        o = 0xFF000000u | keyRgb;
        continue;
      }
      if (alpha <= 0) {
        o = 0;
        continue;
      }
      auto channel = [](double v) {
        return static_cast<uint32_t>(std::lround(std::min(v, 255.0)));
      };
      const uint32_t a = channel(alpha / (all - keyed));
      o = (a << 24) | (channel(r / alpha) << 16) | (channel(g / alpha) << 8) | channel(b / alpha);
    }
  }
  return Picture::FromPixels(width, height, std::move(out));
}

}  // namespace velotune::ui
