#pragma once
// Text files of the program: read as UTF-8 when the bytes are valid UTF-8, else as
// Windows-1252; written as UTF-8 with LF, atomically (temp file + rename), so a failed
// write leaves the old file as it was. On failure *error gets the system's error text.
#include <QByteArray>
#include <QString>
#include <QStringList>

// Lines of the file; CR LF or LF (a lone CR too) end a line; a last line without a line end
// counts, an empty file has no lines. A UTF-8 byte order mark is dropped.
bool readTextLines(const QString& path, QStringList& lines, QString* error = nullptr);
// Writes every line followed by LF.
bool writeTextLines(const QString& path, const QStringList& lines, QString* error = nullptr);
// Writes text that is already UTF-8 with LF line ends, as it stands (for large files built
// as bytes).
bool writeUtf8Text(const QString& path, const QByteArray& utf8, QString* error = nullptr);
// Appends one line (with LF); adds a line break first if the file does not end in one.
// A missing file is created.
bool appendTextLine(const QString& path, const QString& line, QString* error = nullptr);

// The decoding rule of readTextLines for bytes from elsewhere.
QString decodeText(const QByteArray& bytes);
// Windows-1252 bytes to text (undefined bytes 0x81, 0x8D, 0x8F, 0x90, 0x9D map to U+0081...).
QString decodeWindows1252(const QByteArray& bytes);
