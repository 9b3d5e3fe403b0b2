// The one export of the application library, through which the starter enters it.
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "config.h"
#include "main_flow.h"

#ifdef _WIN32
#define VERHULZEN_EXPORT __declspec(dllexport)
#else
#define VERHULZEN_EXPORT __attribute__((visibility("default")))
#endif

extern "C" VERHULZEN_EXPORT int run_code(int argc, char** argv, const char* path) {
  try {
    const verhulzen::Config config = verhulzen::load_config(path);
    return verhulzen::main_flow(config, std::vector<std::string>(argv, argv + argc));
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s\n", error.what());
    return 1;
  }
}
