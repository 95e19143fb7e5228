#pragma once
// Opens a file with its associated program or a URL in the browser.
#include <QString>
#include <functional>

// A text with a scheme ("http:", "mailto:", "file:") is opened as URL, anything else as a
// local file. Returns false when nothing could be started; *reason then says why, in German
// (the system gives no more than that it found no program for it).
bool shellOpen(const QString& fileOrUrl, QString* reason = nullptr);
// Test hook: while set, shellOpen() only calls it. An empty function restores the default.
void setShellOpenHook(std::function<bool(const QString&)> hook);
