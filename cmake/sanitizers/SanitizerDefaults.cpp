// Linked into every executable and library of the sanitizer build, so that a
// plain `ctest` (or a run of the program) uses the project's leak
// suppressions without any environment set up by hand.
extern "C" {

const char* __lsan_default_options() {
    return "suppressions=" TIDEWICK_LSAN_SUPPRESSIONS ":print_suppressions=0";
}

// Reports stop the process at once and name the faulty frame.
const char* __ubsan_default_options() {
    return "print_stacktrace=1:halt_on_error=1";
}

} // extern "C"
