#pragma once

class QWidget;

// Installs the colour question of fills: a non-native colour dialog owned
// by the main window, its custom colours filled from and handed back to the
// stored lines ("ColorA=BBGGRR" ...).
void InstallColorDialogAsker(QWidget* owner);
