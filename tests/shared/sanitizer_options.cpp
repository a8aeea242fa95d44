// Tests provoke allocations that must fail; under the address sanitizer they
// should fail the way the C library's do, by returning null.
extern "C" const char* __asan_default_options() {
    return "allocator_may_return_null=1";
}
