// OffscreenDc: an off-screen drawing surface over a target device context. All
// drawing goes to a bitmap the size of the target's clip box, in the
// target's own coordinates; destroying the surface copies the bitmap to the
// target in one step, so the panel never flickers. On a printer the surface
// draws straight to the target.
#pragma once

#include <windows.h>

class OffscreenDc {
 public:
  explicit OffscreenDc(HDC target);
  ~OffscreenDc();
  OffscreenDc(const OffscreenDc&) = delete;
  OffscreenDc& operator=(const OffscreenDc&) = delete;

  // Where to draw.
  HDC dc() const { return dc_; }
  const RECT& rect() const { return rect_; }

 private:
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ previous_bitmap_ = nullptr;
  HDC target_;
  RECT rect_ = {};
  bool offscreen_ = false;
  HDC dc_ = nullptr;
};
