#include "platform/RegistryStore.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>

#include "platform/DurableFile.h"
#include "platform/FileLock.h"
#include "platform/RegistryPath.h"
#include "platform/RegistryTree.h"

namespace platform {

namespace {

// Far above any settings file; a bigger file is refused rather than read into memory.
constexpr off_t kMaxFileSize = 64 * 1024 * 1024;

struct FileIdentity {
  dev_t dev = 0;
  ino_t ino = 0;
  off_t size = 0;
  int64_t mtimeNs = 0;
  int64_t ctimeNs = 0;
  bool operator==(const FileIdentity&) const = default;
};

FileIdentity IdentityOf(const struct stat& st) {
  FileIdentity id;
  id.dev = st.st_dev;
  id.ino = st.st_ino;
  id.size = st.st_size;
  id.mtimeNs = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  id.ctimeNs = static_cast<int64_t>(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
  return id;
}

std::string Errno(const std::string& what) {
  return what + ": " + std::strerror(errno);
}

bool ReadAll(int fd, off_t expected, std::string* out) {
  out->clear();
  out->reserve(static_cast<size_t>(expected));
  char buffer[65536];
  while (true) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) return true;
    if (out->size() + static_cast<size_t>(n) > static_cast<size_t>(kMaxFileSize)) {
      errno = EFBIG;
      return false;
    }
    out->append(buffer, static_cast<size_t>(n));
  }
}

std::string Timestamp() {
  const std::time_t now = std::time(nullptr);
  struct tm parts {};
  ::localtime_r(&now, &parts);
  char text[32];
  std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &parts);
  return text;
}

}  // namespace

struct RegistryStore::Impl {
  enum class Seen { Nothing, Absent, Present };
  // What a refresh asks of its caller.
  enum class Refresh { Ok, Failed, NeedExclusive };

  explicit Impl(const std::string& path) : filePath(path) {
    if (!path.empty()) lock = std::make_unique<FileLock>(path + ".lock");
  }
  ~Impl() { DropHeld(); }

  bool InMemory() const { return lock == nullptr; }

  void SetStatus(long code, std::string text) {
    status = code;
    statusText = std::move(text);
  }

  void DropHeld() {
    if (heldFd >= 0) ::close(heldFd);
    heldFd = -1;
  }

  bool EnsureLockFile() {
    std::string error;
    if (DurableFile::MakeDirectories(DurableFile::Directory(filePath), &error) &&
        lock->Open(&error)) {
      return true;
    }
    SetStatus(REG_ACCESS_DENIED, error + "; settings cannot be saved");
    return false;
  }

  // Brings the tree up to date with the file. The caller holds the file lock (exclusive when
  // `exclusive`). A file that cannot be used is moved aside, which needs the exclusive lock.
  Refresh Sync(bool exclusive) {
    struct stat st {};
    if (::stat(filePath.c_str(), &st) != 0) {
      if (errno != ENOENT) return Refuse(Errno("cannot read " + filePath));
      if (seen != Seen::Absent) {
        // Removed by someone else (or never there): the settings are gone with it.
        tree = RegistryTree();
        DropHeld();
        seen = Seen::Absent;
      }
      blocked = false;
      unreadable = false;
      return Refresh::Ok;
    }
    if (seen == Seen::Present && IdentityOf(st) == identity) return Refresh::Ok;
    return Load(exclusive);
  }

  Refresh Load(bool exclusive) {
    // O_NONBLOCK: a FIFO put in the file's place must not hang the program.
    const int fd = ::open(filePath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return Refuse(Errno("cannot read " + filePath));
    struct stat st {};
    std::string text;
    bool readOk = ::fstat(fd, &st) == 0;
    if (readOk && !S_ISREG(st.st_mode)) {
      ::close(fd);
      return Refuse(filePath + " is " + (S_ISDIR(st.st_mode) ? "a folder" : "not a regular file") +
                    ", not a settings file");
    }
    if (readOk && st.st_size > kMaxFileSize) {
      errno = EFBIG;
      readOk = false;
    }
    if (readOk) readOk = ReadAll(fd, st.st_size, &text);
    if (!readOk) {
      const std::string error = Errno("cannot read " + filePath);
      ::close(fd);
      return Refuse(error);
    }
    RegistryTree loaded;
    // An empty file holds no settings (and nothing to keep aside).
    if (!text.empty()) {
      RegParseResult parsed = RecoverRegistryExport(text);
      if (!parsed.ok) {
        ::close(fd);
        return Recover(exclusive, parsed);
      }
      std::string().swap(text);  // not needed any more: give its memory back before the tree's
      loaded = RegistryTree::FromKeys(std::move(parsed.keys));
    }
    tree = std::move(loaded);
    // Holding the file open keeps its inode number from being reused by a later file, so an
    // equal identity really means the same file.
    DropHeld();
    heldFd = fd;
    identity = IdentityOf(st);
    seen = Seen::Present;
    blocked = false;
    unreadable = false;
    return Refresh::Ok;
  }

  // Something is at the path that cannot be read (permissions, a folder, a device): it is the
  // user's to mend, so it is left as it is and nothing is written over it.
  Refresh Refuse(const std::string& reason) {
    blocked = true;
    unreadable = true;
    SetStatus(REG_ACCESS_DENIED, reason + "; it is left as it is and settings are not saved");
    return Refresh::Failed;
  }

  // Some lines of the file cannot be parsed: the file is kept aside under a new name as it was,
  // and every line that could be read is kept and written back.
  Refresh Recover(bool exclusive, const RegParseResult& parsed) {
    if (!exclusive) return Refresh::NeedExclusive;
    const size_t n = parsed.skippedLines;
    const std::string where = "line " + std::to_string(parsed.errorLine) + ": " + parsed.error;
    std::string reason = filePath + ": ";
    if (n == 0) {
      reason += where;
    } else {
      reason += std::to_string(n) +
                (n == 1 ? " line could not be read and was skipped ("
                        : " lines could not be read and were skipped (first ") +
                where + ")";
    }
    // Found while running (someone else's edit): what this store last read stays, and what the
    // file holds now is laid over it, so that neither loses a value.
    std::vector<RegKeyData> keys;
    if (seen == Seen::Present) keys = tree.ToKeys();
    keys.insert(keys.end(), parsed.keys.begin(), parsed.keys.end());
    return MoveAside(reason, RegistryTree::FromKeys(keys));
  }

  // Renames the file to a new "<file>.corrupt-<time>" name, never over an existing one, and
  // writes `kept` in its place.
  Refresh MoveAside(const std::string& reason, RegistryTree kept) {
    std::string copy = filePath + ".corrupt-" + Timestamp();
    struct stat st {};
    for (int n = 2; ::lstat(copy.c_str(), &st) == 0; ++n) {
      copy = filePath + ".corrupt-" + Timestamp() + "-" + std::to_string(n);
    }
    if (::rename(filePath.c_str(), copy.c_str()) != 0) {
      blocked = true;
      SetStatus(REG_CORRUPT,
                reason + "; " + Errno("it could not be moved aside") + "; settings are not saved");
      return Refresh::Failed;
    }
    std::string error;
    DurableFile::SyncDirectory(DurableFile::Directory(filePath), &error);
    lastCorruptCopy = copy;
    SetStatus(REG_CORRUPT, reason + "; the file as it was is kept as " + copy);
    keepStatus = true;
    DropHeld();
    seen = Seen::Absent;
    blocked = false;
    tree = std::move(kept);
    // What was kept goes back on disk so that every process sees the same settings.
    if (!tree.Empty() && !Persist(tree)) return Refresh::Failed;
    return Refresh::Ok;
  }

  // Writes the tree to the file; the caller holds the exclusive lock.
  bool Persist(const RegistryTree& next) {
    std::string error;
    if (!DurableFile::WriteAtomically(filePath, FormatRegistryExport(next.ToKeys()), &error)) {
      SetStatus(REG_ACCESS_DENIED, error);
      return false;
    }
    const int fd = ::open(filePath.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    if (fd >= 0 && ::fstat(fd, &st) == 0) {
      DropHeld();
      heldFd = fd;
      identity = IdentityOf(st);
      seen = Seen::Present;
    } else {
      if (fd >= 0) ::close(fd);
      seen = Seen::Nothing;  // forces a reload next time
    }
    if (status == REG_ACCESS_DENIED && !keepStatus) SetStatus(REG_OK, "");
    return true;
  }

  // Brings the tree up to date for a read: shared lock, exclusive only to move a bad file aside.
  void SyncForRead() {
    if (InMemory()) return;
    // Without a lock file (a folder that cannot be written) a good file is still read; every
    // write fails. (One with bad lines needs the lock to be moved aside, and stays unread.)
    if (!EnsureLockFile()) {
      Sync(false);
      return;
    }
    std::string error;
    {
      FileLock::Held held(lock.get(), false, &error);
      if (!held.ok()) {
        SetStatus(REG_ACCESS_DENIED, error);
        return;
      }
      if (Sync(false) != Refresh::NeedExclusive) return;
    }
    FileLock::Held held(lock.get(), true, &error);
    if (held.ok()) Sync(true);
  }

  // Applies `change` to a copy of the up-to-date tree and writes it; the tree is replaced only
  // when the file holds the change. change(tree, &changed) returns the call's result.
  template <typename Change>
  long Mutate(Change change) {
    std::lock_guard<std::mutex> guard(mutex);
    if (InMemory()) {
      bool changed = false;
      return change(tree, &changed);
    }
    if (!EnsureLockFile()) return REG_ACCESS_DENIED;
    std::string error;
    FileLock::Held held(lock.get(), true, &error);
    if (!held.ok()) {
      SetStatus(REG_ACCESS_DENIED, error);
      return REG_ACCESS_DENIED;
    }
    if (Sync(true) != Refresh::Ok || blocked) return REG_ACCESS_DENIED;
    RegistryTree next = tree;
    bool changed = false;
    const long result = change(next, &changed);
    if (result != REG_OK || !changed) return result;
    if (!Persist(next)) return REG_ACCESS_DENIED;
    tree = std::move(next);
    return REG_OK;
  }

  template <typename Query>
  auto Read(Query query) {
    std::lock_guard<std::mutex> guard(mutex);
    SyncForRead();
    return query(static_cast<const RegistryTree&>(tree));
  }

  const std::string filePath;
  std::unique_ptr<FileLock> lock;  // null for a store in memory
  mutable std::mutex mutex;
  RegistryTree tree;
  Seen seen = Seen::Nothing;
  FileIdentity identity;
  int heldFd = -1;
  bool blocked = false;     // a bad file that could not be moved aside: never write over it
  bool unreadable = false;  // something at the path could not be read (and is left alone)
  long status = REG_OK;
  std::string statusText;
  bool keepStatus =
      false;  // a file moved aside stays reported; a failed write clears once one works
  std::string lastCorruptCopy;
};

// A settings path that is a link is written through to its target, with the lock beside the
// target: renaming a new file over the link would leave the target stale and the link gone.
RegistryStore::RegistryStore(std::string filePath)
    : path_(std::move(filePath)),
      impl_(new Impl(path_.empty() ? path_ : DurableFile::FollowLinks(path_))) {
  std::lock_guard<std::mutex> guard(impl_->mutex);
  impl_->SyncForRead();
}

RegistryStore::~RegistryStore() {
  delete impl_;
}

std::string RegistryStore::DefaultPath() {
  const char* explicitPath = std::getenv("PORTOLAN_REGISTRY");
  if (explicitPath != nullptr && *explicitPath != '\0') return explicitPath;
  const char* config = std::getenv("XDG_CONFIG_HOME");
  // Relative values are to be ignored, as for every XDG variable.
  if (config != nullptr && config[0] == '/') return std::string(config) + "/portolan/registry.reg";
  const char* home = std::getenv("HOME");
  if (home != nullptr && *home != '\0') return std::string(home) + "/.config/portolan/registry.reg";
  return "";
}

long RegistryStore::CreateKey(const std::string& path, bool* existed) {
  std::vector<std::string> components;
  if (!RegistryPath::Split(path, &components)) return REG_INVALID;
  bool there = false;
  const long result = impl_->Mutate([&](RegistryTree& tree, bool* changed) {
    tree.Create(components, &there);
    *changed = !there;
    return REG_OK;
  });
  if (result == REG_OK && existed != nullptr) *existed = there;
  return result;
}

bool RegistryStore::KeyExists(const std::string& path) {
  std::vector<std::string> components;
  if (!RegistryPath::Split(path, &components)) return false;
  return impl_->Read([&](const RegistryTree& tree) { return tree.Find(components) != nullptr; });
}

long RegistryStore::SetDword(const std::string& path, const std::string& name, uint32_t value) {
  RegValue v;
  v.name = name;
  v.type = RegType::Dword;
  v.dword = value;
  return SetValue(path, v);
}

long RegistryStore::SetString(const std::string& path, const std::string& name,
                              const std::string& value) {
  RegValue v;
  v.name = name;
  v.type = RegType::String;
  v.text = value;
  return SetValue(path, v);
}

long RegistryStore::SetValue(const std::string& path, const RegValue& value) {
  std::vector<std::string> components;
  if (!RegistryPath::Split(path, &components)) return REG_INVALID;
  if (value.type != RegType::Dword && value.type != RegType::String) return REG_INVALID;
  return impl_->Mutate([&](RegistryTree& tree, bool* changed) {
    bool existed = false;
    RegistryTree::Node* key = tree.Create(components, &existed);
    *changed = RegistryTree::SetValue(key, value) || !existed;
    return REG_OK;
  });
}

std::optional<RegValue> RegistryStore::GetValue(const std::string& path, const std::string& name) {
  std::vector<std::string> components;
  if (!RegistryPath::Split(path, &components)) return std::nullopt;
  return impl_->Read([&](const RegistryTree& tree) -> std::optional<RegValue> {
    const RegistryTree::Node* key = tree.Find(components);
    if (key == nullptr) return std::nullopt;
    const RegValue* value = RegistryTree::FindValue(*key, name);
    if (value == nullptr) return std::nullopt;
    return *value;
  });
}

std::vector<RegValue> RegistryStore::EnumValues(const std::string& path) {
  std::vector<std::string> components;
  if (!RegistryPath::Split(path, &components)) return {};
  return impl_->Read([&](const RegistryTree& tree) {
    const RegistryTree::Node* key = tree.Find(components);
    return key == nullptr ? std::vector<RegValue>() : key->values;
  });
}

std::vector<std::string> RegistryStore::EnumSubkeys(const std::string& path) {
  std::vector<std::string> components;
  if (!RegistryPath::Split(path, &components)) return {};
  return impl_->Read([&](const RegistryTree& tree) {
    std::vector<std::string> names;
    const RegistryTree::Node* key = tree.Find(components);
    if (key != nullptr) {
      for (const RegistryTree::Node& child : key->children) names.push_back(child.name);
    }
    return names;
  });
}

long RegistryStore::DeleteValue(const std::string& path, const std::string& name) {
  std::vector<std::string> components;
  if (!RegistryPath::Split(path, &components)) return REG_INVALID;
  return impl_->Mutate([&](RegistryTree& tree, bool* changed) -> long {
    RegistryTree::Node* key = tree.Find(components);
    if (key == nullptr || !RegistryTree::DeleteValue(key, name)) return REG_NOT_FOUND;
    *changed = true;
    return REG_OK;
  });
}

long RegistryStore::DeleteTree(const std::string& path) {
  std::vector<std::string> components;
  if (!RegistryPath::Split(path, &components)) return REG_INVALID;
  return impl_->Mutate([&](RegistryTree& tree, bool* changed) -> long {
    if (!tree.Delete(components)) return REG_NOT_FOUND;
    *changed = true;
    return REG_OK;
  });
}

std::string RegistryStore::ExportText() {
  return impl_->Read([](const RegistryTree& tree) { return FormatRegistryExport(tree.ToKeys()); });
}

long RegistryStore::Status() const {
  std::lock_guard<std::mutex> guard(impl_->mutex);
  return impl_->status;
}

std::string RegistryStore::StatusText() const {
  std::lock_guard<std::mutex> guard(impl_->mutex);
  return impl_->statusText;
}

bool RegistryStore::Unreadable() const {
  std::lock_guard<std::mutex> guard(impl_->mutex);
  return impl_->unreadable;
}

std::string RegistryStore::LastCorruptCopy() const {
  std::lock_guard<std::mutex> guard(impl_->mutex);
  return impl_->lastCorruptCopy;
}

}  // namespace platform
