# Compile rules for everything that compiles the generator's code. Maps must
# come out bit-identical on every compiler and CPU, so the floating-point
# flags live in one target that the generator library passes on to whatever
# links it, and not in anyone's habits.

add_library(qormap_rules INTERFACE)

if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
  target_compile_options(qormap_rules INTERFACE
    -Wall -Wextra -Wpedantic
    # Fused multiply-adds round once where the arithmetic rounds twice; aarch64
    # compilers fuse by default, which would change the maps.
    -ffp-contract=off
    # Keep the standard IEEE semantics even if a toolchain file adds fast-math.
    -fno-fast-math)
  # x87 arithmetic keeps 80-bit intermediates; SSE2 rounds every step to its type.
  # WebAssembly rounds every step already, whatever processor its toolchain names.
  if(CMAKE_SIZEOF_VOID_P EQUAL 4 AND NOT EMSCRIPTEN AND CMAKE_SYSTEM_PROCESSOR MATCHES "^(i.86|x86|x86_64|AMD64)$")
    target_compile_options(qormap_rules INTERFACE -msse2 -mfpmath=sse)
  endif()
  # WebAssembly memory holds the world's static block (about 90 MB) from the start.
  if(EMSCRIPTEN)
    target_link_options(qormap_rules INTERFACE -sINITIAL_MEMORY=134217728)
    # Running out of memory throws std::bad_alloc, which the library turns into
    # an answer; without exception handling, emscripten aborts the module.
    target_compile_options(qormap_rules INTERFACE -fwasm-exceptions)
    target_link_options(qormap_rules INTERFACE -fwasm-exceptions)
  endif()
elseif(MSVC)
  target_compile_options(qormap_rules INTERFACE /W4 /fp:strict)
endif()

if(QORMAP_SANITIZE)
  set(qormap_sanitize_flags
    -fsanitize=address,undefined,float-cast-overflow
    -fno-sanitize-recover=all
    -fno-omit-frame-pointer)
  target_compile_options(qormap_rules INTERFACE ${qormap_sanitize_flags})
  target_link_options(qormap_rules INTERFACE ${qormap_sanitize_flags})
endif()
