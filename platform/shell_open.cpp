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

bool shellOpen(const QString& fileOrUrl, QString* reason) {
  auto fail = [reason](const QString& text) {
    if (reason) *reason = text;
    return false;
  };
  const QString keinProgramm =
      QStringLiteral("Das System hat kein Programm gefunden, das diese Datei öffnet.");
  if (hook()) return hook()(fileOrUrl) || fail(keinProgramm);
  if (fileOrUrl.isEmpty()) return fail(QStringLiteral("Kein Dateiname angegeben."));
  const QUrl url = looksLikeUrl(fileOrUrl)
                       ? QUrl(fileOrUrl, QUrl::TolerantMode)
                       : QUrl::fromLocalFile(QFileInfo(fileOrUrl).absoluteFilePath());
  if (!url.isValid()) return fail(QStringLiteral("Die Adresse ist ungültig."));
  return QDesktopServices::openUrl(url) || fail(keinProgramm);
}

void setShellOpenHook(std::function<bool(const QString&)> h) { hook() = std::move(h); }
