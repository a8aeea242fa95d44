/* A program built against another version of qormap.h, with its own copy of
 * the options: an older, shorter struct or a newer, longer one, allocated at
 * exactly its size so that AddressSanitizer reports any access of the library
 * past it. It sets its options up, sets `pillars` and generates; it returns
 * the set-up's status, *generated the generation's. */
#include <stdint.h>
#include <stdlib.h>

/* The library's calls as any version's header declares them. */
int qormap_init_options(void* options, size_t size, int32_t seed);
int qormap_generate(const void* options, unsigned char** data, size_t* size);

typedef struct {
    uint32_t size;
    int32_t seed, bumpiness, pillars;
} older_options;

typedef struct {
    uint32_t size;
    int32_t seed, bumpiness, pillars, connectors, debug, later_field;
} newer_options;

int other_header_caller(int newer, int32_t seed, int32_t pillars, unsigned char** data,
                        size_t* size, int* generated) {
    const size_t layout = newer ? sizeof(newer_options) : sizeof(older_options);
    older_options* options = malloc(layout); /* both begin with these fields */
    const int status = qormap_init_options(options, layout, seed);
    options->pillars = pillars;
    *generated = qormap_generate(options, data, size);
    free(options);
    return status;
}
