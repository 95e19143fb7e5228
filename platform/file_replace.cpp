#include "platform/file_replace.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <cerrno>
#include <cstdio>
#include <cstring>

ReplaceResult replaceFileVia(const QString& name, const std::function<void(const QString&)>& write) {
  ReplaceResult result;
  const QFileInfo target(name);
  // A name without extension gets a temporary name without one, too.
  QString pattern = target.absolutePath() + QLatin1Char('/') + target.completeBaseName();
  if (target.suffix().isEmpty())
    pattern += QStringLiteral("~XXXXXX");
  else
    pattern += QStringLiteral(".XXXXXX.") + target.suffix();
  QTemporaryFile temp(pattern);
  temp.setAutoRemove(true);
  if (!temp.open()) {
    result = {false, true, temp.errorString()};
    return result;
  }
  // Not the owner-only mode temporary files are made with.
  const QFileDevice::Permissions mode =
      target.exists() ? QFile::permissions(name)
                      : (QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser |
                         QFileDevice::WriteUser | QFileDevice::ReadGroup | QFileDevice::ReadOther);
  temp.setPermissions(mode);
  temp.close();
  write(temp.fileName());
  // rename() replaces an existing file in one step, so a reader never sees half a file.
  const QByteArray from = QFile::encodeName(temp.fileName());
  const QByteArray to = QFile::encodeName(target.absoluteFilePath());
  if (std::rename(from.constData(), to.constData()) != 0) {
    result = {false, false, QString::fromLocal8Bit(std::strerror(errno))};
    return result;
  }
  temp.setAutoRemove(false);
  return result;
}
