#pragma once
// Edits that hold a formula or a value take text of any length: a line edit's default limit
// (32 767 characters) would silently cut a pasted or stored formula, and the program would
// then show and log a different text from the one it computed.
class QLineEdit;

void liftTextLimit(QLineEdit* edit);
