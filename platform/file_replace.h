#pragma once
// Files that must never be left half written (pictures): written under a temporary name in
// the same folder, with the same extension (writers are chosen by it), and renamed onto the
// real name only when everything was written. A failure leaves an existing file as it was.
#include <QString>
#include <functional>

struct ReplaceResult {
  bool ok = true;
  bool temporaryFailed = false;  // the temporary file could not even be made
  QString reason;                // the system's reason when !ok
};

// write(temporaryName) writes the whole file; its exceptions pass on after the temporary
// file is gone. The new file gets the old file's permissions, or those of a new file.
ReplaceResult replaceFileVia(const QString& name, const std::function<void(const QString&)>& write);
