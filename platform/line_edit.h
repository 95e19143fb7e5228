#pragma once
// Edits that hold a formula or a value take text of any length: a line edit's default limit
// (32 767 characters) would silently cut a pasted or stored formula, and the program would
// then show and log a different text from the one it computed.
class QLineEdit;
class QString;
class QWidget;

void liftTextLimit(QLineEdit* edit);

// The edit holds one line: a TAB, CR or LF that comes in (typed, pasted, dropped or set)
// becomes a blank at once. A QLineEdit only paints a line break as a blank and keeps it, so
// the text it calculated or stored differed from the one it showed, and a file written a
// line per entry got a line more. The text it holds already is mended too. An edit with a
// validator of its own (a spin box's) is left as it is.
void keepSingleLine(QLineEdit* edit);
// keepSingleLine for every line edit inside the widget (the fields of a window).
void keepFieldsSingleLine(QWidget* widget);

// Puts a text the program made (a result, a value, a formula) into an edit so that it shows
// from its start. A line edit scrolls to its caret, which setText puts at the end: a text too
// long for the field would show its last digits only, and "1.000.024.302.460.690,10 €"
// would read as "024.302.460.690,10 €". The text it holds already is left as it is.
void setTextFromStart(QLineEdit* edit, const QString& text);

// The same for the result of a calculation: the field shows the result's start also when it
// held that text already and the user has since moved its caret to the end.
void setResultFromStart(QLineEdit* edit, const QString& text);

// The width the edit needs to show the text whole, not scrolled: the text's advance, the
// room the edit keeps beside it (the caret's pixel, the overhang of the first and last
// glyph), its inner margins and its frame, measured as the edit itself measures when it
// paints.
int wholeTextWidth(const QLineEdit* edit, const QString& text);
