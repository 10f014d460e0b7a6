# The sanitizer build of the test command: everything built by clang with
# AddressSanitizer and UndefinedBehaviorSanitizer, every finding fatal, leak
# checking on with the known leaks of libraries we do not build suppressed
# (scripts/lsan.supp, a reason on every line). The fuzz targets are built in
# the same tree, so the libraries are compiled by clang once for both.
#
# sanitizer_env: exports the runtime options (also for the test programs that
#   the build runs to list their tests).
# configure_sanitized: configures build/asan (reused between runs).
# build_sanitized: configures and builds everything in build/asan.
sanitizer_env() {
  export ASAN_OPTIONS="halt_on_error=1:abort_on_error=0:detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1"
  export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
  export LSAN_OPTIONS="suppressions=$ROOT/scripts/lsan.supp:print_suppressions=0"
}

configure_sanitized() {
  sanitizer_env
  configure "$ROOT/build/asan" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O1 -gline-tables-only" \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -gline-tables-only" \
    -DZUGGLE_SANITIZE=ON -DZUGGLE_BUILD_TESTS=ON -DZUGGLE_BUILD_FUZZ=ON -DZUGGLE_BUILD_BENCH=OFF \
    -DZUGGLE_BUILD_TOOLS=OFF
}

build_sanitized() {
  configure_sanitized
  nice cmake --build "$ROOT/build/asan" -j2
}
