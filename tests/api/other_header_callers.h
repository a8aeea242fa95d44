// C programs built against an older, shorter and a newer, longer copy of the
// options struct: each sets its options up with qormap_init_options, sets
// `pillars` and generates. Returns the set-up's status; *generated is the
// generation's.
#pragma once

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

int older_header_caller(int32_t seed, int32_t pillars, unsigned char** data, size_t* size,
                        int* generated);
int newer_header_caller(int32_t seed, int32_t pillars, unsigned char** data, size_t* size,
                        int* generated);

#ifdef __cplusplus
}
#endif
