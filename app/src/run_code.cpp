// The one export of the application library, through which the starter enters it.
#include <chrono>
#include <cstdio>
#include <exception>
#include <string>
#include <thread>

#include "config.h"
#include "platform/environment.h"
#include "server.h"

#ifdef _WIN32
#define VERHULZEN_EXPORT __declspec(dllexport)
#else
#define VERHULZEN_EXPORT __attribute__((visibility("default")))
#endif

extern "C" VERHULZEN_EXPORT int run_code(int argc, char** argv, const char* path) {
  (void)argc;
  (void)argv;
  try {
    const verhulzen::Config config = verhulzen::load_config(path);
    auto [server, port] = verhulzen::start_server(config);
    const std::string seconds =
        verhulzen::platform::environment_variable("VERHULZEN_LOOPTIJD").value_or("30");
    std::this_thread::sleep_for(std::chrono::duration<double>(std::stod(seconds)));
    server->shutdown();
    return 0;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s\n", error.what());
    return 1;
  }
}
