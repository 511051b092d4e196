// What the tests that load pages run with in a sanitizer build. Qt WebEngine's own library frees
// objects through a base class without a virtual destructor, which ASan reports as
// new-delete-type-mismatch, and keeps memory until the process ends in Chromium, fontconfig
// and udev, which LeakSanitizer reports; none of it is our code. Only that one check is off,
// and only leaks whose stack passes through those libraries are suppressed. ASAN_OPTIONS and
// LSAN_OPTIONS in the environment still override these.

extern "C" const char* __asan_default_options() {
    return "new_delete_type_mismatch=0";
}

extern "C" const char* __lsan_default_suppressions() {
    return "leak:libQt6WebEngineCore.so\n"
           "leak:libfontconfig.so\n"
           "leak:libudev.so\n";
}
