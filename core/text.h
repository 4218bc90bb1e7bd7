#pragma once

#include <initializer_list>

#include "memory.h"

// Texts are NUL-terminated byte strings in the ANSI code page; a missing text
// (nullptr) counts as the empty text everywhere.

// Same length, same bytes. No case folding, no trimming, no treatment of
// two-byte characters: "A" != "a", "a " != "a", "a\r" != "a", nullptr == "".
bool textEquals(const char* left, const char* right);

// A new text holding the bytes of `parts` one after another, NUL-terminated.
// Always a fresh allocation, even when empty; the caller owns it.
OwnedBytes joinTexts(std::initializer_list<const char*> parts);
