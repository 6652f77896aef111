#include "webserver/request.h"

#include <gtest/gtest.h>

namespace quorlen {
namespace {

struct FieldCase {
  const char* name;
  const char* request;
  const char* host;
  const char* agent;
  const char* referer;
  const char* path;
};

class Fields : public testing::TestWithParam<FieldCase> {};

TEST_P(Fields, CutByPosition) {
  ParsedRequest r = ParseRequest(GetParam().request);
  EXPECT_EQ(r.host, GetParam().host);
  EXPECT_EQ(r.agent, GetParam().agent);
  EXPECT_EQ(r.referer, GetParam().referer);
  EXPECT_EQ(r.path, GetParam().path);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Fields,
    testing::Values(
        FieldCase{"AllLines",
                  "GET /ads/banner.gif HTTP/1.1\r\nHost: ads.example\r\nReferer: http://p/\r\n"
                  "User-Agent: Moz/5\r\n\r\n",
                  "ads.example", " Moz/5", " http://p/", "ads/banner.gif"},
        // Labels are found in any letter case; the values keep theirs. A missing label cuts
        // from near the top: a piece of the request line.
        FieldCase{"NoReferer",
                  "GET /ads/banner.gif HTTP/1.1\r\nhOsT: Ads.Example\r\nUSER-AGENT: Moz\r\n",
                  "Ads.Example", " Moz", "s/banner.gif HTTP/1.1", "ads/banner.gif"},
        FieldCase{"NoHeaderLines", "GET / HTTP/1.0\r\n\r\n", " HTTP/1.0", " HTTP/1.0", "TTP/1.0",
                  "index.html"},
        FieldCase{"NoLineEnd", "GET /a HTTP/1.1 with no line end", "", "", "", "a"},
        FieldCase{"NoBlankAfterTarget", "GET /x", "", "", "", "index.html"},
        FieldCase{"OnlyGet", "GET", "", "", "", "index.html"},
        // The host's cut assumes a blank after the colon and finds no line end after it.
        FieldCase{"HostWithoutBlank", "GET  /spaced/  HTTP/1.1\r\nHost:h\r\n", "",
                  "/spaced/  HTTP/1.1", "paced/  HTTP/1.1", "/spaced"},
        // The line end right after "Host: " lies before where the host's line end is sought.
        FieldCase{"EmptyHost", "GET /a HTTP/1.1\r\nHost: \r\n", "", "a HTTP/1.1", "HTTP/1.1", "a"},
        FieldCase{"TripleSlashRoot", "GET /// HTTP/1.1\r\n", "// HTTP/1.1", "// HTTP/1.1",
                  " HTTP/1.1", "index.html"}),
    [](const testing::TestParamInfo<FieldCase>& row) { return std::string(row.param.name); });

struct KindCase {
  const char* target;
  const char* kind;
  ReplyBody body;
  const char* display;
};

class Kinds : public testing::TestWithParam<KindCase> {};

TEST_P(Kinds, FirstMatchingSubstringOfTheLowerCasedPath) {
  ParsedRequest r =
      ParseRequest(std::string("GET ") + GetParam().target + " HTTP/1.1\r\nHost: h\r\n\r\n");
  EXPECT_TRUE(r.isGet);
  EXPECT_EQ(r.kind, GetParam().kind);
  EXPECT_EQ(r.body, GetParam().body);
  EXPECT_EQ(r.display, GetParam().display);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Kinds,
    testing::Values(
        KindCase{"/", "HTML Ad", ReplyBody::kHtml, "index.html"},
        KindCase{"/ads/", "Generic Graphical Ad ", ReplyBody::kImage, "ads"},
        KindCase{"/cgi/ad.jsp?x=1", "Javascript .js", ReplyBody::kScript, "cgi/ ad.jsp?x=1"},
        KindCase{"/show_ads_js.php", "Javascript js.", ReplyBody::kScript, "show_ads_js.php"},
        KindCase{"/A/B.JPG", "JPG Graphical Ad ", ReplyBody::kImage, "A/ B.JPG"},
        KindCase{"/BANNER.GIF", "GIF Graphical Ad ", ReplyBody::kImage, "BANNER.GIF"},
        KindCase{"/x.html.gif", "GIF Graphical Ad ", ReplyBody::kImage, "x.html.gif"},
        KindCase{"/x.gif.js", "Javascript .js", ReplyBody::kScript, "x.gif.js"},
        KindCase{"/p.htm", "HTM Ad", ReplyBody::kHtm, "p.htm"},
        KindCase{"/p.HTML?a=1&b=2;c", "HTML Ad", ReplyBody::kHtml, "p.HTML?a=1& b=2; c"},
        KindCase{"/a/b;c&d", "Generic Graphical Ad ", ReplyBody::kImage, "a/ b; c& d"}));

TEST(Request, OnlyCapitalGetCounts) {
  EXPECT_TRUE(ParseRequest("GET / HTTP/1.1").isGet);
  EXPECT_TRUE(ParseRequest("GETX").isGet);
  for (const char* request : {"get / HTTP/1.1", "HEAD / HTTP/1.1", "GE", "", " GET /"}) {
    EXPECT_FALSE(ParseRequest(request).isGet) << request;
  }
}

}  // namespace
}  // namespace quorlen
