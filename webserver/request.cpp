#include "webserver/request.h"

#include "core/text.h"

namespace quorlen {

namespace {

// The string functions of the program's language, on 1-based positions. Find gives 0
// when `what` does not occur at or after `from`.
size_t Find(std::string_view text, std::string_view what, size_t from) {
  if (from < 1) from = 1;
  if (from > text.size() + 1) return 0;
  size_t at = text.find(what, from - 1);
  return at == std::string_view::npos ? 0 : at + 1;
}

// The piece of `length` characters from position `start`, or nothing when the start or
// the length is impossible (the statement fails and the field keeps its empty value).
std::string Mid(std::string_view text, long start, long length) {
  if (start < 1 || length < 0) return {};
  if (static_cast<size_t>(start) > text.size()) return {};
  return std::string(text.substr(static_cast<size_t>(start - 1), static_cast<size_t>(length)));
}

std::string Field(std::string_view request, std::string_view lower, std::string_view label) {
  long start = static_cast<long>(Find(lower, label, 1) + label.size());
  long end = static_cast<long>(Find(request, kCrLf, static_cast<size_t>(start)));
  return Mid(request, start, end - start);
}

struct Kind {
  std::string_view substring;
  std::string_view caption;
  ReplyBody body;
};

// In this order: ".html" contains ".htm", and images win over pages.
constexpr Kind kKinds[] = {
    {".js", "Javascript .js", ReplyBody::kScript},
    {"js.", "Javascript js.", ReplyBody::kScript},
    {".jpg", "JPG Graphical Ad ", ReplyBody::kImage},
    {".gif", "GIF Graphical Ad ", ReplyBody::kImage},
    {".html", "HTML Ad", ReplyBody::kHtml},
    {".htm", "HTM Ad", ReplyBody::kHtm},
};

}  // namespace

ParsedRequest ParseRequest(std::string_view request) {
  ParsedRequest parsed;
  const std::string lower = LowerCase(request);

  // The host's value starts one blank after its colon.
  long p = static_cast<long>(Find(lower, "host:", 1));
  long e = static_cast<long>(Find(request, kCrLf, static_cast<size_t>(p + 7)));
  parsed.host = Mid(request, p + 6, e - p - 6);
  parsed.agent = Field(request, lower, "agent:");
  parsed.referer = Field(request, lower, "referer:");

  long g = static_cast<long>(Find(request, "GET ", 1));
  e = static_cast<long>(Find(request, " ", static_cast<size_t>(g + 5)));
  std::string path = Trim(Mid(request, g + 5, e - g - 4));
  if (!path.empty() && path.back() == '/') path.pop_back();
  if (path.empty() || path == "/") path = "index.html";
  parsed.path = path;

  std::string display = ReplaceAll(path, "/", "/ ");
  display = ReplaceAll(display, ";", "; ");
  parsed.display = ReplaceAll(display, "&", "& ");

  const std::string lowerPath = LowerCase(path);
  parsed.kind = "Generic Graphical Ad ";
  for (const Kind& kind : kKinds) {
    if (lowerPath.find(kind.substring) != std::string::npos) {
      parsed.kind = kind.caption;
      parsed.body = kind.body;
      break;
    }
  }
  return parsed;
}

std::string_view ReplyText(ReplyBody body) {
  switch (body) {
    case ReplyBody::kScript:
      return "<!-- Java Ad -->";
    case ReplyBody::kHtml:
      return "Quorlen Blocked HTML Ad";
    case ReplyBody::kHtm:
      return "Quorlen Blocked HTM Ad";
    case ReplyBody::kImage:
    case ReplyBody::kNone:
      break;
  }
  return {};
}

}  // namespace quorlen
