#pragma once

class CGridCtrl;
class QPrinter;
class QWidget;

// Runs a print job of `grid` on `printer`: every page of the grid's printing,
// in order. False when the printer cannot be opened.
bool PrintGridPages(CGridCtrl& grid, QPrinter& printer);

// Lets the program's print dialog service set up `printer`, then prints;
// false when the dialog was cancelled or printing failed.
bool PrintGrid(CGridCtrl& grid, QPrinter& printer, QWidget* parent);
