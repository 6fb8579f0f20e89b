// IsPlainFile: whether an open handle is a plain file of a disk: neither a
// link (nor another reparse point, opened with FILE_FLAG_OPEN_REPARSE_POINT
// so that it is the link itself) nor a folder nor a device. For the Windows
// file helpers that must never write or read through a planted link. Any
// thread.
#pragma once

#include <windows.h>

namespace file_io {

bool IsPlainFile(HANDLE h);

}  // namespace file_io
