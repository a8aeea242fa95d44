// What a program's main does with an exception nothing else caught.
#pragma once

// Calls run(argumentCount, arguments) and returns its status; an exception
// that escapes it becomes one line on standard error, "NAME: out of memory"
// or "NAME: WHAT", and status 1, instead of ending the process abnormally.
int runToTheEnd(const char* name, int (*run)(int, char**), int argumentCount, char** arguments);
