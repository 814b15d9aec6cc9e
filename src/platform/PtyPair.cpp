#include "platform/PtyPair.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>

namespace platform {

namespace {

bool IsNumber(const char* name) {
  if (*name == '\0') return false;
  for (; *name; ++name) {
    if (*name < '0' || *name > '9') return false;
  }
  return true;
}

// Counts the descriptors of one process that name path. Returns -1 when they cannot be read.
int CountInProcess(const std::string& pid, const std::string& path, int skipFd) {
  const std::string fdDir = "/proc/" + pid + "/fd";
  DIR* dir = opendir(fdDir.c_str());
  if (!dir) return errno == ENOENT || errno == ESRCH ? 0 : -1;  // gone meanwhile: nothing
  int count = 0;
  std::array<char, 256> target{};
  while (const dirent* entry = readdir(dir)) {
    if (!IsNumber(entry->d_name) || std::atoi(entry->d_name) == skipFd) continue;
    const ssize_t n = readlinkat(dirfd(dir), entry->d_name, target.data(), target.size());
    if (n > 0 && static_cast<size_t>(n) == path.size() &&
        std::memcmp(target.data(), path.data(), path.size()) == 0) {
      ++count;
    }
  }
  closedir(dir);
  return count;
}

}  // namespace

int PtyPair::Open() {
  Close();
  master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (master_ < 0) return errno;
  std::array<char, 128> name{};
  // grantpt leaves the node mode 0620, group tty, so that set-group-id tty tools (write, wall)
  // could write into the port: it becomes the user's alone while still locked, before anyone
  // could open it.
  if (grantpt(master_) != 0 || ptsname_r(master_, name.data(), name.size()) != 0 ||
      chmod(name.data(), 0600) != 0 || unlockpt(master_) != 0) {
    const int rc = errno;
    Close();
    return rc;
  }
  slavePath_ = name.data();
  slave_ = open(slavePath_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  struct termios t {};
  if (slave_ < 0 || tcgetattr(slave_, &t) != 0) {
    const int rc = errno;
    Close();
    return rc;
  }
  // A serial line carries bytes as they are: no echo back to the server, no line editing, no
  // newline translation. EXTPROC makes every tcsetattr of the application raise TIOCPKT_IOCTL.
  cfmakeraw(&t);
  t.c_lflag |= EXTPROC;
  t.c_cc[VMIN] = 1;
  t.c_cc[VTIME] = 0;
  int one = 1;
  if (tcsetattr(slave_, TCSANOW, &t) != 0 || ioctl(master_, TIOCPKT, &one) != 0) {
    const int rc = errno;
    Close();
    return rc;
  }
  return 0;
}

void PtyPair::Close() {
  if (slave_ >= 0) close(slave_);
  if (master_ >= 0) close(master_);
  slave_ = master_ = -1;
  slavePath_.clear();
}

long PtyPair::Write(const uint8_t* data, size_t count) {
  if (master_ < 0) return -1;
  if (count == 0) return 0;
  ssize_t n;
  do {
    n = write(master_, data, count);
  } while (n < 0 && errno == EINTR);
  if (n >= 0) return static_cast<long>(n);
  return errno == EAGAIN || errno == EWOULDBLOCK ? 0 : -1;
}

PtyPair::Packet PtyPair::Read(uint8_t* data, size_t capacity) {
  Packet packet;
  if (master_ < 0) {
    packet.dataBytes = -1;
    return packet;
  }
  // In packet mode every read starts with one status byte: TIOCPKT_DATA (0) before data, or
  // alone, a set of TIOCPKT_* flags.
  std::array<uint8_t, 1 + 4096> buf;
  const size_t want = 1 + (capacity < buf.size() - 1 ? capacity : buf.size() - 1);
  ssize_t n;
  do {
    n = read(master_, buf.data(), want);
  } while (n < 0 && errno == EINTR);
  if (n < 0) {
    packet.dataBytes = errno == EAGAIN || errno == EWOULDBLOCK ? 0 : -1;
    return packet;
  }
  if (n == 0) return packet;
  if (buf[0] != TIOCPKT_DATA) {
    packet.control = buf[0];
    return packet;
  }
  std::memcpy(data, buf.data() + 1, static_cast<size_t>(n - 1));
  packet.dataBytes = n - 1;
  return packet;
}

long PtyPair::Pending() const {
  int count = 0;
  if (master_ < 0 || ioctl(master_, FIONREAD, &count) != 0) return 0;
  return count;
}

long PtyPair::PendingSettled() const {
  const long now = Pending();
  if (now > 0 || master_ < 0) return now;
  // A poll that finds the line buffer empty first lets the worker move in what is queued.
  struct pollfd pfd {
    master_, POLLIN, 0
  };
  if (poll(&pfd, 1, 0) != 1 || (pfd.revents & POLLIN) == 0) return 0;
  return Pending();
}

bool PtyPair::ControlPending() const {
  if (master_ < 0) return false;
  struct pollfd pfd {
    master_, POLLPRI, 0
  };
  return poll(&pfd, 1, 0) == 1 && (pfd.revents & POLLPRI) != 0;
}

bool PtyPair::GetTermios(struct termios& t) const {
  return slave_ >= 0 && tcgetattr(slave_, &t) == 0;
}

bool PtyPair::SetTermios(const struct termios& t) {
  return slave_ >= 0 && tcsetattr(slave_, TCSANOW, &t) == 0;
}

void PtyPair::RestoreExtproc() {
  struct termios t {};
  if (GetTermios(t) && !(t.c_lflag & EXTPROC)) {
    t.c_lflag |= EXTPROC;
    SetTermios(t);
  }
}

void PtyPair::Flush() {
  // The slave's flush drops what waits for the application and what is still in transit to us;
  // what already reached the master's own input queue goes with the master's flush.
  if (slave_ >= 0) tcflush(slave_, TCIOFLUSH);
  if (master_ >= 0) tcflush(master_, TCIFLUSH);
}

std::optional<int> PtyPair::CountOtherOpens() const {
  if (slave_ < 0) return 0;
  DIR* proc = opendir("/proc");
  if (!proc) return std::nullopt;
  const std::string self = std::to_string(getpid());
  const uid_t uid = geteuid();
  int total = 0;
  bool complete = true;
  while (const dirent* entry = readdir(proc)) {
    if (!IsNumber(entry->d_name)) continue;
    // Every process that can be examined counts, whoever runs it (one of another user may hold
    // a descriptor it was handed, or opened as root). One that cannot be examined is another
    // user's, and could not open the node (mode 0600, made so before it was unlocked); one of ours
    // that cannot be examined leaves the count unknown.
    struct stat st {};
    if (fstatat(dirfd(proc), entry->d_name, &st, 0) != 0) continue;
    const std::string pid = entry->d_name;
    const int n = CountInProcess(pid, slavePath_, pid == self ? slave_ : -1);
    if (n >= 0) {
      total += n;
    } else if (st.st_uid == uid) {
      complete = false;
    }
  }
  closedir(proc);
  if (!complete) return std::nullopt;
  return total;
}

}  // namespace platform
