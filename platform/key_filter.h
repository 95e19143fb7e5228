#pragma once
// Runs a core key filter on the characters typed into a line edit.
#include <QLineEdit>
#include <functional>
#include <string>

// Gets the edit's text as core text, the typed character as core byte and the caret
// (0-based, start of the selection when there is one); returns the character to insert
// (possibly translated) or '\0' to swallow the key.
using KeyFilterFn = std::function<char(const std::string& coreText, char key, int caret)>;

// Typed characters only: the returned character is inserted instead of the typed one;
// navigation keys, Backspace/Delete, Return/Enter, Tab, Escape and Ctrl/Alt shortcuts pass
// untouched. A typed character outside Latin-1 (other than "π") is swallowed. Installing
// again replaces the filter; an empty function removes it.
void installKeyFilter(QLineEdit* edit, KeyFilterFn filter);
