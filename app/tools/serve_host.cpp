// Development host: loads the application library and enters it through run_code,
// as the starter does. Usage: serve_host <path of verhulzen_app> [arguments...]
#include <dlfcn.h>

#include <cstdio>

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s <verhulzen_app library> [arguments...]\n", argv[0]);
    return 2;
  }
  void* library = dlopen(argv[1], RTLD_NOW);
  if (library == nullptr) {
    std::fprintf(stderr, "%s\n", dlerror());  // NOLINT(concurrency-mt-unsafe): one thread
    return 2;
  }
  using RunCode = int (*)(int, char**, const char*);
  auto run_code = reinterpret_cast<RunCode>(dlsym(library, "run_code"));
  if (run_code == nullptr) {
    std::fprintf(stderr, "%s\n", dlerror());  // NOLINT(concurrency-mt-unsafe): one thread
    return 2;
  }
  // The library sees the host's path as the program path, as under the starter.
  const char* library_path = argv[1];
  argv[1] = argv[0];
  return run_code(argc - 1, argv + 1, library_path);
}
