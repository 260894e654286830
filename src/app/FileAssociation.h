#pragma once

#include <QString>

// Registers the project file type ".tpb" for the current user the way the
// desktop expects it: a MIME type "application/x-lumarbo-project" matching
// "*.tpb" and a desktop entry that opens such a file with the program
// (the file as its only argument). Returns true when either file changed;
// the caller then tells the desktop to refresh its databases. Failures are
// ignored (returns false).
bool RegisterFileAssociation(const QString& programPath, const QString& dataHome = QString());

// Asks the desktop to re-read MIME types and desktop entries (best effort).
void NotifyAssociationsChanged(const QString& dataHome = QString());
