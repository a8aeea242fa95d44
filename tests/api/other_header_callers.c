/* Programs built against other versions of qormap.h, each with its own copy of
 * the options: an older, shorter struct and a newer, longer one. Each object
 * is allocated at exactly its size, so that AddressSanitizer reports any read
 * or write of the library past its end. */
#include <stdint.h>
#include <stdlib.h>

#include "tests/api/other_header_callers.h"

/* The library's calls as any version's header declares them. */
int qormap_init_options(void* options, size_t size, int32_t seed);
int qormap_generate(const void* options, unsigned char** data, size_t* size);

typedef struct {
    uint32_t size;
    int32_t seed;
    int32_t bumpiness;
    int32_t pillars;
} older_options;

typedef struct {
    uint32_t size;
    int32_t seed;
    int32_t bumpiness;
    int32_t pillars;
    int32_t connectors;
    int32_t debug;
    int32_t later_field;
} newer_options;

int older_header_caller(int32_t seed, int32_t pillars, unsigned char** data, size_t* size,
                        int* generated) {
    older_options* options = malloc(sizeof *options);
    const int status = qormap_init_options(options, sizeof *options, seed);
    options->pillars = pillars;
    *generated = qormap_generate(options, data, size);
    free(options);
    return status;
}

int newer_header_caller(int32_t seed, int32_t pillars, unsigned char** data, size_t* size,
                        int* generated) {
    newer_options* options = malloc(sizeof *options);
    const int status = qormap_init_options(options, sizeof *options, seed);
    options->pillars = pillars;
    *generated = qormap_generate(options, data, size);
    free(options);
    return status;
}
