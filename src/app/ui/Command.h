#pragma once

#include <QString>

#include <functional>

// Runs one user command. An error it raises is shown in the error box after
// the wait cursor and the progress output were reset, so a failed load or
// save never leaves the main window disabled. Every handler that Qt calls
// runs through here: no exception crosses the event loop.
void RunCommand(const std::function<void()>& command);

// What RunCommand does after an error, before the message is shown.
void ResetAfterError();
