#include "privhelper/protocol.h"

#include <array>
#include <charconv>

namespace quorlen::helper {

namespace {

constexpr std::array<std::pair<Verb, std::string_view>, 5> kVerbs = {{
    {Verb::kWriteHosts, "write-hosts"},
    {Verb::kWriteBackup, "write-backup"},
    {Verb::kWriteFullCopy, "write-full-copy"},
    {Verb::kListenPort80, "listen-port-80"},
    {Verb::kListenPort443, "listen-port-443"},
}};

std::optional<Verb> VerbNamed(std::string_view name) {
  for (const auto& [verb, text] : kVerbs) {
    if (text == name) return verb;
  }
  return std::nullopt;
}

bool IsDigits(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

ParseResult Failed(ParseStatus status, std::string reason) {
  ParseResult result;
  result.status = status;
  result.reason = std::move(reason);
  return result;
}

// Whether `prefix`, the start of a header whose line end has not come yet, can still
// become a valid header.
bool CanBecomeHeader(std::string_view prefix) {
  const std::string magic = std::string(kMagic) + " ";
  if (prefix.size() <= magic.size()) return magic.compare(0, prefix.size(), prefix) == 0;
  if (prefix.substr(0, magic.size()) != magic) return false;
  std::string_view rest = prefix.substr(magic.size());
  auto blank = rest.find(' ');
  if (blank == std::string_view::npos) {
    for (const auto& entry : kVerbs) {
      if (entry.second.substr(0, rest.size()) == rest) return true;
    }
    return false;
  }
  if (!VerbNamed(rest.substr(0, blank))) return false;
  std::string_view digits = rest.substr(blank + 1);
  return digits.empty() || IsDigits(digits);
}

}  // namespace

std::string_view VerbName(Verb verb) {
  for (const auto& [candidate, text] : kVerbs) {
    if (candidate == verb) return text;
  }
  return {};
}

bool IsListenVerb(Verb verb) { return verb == Verb::kListenPort80 || verb == Verb::kListenPort443; }

ParseResult ParseRequest(std::string_view bytes, bool ended, std::size_t maxBody) {
  auto lineEnd = bytes.find('\n');
  if (lineEnd == std::string_view::npos) {
    if (bytes.size() >= kMaxHeader) return Failed(ParseStatus::kMalformed, "header too long");
    if (!CanBecomeHeader(bytes)) return Failed(ParseStatus::kMalformed, "not a request header");
    if (ended) return Failed(ParseStatus::kMalformed, "truncated header");
    return {};
  }
  if (lineEnd + 1 > kMaxHeader) return Failed(ParseStatus::kMalformed, "header too long");
  std::string_view header = bytes.substr(0, lineEnd);

  std::string_view magic = kMagic;
  if (header.size() <= magic.size() || header.substr(0, magic.size()) != magic ||
      header[magic.size()] != ' ') {
    return Failed(ParseStatus::kMalformed, "not a request header");
  }
  std::string_view rest = header.substr(magic.size() + 1);
  auto blank = rest.find(' ');
  if (blank == std::string_view::npos) return Failed(ParseStatus::kMalformed, "no length");
  auto verb = VerbNamed(rest.substr(0, blank));
  if (!verb) return Failed(ParseStatus::kMalformed, "unknown request");
  std::string_view digits = rest.substr(blank + 1);
  if (!IsDigits(digits) || (digits.size() > 1 && digits[0] == '0')) {
    return Failed(ParseStatus::kMalformed, "bad length");
  }
  // More digits than any allowed length has: too large without risking an overflow.
  if (digits.size() > 9) return Failed(ParseStatus::kTooLarge, "request too large");
  std::size_t length = 0;
  std::from_chars(digits.data(), digits.data() + digits.size(), length);
  if (length > maxBody) {
    return Failed(ParseStatus::kTooLarge, "request of " + std::to_string(length) +
                                              " bytes, more than the " + std::to_string(maxBody) +
                                              " a blocking change of the hosts file can need");
  }
  if (IsListenVerb(*verb) && length != 0) {
    return Failed(ParseStatus::kMalformed, std::string(VerbName(*verb)) + " carries no body");
  }

  ParseResult result;
  result.expected = lineEnd + 1 + length;
  if (bytes.size() > result.expected) {
    return Failed(ParseStatus::kMalformed, "bytes after the request");
  }
  if (bytes.size() < result.expected) {
    if (ended) return Failed(ParseStatus::kMalformed, "truncated request");
    result.status = ParseStatus::kIncomplete;
    return result;
  }
  result.status = ParseStatus::kComplete;
  result.request.verb = *verb;
  result.request.body = std::string(bytes.substr(lineEnd + 1));
  return result;
}

std::string EncodeRequest(Verb verb, std::string_view body) {
  std::string bytes = std::string(kMagic) + " " + std::string(VerbName(verb)) + " " +
                      std::to_string(body.size()) + "\n";
  bytes.append(body);
  return bytes;
}

std::string EncodeOk(int descriptors) {
  return descriptors > 0 ? "ok " + std::to_string(descriptors) + "\n" : "ok\n";
}

std::string EncodeError(std::string_view code, std::string_view message) {
  std::string line = "error " + std::string(code) + " ";
  for (char c : message) line += static_cast<unsigned char>(c) < ' ' ? ' ' : c;
  return line + "\n";
}

std::optional<Reply> ParseReply(std::string_view line) {
  Reply reply;
  if (line == "ok") {
    reply.ok = true;
    return reply;
  }
  if (line.substr(0, 3) == "ok ") {
    std::string_view digits = line.substr(3);
    if (!IsDigits(digits) || digits.size() > 2) return std::nullopt;
    reply.ok = true;
    std::from_chars(digits.data(), digits.data() + digits.size(), reply.descriptors);
    return reply;
  }
  if (line.substr(0, 6) != "error ") return std::nullopt;
  std::string_view rest = line.substr(6);
  auto blank = rest.find(' ');
  if (blank == 0 || blank == std::string_view::npos) return std::nullopt;
  reply.code = std::string(rest.substr(0, blank));
  reply.message = std::string(rest.substr(blank + 1));
  return reply;
}

}  // namespace quorlen::helper
