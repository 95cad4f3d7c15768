#pragma once

#include <functional>

// Ends the program at once (after a failed fill, or a settings window whose closing could not
// connect). Tests replace the ending so that they go on; then EndProgram returns.
void EndProgram(int status);
void setEndProgramHandler(std::function<void(int)> handler);
