// The one export of the application library, through which the starter enters it.
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

#include "shell/config.h"
#include "shell/main_flow.h"
#include "text/utf8.h"

#ifdef _WIN32
#define VERHULZEN_EXPORT __declspec(dllexport)
#else
#define VERHULZEN_EXPORT __attribute__((visibility("default")))
#endif

namespace {

int run(int argc, char** argv, const char* path) {
  try {
    const verhulzen::Config config = verhulzen::load_config(verhulzen::path_from_utf8(path));
    return verhulzen::main_flow(config, std::vector<std::string>(argv, argv + argc));
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s\n", error.what());
    return 1;
  }
}

}  // namespace

// Ends the process with the program's status instead of returning: the update
// check and request threads may still run, and must not see the statics they
// use destroyed under them.
extern "C" VERHULZEN_EXPORT int run_code(int argc, char** argv, const char* path) {
  const int status = run(argc, argv, path);
  std::fflush(nullptr);
  std::_Exit(status);
}
