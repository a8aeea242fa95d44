#include "app/map_option.h"

#include "app/decimal.h"

bool readMapOption(char letter, const char* value, qormap_options& map) {
    switch (letter) {
    case 'd':
        map.debug = 1;
        return true;
    case 's':
        map.seed = parseDecimal(value);
        return true;
    case 'b':
        map.bumpiness = parseDecimal(value);
        return true;
    case 'p':
        map.pillars = parseDecimal(value);
        return true;
    case 'c':
        map.connectors = parseDecimal(value);
        return true;
    default:
        return false;
    }
}
