// CMemDC: an off-screen drawing surface over a target device context. All
// drawing goes to a bitmap the size of the target's clip box, in the
// target's own coordinates; destroying the surface copies the bitmap to the
// target in one step, so the panel never flickers. On a printer the surface
// draws straight to the target.
#pragma once

#include <windows.h>

class CMemDC {
 public:
  explicit CMemDC(HDC target);
  ~CMemDC();
  CMemDC(const CMemDC&) = delete;
  CMemDC& operator=(const CMemDC&) = delete;

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
