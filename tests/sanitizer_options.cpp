// The sanitizers' settings of every test program, built in so that ctest, its listing of the
// cases and a test program run by hand all check alike. LeakSanitizer checks the programs
// that do not link Qt; Qt and the font libraries keep caches until exit that it would report.
// The ASAN_OPTIONS and UBSAN_OPTIONS variables still override these.
#if defined(__SANITIZE_ADDRESS__)
extern "C" const char* __asan_default_options() {
    return COUPLES_TEST_LEAKS ? "detect_leaks=1" : "detect_leaks=0";
}
extern "C" const char* __ubsan_default_options() {
    return "print_stacktrace=1";
}
#endif
