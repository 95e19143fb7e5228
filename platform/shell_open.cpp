#include "platform/shell_open.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

namespace {
std::function<bool(const QString&)>& hook() {
  static std::function<bool(const QString&)> h;
  return h;
}

// "C:\..." is a drive letter, not a URL scheme.
bool looksLikeUrl(const QString& text) {
  const int colon = text.indexOf(QLatin1Char(':'));
  if (colon < 2) return false;
  for (int i = 0; i < colon; ++i) {
    const QChar c = text.at(i);
    const bool ok = (c.unicode() < 0x80 && c.isLetterOrNumber()) || c == QLatin1Char('+') ||
                    c == QLatin1Char('-') || c == QLatin1Char('.');
    if (!ok) return false;
  }
  return true;
}
}  // namespace

bool shellOpen(const QString& fileOrUrl) {
  if (hook()) return hook()(fileOrUrl);
  if (fileOrUrl.isEmpty()) return false;
  const QUrl url = looksLikeUrl(fileOrUrl)
                       ? QUrl(fileOrUrl, QUrl::TolerantMode)
                       : QUrl::fromLocalFile(QFileInfo(fileOrUrl).absoluteFilePath());
  return url.isValid() && QDesktopServices::openUrl(url);
}

void setShellOpenHook(std::function<bool(const QString&)> h) { hook() = std::move(h); }
