// One pseudo-terminal: the master side that the port drives, in packet mode and non-blocking, and
// a slave descriptor of our own that stays open for the life of the pair, so that the master never
// sees a hang-up when the application closes its side, and that termios is read through.
#pragma once

#include <termios.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace platform {

class PtyPair {
 public:
  // What one read from the master gave.
  struct Packet {
    long dataBytes = 0;   // > 0: data copied out; 0: nothing to read; < 0: read error
    uint8_t control = 0;  // non-zero: a packet-mode status byte (TIOCPKT_*) instead of data
  };

  PtyPair() = default;
  ~PtyPair() { Close(); }
  PtyPair(const PtyPair&) = delete;
  PtyPair& operator=(const PtyPair&) = delete;

  // Makes the pair: raw line, EXTPROC so that termios changes are signalled, packet mode.
  // Returns 0 or an errno value.
  int Open();
  void Close();
  bool IsOpen() const { return master_ >= 0; }

  int MasterFd() const { return master_; }
  const std::string& SlavePath() const { return slavePath_; }

  // Writes into the application's input without blocking: bytes taken, 0 when full, -1 on error.
  long Write(const uint8_t* data, size_t count);
  // Reads at most capacity data bytes, or one status byte.
  Packet Read(uint8_t* data, size_t capacity);
  // Bytes the application wrote that are waiting to be read.
  long Pending() const;
  // Pending, counting in what the kernel has yet to move into the line buffer: FIONREAD sees only
  // that buffer, and after a read has emptied it the rest follows from a kernel worker. For
  // deciding that nothing is left; it may wait for that worker.
  long PendingSettled() const;
  // A packet-mode status byte is waiting (it is read before any data).
  bool ControlPending() const;
  bool GetTermios(struct termios& t) const;
  bool SetTermios(const struct termios& t);
  // Sets EXTPROC again if an application cleared it (it is needed for TIOCPKT_IOCTL); only to be
  // done while no application holds the port, since it changes how input is processed.
  void RestoreExtproc();
  // Discards what is queued in both directions.
  void Flush();
  // Descriptors open on the slave node (mode 0600) in every process that can be examined, of any
  // user, our own one left out; empty when some process of ours could not be examined.
  std::optional<int> CountOtherOpens() const;

 private:
  int master_ = -1;
  int slave_ = -1;
  std::string slavePath_;
};

}  // namespace platform
