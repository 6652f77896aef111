// The places no other user can reach: the private folder and the single-instance lock.
#include "platform/linux/linux_system.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>

#include "tests/support/temp_folder.h"

namespace quorlen {
namespace {

using testing_support::TempFolder;

// The folder variables for one test, put back after it.
class Environment {
 public:
  Environment(const std::string& runtime, const std::string& cache) {
    Set("XDG_RUNTIME_DIR", runtime);
    Set("XDG_CACHE_HOME", cache);
  }
  ~Environment() {
    for (const auto& [name, value] : saved_) Set(name, value);
  }

 private:
  void Set(const std::string& name, const std::string& value) {
    if (saved_.size() < 2) {
      const char* old = std::getenv(name.c_str());
      saved_.emplace_back(name, old ? old : "");
    }
    value.empty() ? ::unsetenv(name.c_str()) : ::setenv(name.c_str(), value.c_str(), 1);
  }
  std::vector<std::pair<std::string, std::string>> saved_;
};

mode_t ModeOf(const std::string& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

TEST(PrivateFolder, OnlyTheUserCanEnterIt) {
  struct Case {
    const char* name;
    std::function<bool(const TempFolder&)> prepare;  // false: not possible here
    bool fromRuntime;                                // else from the cache folder
  } cases[] = {
      {"the runtime folder", [](const TempFolder&) { return true; }, true},
      {"a folder others could enter is closed",
       [](const TempFolder& t) { return ::mkdir(t.File("run/quorlen").c_str(), 0755) == 0; }, true},
      {"no runtime folder", [](const TempFolder& t) { return ::rmdir(t.File("run").c_str()) == 0; },
       false},
      {"a runtime folder others may write to",
       [](const TempFolder& t) { return ::chmod(t.File("run").c_str(), 0777) == 0; }, false},
      {"a link put in its place",
       [](const TempFolder& t) {
         return ::symlink(t.Path().c_str(), t.File("run/quorlen").c_str()) == 0;
       },
       false},
      {"another user's folder in its place (as root)",
       [](const TempFolder& t) {
         return ::mkdir(t.File("run/quorlen").c_str(), 0700) == 0 &&
                ::chown(t.File("run/quorlen").c_str(), 65534, 65534) == 0;
       },
       false},
  };
  for (const Case& c : cases) {
    TempFolder temp;
    ::mkdir(temp.File("run").c_str(), 0700);
    if (!c.prepare(temp)) continue;
    Environment environment(temp.File("run"), temp.File("cache"));
    const std::string folder = PrivateFolder();
    EXPECT_EQ(folder, temp.File(c.fromRuntime ? "run/quorlen" : "cache/quorlen")) << c.name;
    EXPECT_EQ(ModeOf(folder), 0700u) << c.name;
  }
}

TEST(SingleInstance, OneCopyAndTheLockGoesWithIt) {
  TempFolder temp;
  ::mkdir(temp.File("run").c_str(), 0700);
  Environment environment(temp.File("run"), temp.File("cache"));
  auto first = std::make_unique<LinuxSingleInstance>();
  ASSERT_TRUE(first->Acquire());
  LinuxSingleInstance second;
  EXPECT_FALSE(second.Acquire());
  EXPECT_EQ(ModeOf(temp.File("run/quorlen/single-instance.lock")), 0600u);
  // A program started meanwhile (a browser, an editor) does not keep the lock.
  int started[2];
  ASSERT_EQ(::pipe2(started, O_CLOEXEC), 0);
  pid_t program = ::fork();
  if (program == 0) {
    ::execl("/bin/sleep", "sleep", "30", nullptr);
    ::_exit(127);
  }
  ::close(started[1]);
  char byte;
  ASSERT_EQ(::read(started[0], &byte, 1), 0) << "the pipe closes once the program runs";
  ::close(started[0]);
  first.reset();
  EXPECT_TRUE(second.Acquire());
  ::kill(program, SIGKILL);
  ::waitpid(program, nullptr, 0);
}

}  // namespace
}  // namespace quorlen
