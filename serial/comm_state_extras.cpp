#include "serial/comm_state_extras.h"

#include <sys/stat.h>

#include <map>
#include <mutex>

namespace {

struct DeviceIdentity {
  dev_t device = 0;
  ino_t inode = 0;
  bool operator==(const DeviceIdentity&) const = default;
};

struct Entry {
  DeviceIdentity identity;
  DCB dcb;
};

struct Table {
  std::mutex lock;
  std::map<int, Entry> entries;
};

Table& TheTable() {
  static Table table;
  return table;
}

bool IdentityOf(int fd, DeviceIdentity* identity) {
  struct stat st{};
  if (::fstat(fd, &st) != 0) return false;
  identity->device = st.st_rdev != 0 ? st.st_rdev : st.st_dev;
  identity->inode = st.st_ino;
  return true;
}

}  // namespace

void RememberControlBlock(int fd, const DCB& dcb) {
  DeviceIdentity identity;
  if (!IdentityOf(fd, &identity)) return;
  Table& table = TheTable();
  std::lock_guard guard(table.lock);
  table.entries[fd] = Entry{identity, dcb};
}

bool RecallControlBlock(int fd, DCB* dcb) {
  DeviceIdentity identity;
  if (!IdentityOf(fd, &identity)) return false;
  Table& table = TheTable();
  std::lock_guard guard(table.lock);
  const auto found = table.entries.find(fd);
  if (found == table.entries.end() || !(found->second.identity == identity)) return false;
  *dcb = found->second.dcb;
  return true;
}

void ForgetExtras(int fd) {
  Table& table = TheTable();
  std::lock_guard guard(table.lock);
  table.entries.erase(fd);
}
