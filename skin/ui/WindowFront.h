#pragma once

class QWidget;

// Keeps track of the program's main window so that every message box can bring it forward
// first and be seen even while another program is in front. The main window registers itself
// and unregisters (SetMainWindow(nullptr)) or simply dies; GUI thread.

void SetMainWindow(QWidget* window);
// The registered main window, or nullptr.
QWidget* MainWindow();

// Restores the main window if it is minimised, raises and activates it, and raises a modal
// dialog it is running (the convert dialog, say) above it. Does nothing without a main window.
void BringMainWindowToFront();

// The window a new message box should belong to: the modal dialog in front, else the main
// window, else none.
QWidget* BoxOwner();
