// Whole-file writes that survive a crash at any moment: the old contents or the new, never a mix.
#pragma once

#include <string>

#include "platform/FileOps.h"

namespace platform {

class DurableFile {
 public:
  // Writes `text` to "<path>.tmp" in the same folder (mode 0600), syncs it, renames it over `path`
  // and syncs the folder, so that the rename itself is on disk when this returns. Callers hold a
  // lock that keeps other writers of `path` out, which lets the temporary name be fixed: a
  // temporary left by a killed writer is simply overwritten by the next one.
  // `ops` makes the calls that write, sync and rename (tests watch their order).
  static bool WriteAtomically(const std::string& path, const std::string& text, std::string* error,
                              FileOps& ops = SystemFileOps());
  // Creates the folder and its missing parents, mode 0700.
  static bool MakeDirectories(const std::string& dir, std::string* error);
  // The file a path names once symbolic links at its last component are followed (a relative
  // link from the link's own folder), so that a write replaces the target, not the link. The path
  // itself when it is no link, or when the links go round (more than 40).
  static std::string FollowLinks(const std::string& path);
  // The folder part of a path ("." when it has none).
  static std::string Directory(const std::string& path);
  static bool SyncDirectory(const std::string& dir, std::string* error,
                            FileOps& ops = SystemFileOps());
};

}  // namespace platform
