// The one way the engine publishes a new file: made under a scratch name of this process beside
// its target (so the rename stays in one folder), created exclusively, written through
// jet::File, synced, renamed to the target without replacing anything there, and on POSIX the
// folder synced after the rename so that the new name survives a power cut (on Windows the
// rename itself writes through). A process killed half-way leaves only a scratch file, never a
// half-made target.
//
// While a NewFile lives, its process holds the scratch file: on POSIX with a lock on a byte of
// its own (not the writers' lock byte, so a jet::Database may open and lock the file meanwhile),
// on Windows with an open handle. Each create() first removes the target's scratch files that
// no process holds, so those of killed runs do not accumulate. An empty one younger than a
// minute is left alone: its maker may be between creating and locking it.
#pragma once

#include <filesystem>

#include "jet/port/file.h"

namespace jet {

class NewFile {
 public:
  // Names the scratch file; create() makes it.
  explicit NewFile(std::filesystem::path target);
  // Removes the scratch file unless it was published.
  ~NewFile();
  NewFile(const NewFile&) = delete;
  NewFile& operator=(const NewFile&) = delete;

  const std::filesystem::path& target() const { return target_; }
  const std::filesystem::path& scratchPath() const { return scratch_; }
  bool created() const { return file_.isOpen(); }

  // Removes abandoned scratch files of the target, then creates this one, exclusively, and
  // returns it open for writing. Throws jet::FileError naming the scratch path.
  File& create();
  // Lets other opens of the scratch file in (a jet::Database over it, which denies other
  // writers) while the hold stays; the File from create() is not to be written after this.
  void shareWithOthers();
  // Syncs the scratch file, with all that any opener wrote into it, renames it to the target
  // unless something is there, and syncs the folder. False, with the scratch file removed, when
  // the target exists. Throws jet::FileError when the sync or the rename fails (the scratch file
  // is removed) or when the folder cannot be synced (the target is in place, its name perhaps
  // not yet on the disk).
  bool publish();
  // Removes the scratch file, if made; create() may make it again.
  void discard() noexcept;

  // Removes the scratch files of `target` that no process holds (what create() does first), for
  // a caller that finds the target already made: a run killed beside one that published leaves
  // its scratch file, and no later run creates again. Never fails: what cannot be removed stays.
  static void removeAbandoned(const std::filesystem::path& target) noexcept;

  // True when `name` is the file name of a scratch file of a target named `targetName`.
  static bool isScratchName(const std::filesystem::path& name, const std::filesystem::path& targetName);

 private:
  // The platform's part (new_file_posix.cc, new_file_win32.cc).
  void hold();              // after the exclusive create
  void syncEverything();    // what every opener wrote
  void syncFolder() const;  // after the rename
  // Removes `path` when no process holds it; false when one does or it cannot be told.
  static bool removeIfUnheld(const std::filesystem::path& path);
  static unsigned long processId();

  std::filesystem::path target_;
  std::filesystem::path scratch_;
  File file_;
  bool published_ = false;
};

}  // namespace jet
