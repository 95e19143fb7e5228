#pragma once
// Creates every window of the program once, in the fixed order in which the later windows'
// creation hooks rely on the earlier ones (the main window loads the settings first). Both
// main() and the window tests use it.

// Constructs each window, assigns its global and runs its FormCreate hook before the next
// window is made; afterwards puts back what a later window's creation overwrote of the
// loaded settings. The main window is not shown.
void FensterErzeugen();
// Deletes the windows in reverse order and clears their globals.
void FensterZerstoeren();
