#pragma once
// Takes away, for the calling thread, the capabilities that let root ignore file modes
// (CI runs as root), so that a test can meet an unreadable file or a read-only directory as
// an ordinary user would. Capabilities belong to each thread; the effective set is restored
// from the permitted one when the object goes.
#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

class WithoutFilePrivileges {
 public:
  WithoutFilePrivileges() {
    if (!Get()) return;
    saved_[0] = data_[0];
    saved_[1] = data_[1];
    for (int cap : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH, CAP_FOWNER})
      data_[cap / 32].effective &= ~(1u << (cap % 32));
    dropped_ = Set(data_);
  }
  ~WithoutFilePrivileges() {
    if (dropped_) Set(saved_);
  }
  WithoutFilePrivileges(const WithoutFilePrivileges&) = delete;
  WithoutFilePrivileges& operator=(const WithoutFilePrivileges&) = delete;

 private:
  bool Get() {
    header_ = {_LINUX_CAPABILITY_VERSION_3, 0};
    return syscall(SYS_capget, &header_, data_) == 0;
  }
  bool Set(__user_cap_data_struct* data) {
    header_ = {_LINUX_CAPABILITY_VERSION_3, 0};
    return syscall(SYS_capset, &header_, data) == 0;
  }

  __user_cap_header_struct header_{};
  __user_cap_data_struct data_[2]{};
  __user_cap_data_struct saved_[2]{};
  bool dropped_ = false;
};
