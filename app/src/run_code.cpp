// The one export of the application library, through which the starter enters it.
#include <cstdio>
#include <exception>

#include "config.h"

extern "C" __attribute__((visibility("default"))) int run_code(int argc, char** argv,
                                                               const char* path) {
  (void)argc;
  (void)argv;
  try {
    const verhulzen::Config config = verhulzen::load_config(path);
    (void)config;
    return 0;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s\n", error.what());
    return 1;
  }
}
