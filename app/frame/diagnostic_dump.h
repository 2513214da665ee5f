#pragma once

// The hidden diagnostic command of the main window: a table of log-gamma
// values by the program's three routines, and values of a multivariate
// criterion on the standard error stream.

#include <QString>
#include <ostream>
#include <string>

// Writes `lines` lines "x g1 g2 g3" (20 significant digits) for x in
// (0, 13413] drawn by a fixed generator, the three log-gamma values of x.
// The file is replaced only once it is complete. False, with the reason in
// *error, when it could not be written.
bool WriteLogGammaTable(const QString& path, int lines, std::string* error);

// df1, df2, f² and the noncentrality of Wilks U (Muller-Peterson) for
// p = 3, q = 2, 2 groups, N = 16 from the criterion value 0.359, then the
// same from the effect-size side.
void WriteCriterionDiagnostics(std::ostream& out);

// Where the dump's file dialog opens: the user's data folder of the program.
QString DiagnosticDumpFolder();
