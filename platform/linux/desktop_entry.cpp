#include "platform/linux/desktop_entry.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace quorlen {

namespace desktop_entry {

namespace {

std::vector<std::string> Split(std::string_view text, char separator) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(separator, start);
    if (end == std::string_view::npos) end = text.size();
    if (end > start) parts.emplace_back(text.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

std::string_view Strip(std::string_view text) {
  auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

bool IsFile(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_regular_file(path, error);
}

}  // namespace

std::vector<std::string> ApplicationFolders(std::string_view dataHome, std::string_view home,
                                            std::string_view dataDirs) {
  std::vector<std::string> folders;
  if (!dataHome.empty()) {
    folders.push_back(std::string(dataHome) + "/applications");
  } else if (!home.empty()) {
    folders.push_back(std::string(home) + "/.local/share/applications");
  }
  std::vector<std::string> system = Split(dataDirs, ':');
  if (system.empty()) system = {"/usr/local/share", "/usr/share"};
  for (const auto& folder : system) folders.push_back(folder + "/applications");
  return folders;
}

std::string Find(std::string_view id, const std::vector<std::string>& folders) {
  if (id.empty() || id.find('/') != std::string_view::npos) return {};
  for (const auto& folder : folders) {
    std::string direct = folder + "/" + std::string(id);
    if (IsFile(direct)) return direct;
    // "vendor-name.desktop" may live as vendor/name.desktop.
    std::string nested(id);
    for (size_t dash = nested.find('-'); dash != std::string::npos;
         dash = nested.find('-', dash + 1)) {
      std::string candidate = nested;
      candidate[dash] = '/';
      if (IsFile(folder + "/" + candidate)) return folder + "/" + candidate;
    }
  }
  return {};
}

std::string Value(std::string_view fileText, std::string_view key) {
  std::istringstream lines{std::string(fileText)};
  bool inEntry = false;
  for (std::string raw; std::getline(lines, raw);) {
    std::string_view line = Strip(raw);
    if (!line.empty() && line.front() == '[') {
      inEntry = line == "[Desktop Entry]";
      continue;
    }
    if (!inEntry) continue;
    auto equals = line.find('=');
    if (equals == std::string_view::npos || Strip(line.substr(0, equals)) != key) continue;
    return std::string(Strip(line.substr(equals + 1)));
  }
  return {};
}

std::vector<std::string> Handlers(std::string_view mimeType,
                                  const std::vector<std::string>& folders) {
  std::vector<std::string> ids;
  for (const auto& folder : folders) {
    std::ifstream file(folder + "/mimeinfo.cache", std::ios::binary);
    bool inCache = false;
    for (std::string raw; std::getline(file, raw);) {
      std::string_view line = Strip(raw);
      if (!line.empty() && line.front() == '[') {
        inCache = line == "[MIME Cache]";
        continue;
      }
      auto equals = line.find('=');
      if (!inCache || equals == std::string_view::npos || line.substr(0, equals) != mimeType) {
        continue;
      }
      for (auto& id : Split(line.substr(equals + 1), ';')) {
        if (std::find(ids.begin(), ids.end(), id) == ids.end()) ids.push_back(id);
      }
    }
  }
  return ids;
}

std::vector<std::string> Arguments(std::string_view exec) {
  std::vector<std::string> arguments;
  std::string current;
  bool inArgument = false;
  bool quoted = false;
  auto finish = [&] {
    if (inArgument) arguments.push_back(current);
    current.clear();
    inArgument = false;
  };
  for (size_t i = 0; i < exec.size(); ++i) {
    char c = exec[i];
    if (quoted) {
      if (c == '"') {
        quoted = false;
      } else if (c == '\\' && i + 1 < exec.size()) {
        current += exec[++i];
      } else {
        current += c;
      }
      continue;
    }
    if (c == ' ' || c == '\t') {
      finish();
    } else if (c == '"') {
      quoted = true;
      inArgument = true;
    } else if (c == '%' && i + 1 < exec.size()) {
      char code = exec[++i];
      if (code == '%') {
        current += '%';
        inArgument = true;
      }
      // Any other field code stands for what the launcher fills in: nothing here.
    } else {
      current += c;
      inArgument = true;
    }
  }
  finish();
  return arguments;
}

std::string CommandLine(const std::vector<std::string>& arguments) {
  std::string line;
  for (const auto& argument : arguments) {
    if (!line.empty()) line += ' ';
    bool plain = !argument.empty() && argument.find_first_of(" \t\"\\%") == std::string::npos;
    if (plain) {
      line += argument;
      continue;
    }
    line += '"';
    for (char c : argument) {
      if (c == '"' || c == '\\') line += '\\';
      line += c;
    }
    line += '"';
  }
  return line;
}

}  // namespace desktop_entry

namespace {

// The full path of `program`: as given when it holds a "/", else the first executable of
// that name on PATH; empty when there is none.
std::string Resolve(const std::string& program) {
  if (program.find('/') != std::string::npos) {
    return ::access(program.c_str(), X_OK) == 0 ? program : std::string();
  }
  const char* path = std::getenv("PATH");
  std::stringstream folders(path ? path : "/usr/local/bin:/usr/bin:/bin");
  for (std::string folder; std::getline(folders, folder, ':');) {
    if (folder.empty()) continue;
    std::string candidate = folder + "/" + program;
    std::error_code error;
    if (::access(candidate.c_str(), X_OK) == 0 &&
        !std::filesystem::is_directory(candidate, error)) {
      return candidate;
    }
  }
  return {};
}

}  // namespace

bool StartDetached(const std::vector<std::string>& arguments) {
  if (arguments.empty()) return false;
  std::string program = Resolve(arguments.front());
  if (program.empty()) return false;
  // Everything the children need is made before the fork: after it only system calls run.
  std::vector<char*> argv;
  for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  int report[2];
  if (::pipe2(report, O_CLOEXEC) != 0) return false;
  pid_t child = ::fork();
  if (child < 0) {
    ::close(report[0]);
    ::close(report[1]);
    return false;
  }
  if (child == 0) {
    // Started twice removed, so the program is nobody's child and leaves no zombie.
    if (::fork() == 0) {
      ::setsid();
      ::execv(program.c_str(), argv.data());
      int error = errno;
      [[maybe_unused]] auto written = ::write(report[1], &error, sizeof error);
      ::_exit(127);
    }
    ::_exit(0);
  }
  ::close(report[1]);
  int status = 0;
  ::waitpid(child, &status, 0);
  // The pipe closes without a word when exec succeeds; an error number says it failed.
  int error = 0;
  ssize_t got;
  do {
    got = ::read(report[0], &error, sizeof error);
  } while (got < 0 && errno == EINTR);
  ::close(report[0]);
  return got == 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace quorlen
