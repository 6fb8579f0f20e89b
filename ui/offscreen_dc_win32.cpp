#include "ui/offscreen_dc_win32.h"

OffscreenDc::OffscreenDc(HDC target) : target_(target), dc_(target) {
  GetClipBox(target_, &rect_);
  if (GetDeviceCaps(target_, TECHNOLOGY) == DT_RASPRINTER) return;
  HDC memory = CreateCompatibleDC(target_);
  if (memory == nullptr) return;
  bitmap_ = CreateCompatibleBitmap(target_, rect_.right - rect_.left, rect_.bottom - rect_.top);
  if (bitmap_ == nullptr) {
    DeleteDC(memory);
    return;  // no memory for the bitmap: draw straight to the target
  }
  previous_bitmap_ = SelectObject(memory, bitmap_);
  SetWindowOrgEx(memory, rect_.left, rect_.top, nullptr);
  dc_ = memory;
  offscreen_ = true;
}

OffscreenDc::~OffscreenDc() {
  if (!offscreen_) return;  // the target's own handles are not ours to delete
  BitBlt(target_, rect_.left, rect_.top, rect_.right - rect_.left, rect_.bottom - rect_.top, dc_,
         rect_.left, rect_.top, SRCCOPY);
  SelectObject(dc_, previous_bitmap_);
  DeleteObject(bitmap_);
  DeleteDC(dc_);
}
