#include "app/last_resort.h"

#include <cstdio>
#include <exception>
#include <new>

int runToTheEnd(const char* name, int (*run)(int, char**), int argumentCount, char** arguments) {
    try {
        return run(argumentCount, arguments);
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "%s: out of memory\n", name);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s: %s\n", name, error.what());
    }
    return 1;
}
