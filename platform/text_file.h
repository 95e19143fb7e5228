#pragma once
// Text files of the program: read as UTF-8 when the bytes are valid UTF-8, else as
// Windows-1252; written as UTF-8 with LF, atomically (temp file + rename), so a failed
// write leaves the old file as it was. On failure *error gets the system's error text.
#include <QByteArray>
#include <QString>
#include <QStringList>

// Lines of the file; CR LF or LF (a lone CR too) end a line; a last line without a line end
// counts, an empty file has no lines. A UTF-8 byte order mark is dropped. The pi sign of an
// old file ("¶", the byte B6 of Windows-1252) comes back as "π" (piSignFromFile).
bool readTextLines(const QString& path, QStringList& lines, QString* error = nullptr);
// Writes every line followed by LF.
bool writeTextLines(const QString& path, const QStringList& lines, QString* error = nullptr);
// Writes text that is already UTF-8 with LF line ends, as it stands (for large files built
// as bytes).
bool writeUtf8Text(const QString& path, const QByteArray& utf8, QString* error = nullptr);
// Appends one line with LF in one write to the file opened for appending; the bytes already
// in the file are never rewritten. The line is encoded like the file: UTF-8 when the file
// is empty or valid UTF-8, else Windows-1252 (with "π" as the byte B6). A file that does not
// end in a line break gets one first; a missing file is created. A failed write takes its
// own bytes out again, so the file is as it was.
bool appendTextLine(const QString& path, const QString& line, QString* error = nullptr);
// The same, but nothing is written when the file's last line (as readTextLines gives it)
// equals line already; *appended tells whether the line was written.
bool appendTextLineUnlessLast(const QString& path, const QString& line, bool* appended,
                              QString* error = nullptr);

// The message of every writer whose file could not be written: the file and the system's
// reason.
QString saveFailedText(const QString& path, const QString& reason);
// The message of a reader whose file could not be opened or read: "Datei <path> kann nicht
// gelesen werden." and on the next line the system's or the library's text as it is.
QString readFailedText(const QString& path, const QString& reason);

// For tests: how often an append had to read a whole file to learn its encoding and last
// line (once per file, and again after anyone else changed it).
int appendFileScans();

// Old files hold the pi sign as the byte B6, which reads as the pilcrow "¶"; the program's
// files never mean a pilcrow. The one mapping of every reader of the program's text files.
void piSignFromFile(QString& text);
// The decoding rule of readTextLines for bytes from elsewhere.
QString decodeText(const QByteArray& bytes);
// Windows-1252 bytes to text (undefined bytes 0x81, 0x8D, 0x8F, 0x90, 0x9D map to U+0081...).
QString decodeWindows1252(const QByteArray& bytes);
