#pragma once

// The whole of tessivo-cli, every command, help and version, in the module
// libtessivo-cli-full.so: what the launcher (tessivo-cli itself) hands every command line it does
// not answer by itself, with argv as it came. Returns the exit status.
extern "C" __attribute__((visibility("default"))) int tessivoCliMain(int argc, char** argv);

// Its name, for dlsym().
inline constexpr const char* kFullCliEntry = "tessivoCliMain";
