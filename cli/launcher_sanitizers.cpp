// What tessivo-cli runs with in a sanitizer build. The thread-local variables of the module it
// loads (and of the libraries the module brings) live in blocks the dynamic loader allocates.
// The sanitizer runtime of GCC up to 13 takes such a block for one with the header of glibc 2.19
// and older when it happens to start at that header's size into a page, records a range that
// is no memory, and LeakSanitizer's scan at the exit then crashes ("Tracer caught signal 11")
// and fails the run. Without __tls_get_addr intercepted it records no such range; the leak check
// stays on. ASAN_OPTIONS in the environment still overrides this.

extern "C" const char* __asan_default_options() {
    return "intercept_tls_get_addr=0";
}
