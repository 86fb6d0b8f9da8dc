// Printing the macro list: the print dialog, then the text job on the chosen printer or into a
// PDF file.
#pragma once

#include <QPrinter>
#include <QString>
#include <QWidget>
#include <vector>

#include "macros/app/print_job.h"

namespace keyloom {

// Shows the dialog and prints; errors are shown in the standard error box. The printer is the
// caller's, kept from one print to the next, so the dialog offers what was chosen the last time.
void printMacroList(QWidget* parent, QPrinter& printer, const std::vector<PrintRow>& rows);

// The job itself on a printer that is set up already; false when the printer refused it.
bool printLines(QPrinter& printer, const std::vector<std::string>& lines);

}  // namespace keyloom
