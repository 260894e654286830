#pragma once

#include <QString>

// The folder for per-user data files: the XDG data folder plus the program
// key without "Software\" ($XDG_DATA_HOME/Quarn/Lumarbo/), ending with a
// slash and created when missing; the program's folder when that fails.
QString GetDataFolder();

// The data folder + fileName. A file of that name that still lies in the
// program's folder (older installations kept it there) is moved into the
// data folder; the old one is deleted only after the copy was verified.
// Failures of the move are ignored.
QString GetDataFile(const QString& fileName);

// The same with explicit folders, for tests.
QString GetDataFileIn(const QString& dataFolder, const QString& programFolder, const QString& fileName);
