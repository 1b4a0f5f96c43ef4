#include "app/window_region.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "app/window_runs.h"
#include "ui/gdi.h"

namespace velotune {
namespace {

// A RGNDATA block that grows by 100 rectangles at a time.
class RegionBlock {
 public:
  RegionBlock() { Grow(); }

  void Add(const RECT& r) {
    if (header().nCount == room_) Grow();
    rects()[header().nCount++] = r;
    RECT& bound = header().rcBound;
    bound.left = std::min(bound.left, r.left);
    bound.top = std::min(bound.top, r.top);
    bound.right = std::max(bound.right, r.right);
    bound.bottom = std::max(bound.bottom, r.bottom);
  }

  DWORD Count() { return header().nCount; }

  // Makes a region of what the block holds and empties it.
  HRGN TakeRegion() {
    HRGN region = ExtCreateRegion(nullptr, static_cast<DWORD>(bytes_.size()),
                                  reinterpret_cast<const RGNDATA*>(bytes_.data()));
    Reset();
    return region;
  }

 private:
  RGNDATAHEADER& header() { return *reinterpret_cast<RGNDATAHEADER*>(bytes_.data()); }
  RECT* rects() { return reinterpret_cast<RECT*>(bytes_.data() + sizeof(RGNDATAHEADER)); }

  void Grow() {
    room_ += 100;
    const bool first = bytes_.empty();
    bytes_.resize(sizeof(RGNDATAHEADER) + room_ * sizeof(RECT));
    if (first) {
      header().dwSize = sizeof(RGNDATAHEADER);
      header().iType = RDH_RECTANGLES;
      header().nRgnSize = 0;
      Reset();
    }
  }

  void Reset() {
    header().nCount = 0;
    header().rcBound = {0x7FFFFFFF, 0x7FFFFFFF, 0, 0};
  }

  std::vector<BYTE> bytes_;  // the header, then the rectangles
  DWORD room_ = 0;
};

// Adds the region to the one built so far.
void Accumulate(HRGN& result, HRGN part) {
  if (!part) return;
  if (!result) {
    result = part;
    return;
  }
  CombineRgn(result, result, part, RGN_OR);
  DeleteObject(part);
}

std::vector<PixelRun> RunsOf(const ui::Picture& picture, ui::Color transparent) {
  const COLORREF key = ui::ResolveColor(transparent);
  return OpaqueRuns(picture.Pixels(), picture.Width(),
                    (GetRValue(key) << 16) | (GetGValue(key) << 8) | GetBValue(key));
}

RECT ToRect(const PixelRun& run) { return {run.left, run.top, run.right, run.bottom}; }

}  // namespace

std::vector<RECT> OpaqueRuns(const ui::Picture& picture, ui::Color transparent) {
  std::vector<RECT> rects;
  for (const PixelRun& run : RunsOf(picture, transparent)) rects.push_back(ToRect(run));
  return rects;
}

HRGN BuildWindowRegion(const ui::Picture& picture, ui::Color transparent, int* regionsMade) {
  RegionBlock block;
  HRGN result = nullptr;
  int made = 0;
  auto flush = [&] {
    ++made;
    Accumulate(result, block.TakeRegion());
  };
  for (const PixelRun& run : RunsOf(picture, transparent)) {
    block.Add(ToRect(run));
    if (block.Count() == kRegionBatch) flush();
  }
  flush();
  if (regionsMade) *regionsMade = made;
  return result;
}

}  // namespace velotune
