#pragma once
// Files that must never be left half written (pictures): the writer writes into a file that
// has no name yet, in the target's folder, and only a file written to its end takes the
// target's name, replacing an existing one in one step. A failure, or a process killed
// while it writes, leaves the old file as it was and nothing beside it.
#include <QString>
#include <functional>

struct ReplaceResult {
  bool ok = true;
  bool temporaryFailed = false;  // the temporary file could not even be made
  QString reason;                // the system's reason when !ok
};

// write(descriptor) writes the whole file into the descriptor, an empty file open for reading
// and writing at position 0, which stays open (write must not close it). The writers pick
// the format by the target name's extension, not by the temporary file. Where the folder's
// file system cannot make a file without a name, a hidden temporary file ".<name>.XXXXXX"
// stands in (a kill then leaves that one). Exceptions of write pass on after the temporary
// file is gone. The new file gets the old file's permissions, or those of a new file.
ReplaceResult replaceFileVia(const QString& name, const std::function<void(int descriptor)>& write);

// For tests: the unnamed file is not tried, as on a file system without it.
inline bool replaceFileWithoutUnnamedFile = false;
