// Defaults for the sanitized host tests, so that every way of running them (ctest, the binary
// by hand, a debugger) stops at the first finding. ASAN_OPTIONS / UBSAN_OPTIONS still override.
extern "C" const char* __asan_default_options()
{
    return "halt_on_error=1:abort_on_error=1:detect_leaks=1:detect_stack_use_after_return=1:"
           "strict_string_checks=1:check_initialization_order=1";
}

extern "C" const char* __ubsan_default_options()
{
    return "halt_on_error=1:print_stacktrace=1";
}
