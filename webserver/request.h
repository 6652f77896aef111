#pragma once

#include <string>
#include <string_view>

namespace quorlen {

// What the local web server answers for one kind of blocked request; kNone where the
// request is refused before it can be read (HTTPS).
enum class ReplyBody { kScript, kImage, kHtml, kHtm, kNone };

struct ParsedRequest {
  std::string host, agent, referer;
  std::string path;     // without the leading "/" and a trailing one; "index.html" for the root
  std::string display;  // the path with a blank after every "/", ";" and "&", for wrapping
  std::string kind;     // the caption of the reply's kind
  ReplyBody body = ReplyBody::kImage;
};

// Cuts host, agent, referer and path out of a request by the positions of their labels,
// case-insensitively, keeping the values' own letter case; referer and agent keep the
// blank after their colon. A label that is missing makes its cut start near the top of
// the request, so the field holds a piece of the request line; a field whose line end
// cannot be found stays empty. Nothing is ever read beyond the request.
ParsedRequest ParseRequest(std::string_view request);

// The reply texts of the script and page kinds.
std::string_view ReplyText(ReplyBody body);

}  // namespace quorlen
