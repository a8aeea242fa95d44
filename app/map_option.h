// The generator's options as the command line spells them, read one way for
// every program that passes them on.
#pragma once

#include "qormap/qormap.h"

// Sets what `letter` names (s, b, p or c from the decimal text `value`,
// wrapped modulo 2^32 and left for the library to clamp; d as a flag) and
// returns true; returns false, changing nothing, for any other letter.
bool readMapOption(char letter, const char* value, qormap_options& map);
