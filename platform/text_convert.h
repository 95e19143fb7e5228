#pragma once
// Screen text (QString, pi sign "π") <-> core text (Latin-1 bytes, pi sign 0xB6).
// Each UTF-16 unit becomes exactly one byte, so positions (carets) stay the same.
#include <QChar>
#include <QString>
#include <string>

// "π" (U+03C0) and "¶" (U+00B6, what the 0xB6 byte of an old file reads as) become 0xB6;
// other Latin-1 characters become their byte; everything else becomes '?'.
std::string toCore(const QString& text);
char toCoreChar(QChar c);
// Latin-1 bytes to text, with 0xB6 shown as "π".
QString fromCore(const std::string& text);
QChar fromCoreChar(char c);
