#pragma once

#include <cstddef>

// The folder part of a program path: everything before its last backslash,
// found stepping over two-byte characters (a second byte may be 0x5C). A
// drive root keeps its backslash ("C:\" rather than "C:", which names the
// drive's current folder). Returns the length to keep.
std::size_t programFolderLength(const char* path, bool (*isLeadByte)(unsigned char));
