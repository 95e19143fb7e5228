#pragma once
// What the conversion window and the category editor are both built from: a borderless
// scroll box filling the window with a column inside, and the bold grid below the column's
// top panel.
#include <QStringList>
#include <initializer_list>

class QScrollArea;
class QVBoxLayout;
class QWidget;
class StringGrid;

// Fills the window with ScrollBox1; returns the widget inside it, whose column is spalte.
QWidget* RollfeldErzeugen(QWidget* fenster, QScrollArea*& ScrollBox1, QVBoxLayout*& spalte);

// A grid of the given headings (column 0 " Nr" included) and column widths, with one row below
// the headings. The editor's grid edits its cells; the conversion window's selects whole
// rows. Both draw the current row themselves. The columns keep their widths whatever the
// window's width.
StringGrid* EinheitenGitter(QWidget* parent, const char* name, const QStringList& koepfe,
                            std::initializer_list<int> breiten, bool editieren);
