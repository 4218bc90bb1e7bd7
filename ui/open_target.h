#pragma once

// Opens `address` with the system's handler for web addresses; true when a
// program the system started was handed it.
bool openTarget(const char* address, int showCommand);
