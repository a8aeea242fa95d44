/* Generates the map for a seed in memory, as a game server would, and saves
 * it: generate_map SEED FILE. */
#include <qormap/qormap.h>

#include <stdio.h>
#include <stdlib.h>

int main(int argc, char** argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: %s SEED FILE\n", argv[0]);
        return 2;
    }
    /* The struct's size in this program's build tells the library which
     * fields it has; qormap_default_options(seed) does the same. */
    qormap_options options;
    int status = qormap_init_options(&options, sizeof options, (int32_t)strtol(argv[1], NULL, 10));
    unsigned char* map = NULL;
    size_t size = 0;
    if (status == QORMAP_OK) {
        status = qormap_generate(&options, &map, &size);
    }
    if (status != QORMAP_OK) {
        fprintf(stderr, "qormap: %s\n", qormap_strerror(status));
        return 1;
    }
    FILE* file = fopen(argv[2], "wb");
    const int saved = file != NULL && fwrite(map, 1, size, file) == size;
    if (file != NULL && fclose(file) != 0) {
        perror(argv[2]);
        qormap_free(map);
        return 1;
    }
    qormap_free(map);
    if (!saved) {
        perror(argv[2]);
        return 1;
    }
    printf("qormap %s: %zu bytes to %s\n", qormap_version(), size, argv[2]);
    return 0;
}
