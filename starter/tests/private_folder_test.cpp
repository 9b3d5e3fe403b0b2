#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <stdexcept>
#include <string>

#include "os.h"

namespace starter {
namespace {
namespace fs = std::filesystem;

// The runtime folder holds the library and the page that are loaded from it: in a
// folder others may write, another user could plant a link to a folder of this user
// and later point it at one of their own. A link of the user's own is the user's choice.
TEST(PrivateFolder, ALinkThatAnotherUserPlantedIsRefused) {
  const fs::path dir = fs::temp_directory_path() / ("starter-link-" + std::to_string(getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir / "eigen");
  const fs::path link = dir / "DrovelVerhulzen";
  fs::create_directory_symlink(dir / "eigen", link);
  EXPECT_NO_THROW(os::create_private_folder(link));
  if (::geteuid() == 0) {
    constexpr uid_t kNobody = 65534;
    ASSERT_EQ(::lchown(link.c_str(), kNobody, kNobody), 0);
    try {
      os::create_private_folder(link);
      ADD_FAILURE() << "the planted link was taken";
    } catch (const std::runtime_error& error) {
      EXPECT_TRUE(std::string(error.what())
                      .starts_with("de map " + link.string() + " is van een andere gebruiker"))
          << error.what();
    }
  }
  fs::remove_all(dir);
}

}  // namespace
}  // namespace starter
