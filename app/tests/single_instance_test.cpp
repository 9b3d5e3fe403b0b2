#include "shell/single_instance.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "platform/session_lock.h"
#include "support.h"

namespace verhulzen {
namespace {

struct PoortGeval {
  const char* record;
  std::optional<long long> poort;
};

TEST(SingleInstance, ReadsThePortAsTheHandOverAcceptsIt) {
  const PoortGeval gevallen[] = {
      {R"({"pid": 1, "port": 51234, "profiel": "/p"})", 51234},
      {R"({"port": "  8080 "})", 8080},
      {R"({"port": 8080.9})", 8080},
      {R"({"port": -3})", -3},
      {R"({"port": 0})", 0},
      {R"({"port": 70000})", 70000},
      {R"({"port": "80a"})", std::nullopt},
      {R"({"port": ""})", std::nullopt},
      {R"({"port": "-80"})", std::nullopt},
      {R"({"port": 123456789012345678901234567890})", std::nullopt},
      {R"({"pid": 4})", std::nullopt},
  };
  for (const auto& geval : gevallen) {
    const auto record = read_json(geval.record);
    ASSERT_TRUE(record) << geval.record;
    EXPECT_EQ(poort_uit_record(*record), geval.poort) << geval.record;
  }
}

TEST(SingleInstance, ARecordOfAnotherShapeIsAnUnhandledError) {
  for (const char* record :
       {"[1, 2]", "42", R"({"port": null})", R"({"port": [8080]})", R"({"port": {"n": 1}})"}) {
    const auto json = read_json(record);
    ASSERT_TRUE(json) << record;
    EXPECT_THROW(poort_uit_record(*json), std::runtime_error) << record;
  }
}

TEST(SingleInstance, NamesTheGuardAfterThePackageIdentityAlone) {
  Config config;
  EXPECT_EQ(guard_naam(config), "Local\\DrovelVerhulzen");
  config.STORE = true;
  EXPECT_EQ(guard_naam(config), "Local\\DrovelVerhulzen");
  config.PAKKET = "Drovel.Verhulzen_abc";
  EXPECT_EQ(guard_naam(config), "Local\\DrovelVerhulzen-Store");
}

TEST(SingleInstance, TheSessionLockIsHeldOncePerName) {
  const testing::TempDir runtime;
  // NOLINTNEXTLINE(concurrency-mt-unsafe)
  ASSERT_EQ(setenv("XDG_RUNTIME_DIR", runtime.path().c_str(), 1), 0);
  const auto eerste = platform::create_session_lock("Local\\VerhulzenProef");
  EXPECT_NE(eerste.handle, 0);
  EXPECT_FALSE(eerste.already_exists);
  EXPECT_TRUE(platform::create_session_lock("Local\\VerhulzenProef").already_exists);
  EXPECT_FALSE(platform::create_session_lock("Local\\VerhulzenProef-Store").already_exists);
  unsetenv("XDG_RUNTIME_DIR");  // NOLINT(concurrency-mt-unsafe)
}

}  // namespace
}  // namespace verhulzen
