// SmallDisk: a tmpfs of a few kilobytes mounted on a fresh folder for one
// test, so that writes meet a real full disk (ENOSPC, short writes), and
// unmounted again afterwards. Mounting needs root: where it cannot mount,
// reason() says why and the test skips. Linux only; one per test.
#pragma once

#include <sys/mount.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>

class SmallDisk {
 public:
  // Mounts `kilobytes` of tmpfs at `folder`, which is created.
  SmallDisk(const std::string& folder, int kilobytes) : folder_(folder) {
    std::error_code ec;
    std::filesystem::create_directories(folder_, ec);
    const std::string options = "size=" + std::to_string(kilobytes) + "k,mode=0755";
    if (::mount("tzq-test", folder_.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) == 0) {
      mounted_ = true;
    } else {
      reason_ = "cannot mount a small tmpfs at " + folder_ + " (" + std::strerror(errno) +
                "; needs root): the full-disk case is not tested here";
    }
  }
  ~SmallDisk() {
    // A file still open (a held bad-QSO file) keeps the disk busy: it is
    // then detached, and goes with the last close.
    if (mounted_ && ::umount(folder_.c_str()) != 0) ::umount2(folder_.c_str(), MNT_DETACH);
  }
  SmallDisk(const SmallDisk&) = delete;
  SmallDisk& operator=(const SmallDisk&) = delete;

  bool mounted() const { return mounted_; }
  const std::string& reason() const { return reason_; }

 private:
  std::string folder_;
  bool mounted_ = false;
  std::string reason_;
};
