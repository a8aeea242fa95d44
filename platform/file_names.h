// Names within paths.
#pragma once

// The part of `path` after its last folder separator ('/', and on Windows
// '\' too): a program's name without the folder it was started from.
const char* withoutFolder(const char* path);
