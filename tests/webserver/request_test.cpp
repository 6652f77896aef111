#include "webserver/request.h"

#include <gtest/gtest.h>

namespace quorlen {
namespace {

struct FieldCase {
  const char* request;
  const char* host;
  const char* agent;
  const char* referer;
  const char* path;
};

TEST(Request, FieldsAreCutByPosition) {
  const FieldCase cases[] = {
      // Every label present: the responder's record test. Labels are found in any letter case; the
      // values keep theirs. A missing label cuts from near the top: a piece of the request line.
      {"GET /ads/banner.gif HTTP/1.1\r\nhOsT: Ads.Example\r\nUSER-AGENT: Moz\r\n", "Ads.Example",
       " Moz", "s/banner.gif HTTP/1.1", "ads/banner.gif"},
      {"GET / HTTP/1.0\r\n\r\n", " HTTP/1.0", " HTTP/1.0", "TTP/1.0", "index.html"},
      {"GET /a HTTP/1.1 with no line end", "", "", "", "a"},
      {"GET /x", "", "", "", "index.html"},
      {"GET", "", "", "", "index.html"},
      // The host's cut assumes a blank after the colon and finds no line end after it.
      {"GET  /spaced/  HTTP/1.1\r\nHost:h\r\n", "", "/spaced/  HTTP/1.1", "paced/  HTTP/1.1",
       "/spaced"},
      // The line end right after "Host: " lies before where the host's line end is sought.
      {"GET /a HTTP/1.1\r\nHost: \r\n", "", "a HTTP/1.1", "HTTP/1.1", "a"},
      {"GET /// HTTP/1.1\r\n", "// HTTP/1.1", "// HTTP/1.1", " HTTP/1.1", "index.html"}};
  for (const FieldCase& c : cases) {
    SCOPED_TRACE(c.request);
    ParsedRequest r = ParseRequest(c.request);
    EXPECT_EQ(std::tuple(r.host, r.agent, r.referer, r.path),
              std::tuple(c.host, c.agent, c.referer, c.path));
  }
}

struct KindCase {
  const char* target;
  const char* kind;
  ReplyBody body;
  const char* display;
};

TEST(Request, KindIsTheFirstMatchingSubstringOfTheLowerCasedPath) {
  const KindCase cases[] = {
      {"/", "HTML Ad", ReplyBody::kHtml, "index.html"},
      {"/ads/", "Generic Graphical Ad ", ReplyBody::kImage, "ads"},
      {"/cgi/ad.jsp?x=1", "Javascript .js", ReplyBody::kScript, "cgi/ ad.jsp?x=1"},
      {"/show_ads_js.php", "Javascript js.", ReplyBody::kScript, "show_ads_js.php"},
      {"/A/B.JPG", "JPG Graphical Ad ", ReplyBody::kImage, "A/ B.JPG"},
      {"/BANNER.GIF", "GIF Graphical Ad ", ReplyBody::kImage, "BANNER.GIF"},
      {"/x.html.gif", "GIF Graphical Ad ", ReplyBody::kImage, "x.html.gif"},
      {"/x.gif.js", "Javascript .js", ReplyBody::kScript, "x.gif.js"},
      {"/p.htm", "HTM Ad", ReplyBody::kHtm, "p.htm"},
      {"/p.HTML?a=1&b=2;c", "HTML Ad", ReplyBody::kHtml, "p.HTML?a=1& b=2; c"},
      {"/a/b;c&d", "Generic Graphical Ad ", ReplyBody::kImage, "a/ b; c& d"}};
  for (const KindCase& c : cases) {
    ParsedRequest r = ParseRequest(std::string("GET ") + c.target + " HTTP/1.1\r\nHost: h\r\n\r\n");
    EXPECT_EQ(std::tuple(r.kind, r.body, r.display), std::tuple(c.kind, c.body, c.display))
        << c.target;
  }
}

}  // namespace
}  // namespace quorlen
