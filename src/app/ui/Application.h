#pragma once

// The program: start-up, the main window and the message loop.
int RunLumarbo(int argc, char** argv);
