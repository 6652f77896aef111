// A client of quorlen-helper for the end-to-end tests.
//   helper_request <socket> <verb> [file]   sends the file's bytes as the request's text and
//                                           prints the reply line; exit 0 only for "ok"
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include "privhelper/helper_client.h"

int main(int argc, char** argv) {
  using namespace quorlen::helper;
  if (argc < 3) {
    std::fprintf(stderr, "usage: helper_request <socket> <verb> [file]\n");
    return 2;
  }
  std::optional<Verb> verb;
  for (Verb candidate : {Verb::kWriteHosts, Verb::kWriteBackup, Verb::kWriteFullCopy,
                         Verb::kListenPort80, Verb::kListenPort443}) {
    if (VerbName(candidate) == argv[2]) verb = candidate;
  }
  if (!verb) return 2;
  std::string body;
  if (argc > 3) {
    std::ifstream in(argv[3], std::ios::binary);
    body.assign(std::istreambuf_iterator<char>(in), {});
  }
  Answer answer = AskHelper(argv[1], *verb, body, std::chrono::seconds(10));
  for (int fd : answer.descriptors) ::close(fd);
  if (!answer.reached) {
    std::printf("unreachable %s\n", answer.failure.c_str());
    return 1;
  }
  if (answer.reply.ok) {
    std::printf("ok %d\n", answer.reply.descriptors);
    return 0;
  }
  std::printf("error %s %s\n", answer.reply.code.c_str(), answer.reply.message.c_str());
  return 1;
}
