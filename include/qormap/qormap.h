/* qormap: maps for a voxel game, generated in memory from a seed.
 *
 * The same options give the same bytes on every machine: the map file that
 * `qormap -s SEED [-b N -p N -c N -d] -o FILE` writes. Plain C, so that any
 * language's foreign-function interface can bind it.
 *
 * Threads: every function may be called from any thread at any time. Calls
 * that generate a map share one world and run one at a time (a second caller
 * waits). A map never depends on what was generated before it in the process.
 * A process may fork while another thread generates: the fork waits for that
 * map, and the child can generate at once. The library prints nothing and
 * installs no signal handlers; between calls it keeps neither threads nor the
 * world's memory.
 *
 * Versions: qormap/version.h (included here) gives the version this header
 * belongs to; qormap_version() gives the library's. */
#ifndef QORMAP_QORMAP_H
#define QORMAP_QORMAP_H

#include <stddef.h>
#include <stdint.h>

#include "qormap/version.h"

#if defined(_WIN32) && defined(QORMAP_SHARED)
#ifdef QORMAP_BUILDING
#define QORMAP_API __declspec(dllexport)
#else
#define QORMAP_API __declspec(dllimport)
#endif
#elif defined(__GNUC__)
#define QORMAP_API __attribute__((visibility("default")))
#else
#define QORMAP_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Status codes: 0 is success, every failure is negative. */
#define QORMAP_OK 0
/* A null pointer, an empty path, or options whose size this library does not
 * read (not set up by qormap_init_options, or a newer header's). */
#define QORMAP_ERROR_ARGUMENT (-1)
/* Memory ran out; nothing was returned or written. */
#define QORMAP_ERROR_MEMORY (-2)
/* The map file could not be created; errno says why. */
#define QORMAP_ERROR_OPEN (-3)
/* Writing or closing the map file failed; errno says why. Any earlier file
 * at the path is left as it was. */
#define QORMAP_ERROR_WRITE (-4)
/* The system refused a lock or thread the generation needs; nothing was
 * returned or written. qormap_write leaves the system's reason in errno. */
#define QORMAP_ERROR_THREAD (-5)

/* The options' defaults and ranges, those of the command's -b, -p and -c:
 * the one place every binding and the page take them from. */
#define QORMAP_DEFAULT_BUMPINESS 50
#define QORMAP_DEFAULT_PILLARS 400
#define QORMAP_DEFAULT_CONNECTORS 300
#define QORMAP_MAX_BUMPINESS 100 /* bumpiness 0..100 */
#define QORMAP_MAX_COUNT 65536   /* pillars and connectors 0..65536 */

/* Always start from qormap_default_options (or qormap_init_options) and then
 * change fields: `size`, the struct's size in the caller's build, tells the
 * library which fields the caller has. Later versions add fields only at the
 * end and read an older program's shorter struct with the fields it lacks at
 * their defaults; the library never reads or writes past `size`. The struct
 * is never passed by value, so its size may grow without breaking programs. */
typedef struct qormap_options {
    uint32_t size;      /* sizeof(qormap_options) as the caller was built */
    int32_t seed;       /* any value; the map for -s SEED */
    int32_t bumpiness;  /* 0..100, like -b; out of range is clamped as -b clamps */
    int32_t pillars;    /* 0..65536, like -p; out of range is clamped */
    int32_t connectors; /* 0..65536, like -c; out of range is clamped */
    int32_t debug;      /* non-zero: outline the start regions, like -d */
} qormap_options;

/* Fills the `size` bytes at `options` with the options of a run with only
 * -s SEED (bumpiness 50, 400 pillars, 300 connectors, no debug outlines) and
 * sets options->size to `size`. A size this library cannot read (larger than
 * its own struct, e.g. a newer header's, or too short to hold `seed`) is
 * QORMAP_ERROR_ARGUMENT: then only `size` is written, as 0 when it fits, so
 * that every call refuses these options too. */
QORMAP_API int qormap_init_options(qormap_options* options, size_t size, int32_t seed);

#if defined(__cplusplus) || (defined(__STDC_VERSION__) && __STDC_VERSION__ >= 199901L)
#define QORMAP_INLINE static inline
#else
#define QORMAP_INLINE static __inline
#endif

/* qormap_init_options for this header's struct, compiled into the caller so
 * that the caller's sizeof reaches the library. */
QORMAP_INLINE qormap_options qormap_default_options(int32_t seed) {
    qormap_options options;
    qormap_init_options(&options, sizeof options, seed);
    return options;
}

/* Generates the map into a new buffer: on success *data holds *size bytes,
 * which the caller releases with qormap_free. On failure *data is null,
 * *size is 0 and the status says why (QORMAP_ERROR_ARGUMENT, _MEMORY, _THREAD). */
QORMAP_API int qormap_generate(const qormap_options* options, unsigned char** data, size_t* size);

/* Releases a buffer from qormap_generate; null is ignored. */
QORMAP_API void qormap_free(unsigned char* data);

/* Generates the map and writes it to `path` (UTF-8) whole or not at all: a
 * regular file is written beside the target and moved over it once complete,
 * so a failure leaves any earlier file as it was and no partial file behind.
 * A read-only target is refused (QORMAP_ERROR_OPEN, errno EACCES); no folder
 * is created. On QORMAP_ERROR_OPEN and _WRITE errno holds the system's reason. */
QORMAP_API int qormap_write(const qormap_options* options, const char* path);

/* A short English text for a status, e.g. "cannot create the map file";
 * never null, also for codes this library does not return. */
QORMAP_API const char* qormap_strerror(int status);

/* The library's version, "MAJOR.MINOR.PATCH"; it may be newer than
 * QORMAP_VERSION_STRING, the header's. */
QORMAP_API const char* qormap_version(void);

#ifdef __cplusplus
}
#endif

#endif /* QORMAP_QORMAP_H */
