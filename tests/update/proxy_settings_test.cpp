#include "update/proxy_settings.h"

#include <gtest/gtest.h>

#include "platform/fake/fake_desktop.h"
#include "platform/fake/scripted_dialogs.h"

namespace quorlen {
namespace {

class ProxySettingsTest : public ::testing::Test {
 protected:
  FakeDesktop desktop;
  ScriptedDialogs dialogs;
  TextBox txtProxyName;
  Button cmdGuessProxy2;
  Label lblStatus;
  bool loading = false;
  ProxySettings proxy{desktop,        dialogs,   txtProxyName,
                      cmdGuessProxy2, lblStatus, [this] { return loading; }};
};

TEST_F(ProxySettingsTest, LookupFillsTheBoxFromTheDesktop) {
  struct Case {
    std::string desktopProxy;
    std::string box;
    size_t boxes;
  };
  for (const Case& c :
       std::vector<Case>{{"proxy.corp.example:8080", "http://proxy.corp.example:8080", 0},
                         {"  cache.example:3128 ", "http://cache.example:3128", 0},
                         {"", "left alone", 1},
                         {"   ", "left alone", 1}}) {
    SCOPED_TRACE(c.desktopProxy);
    txtProxyName.SetText("left alone");
    desktop.proxyServer = c.desktopProxy;
    size_t before = dialogs.Boxes().size();
    cmdGuessProxy2.Click();
    EXPECT_EQ(txtProxyName.Text(), c.box);
    EXPECT_EQ(dialogs.Boxes().size() - before, c.boxes);
  }
  const auto& box = dialogs.Boxes().back();
  EXPECT_EQ(box.style, msgbox::kOkOnly);
  EXPECT_EQ(box.text.rfind("No Microsoft Internet Explorer proxy settings could be read.   \r\n\r\n"
                           "If you think you connect using a proxy server and you use a different "
                           "browser  (like Netscape or Opera), you need to manually get",
                           0),
            0u);
  EXPECT_NE(box.text.find(":8080\r\n\r\nThis button is only used when you know you use a proxy "
                          "server.  "),
            std::string::npos);
}

TEST_F(ProxySettingsTest, LookupWaitsForTheProgramToLoad) {
  loading = true;
  desktop.proxyServer = "proxy.example:8080";
  cmdGuessProxy2.Click();
  EXPECT_EQ(txtProxyName.Text(), "");
  EXPECT_TRUE(dialogs.Boxes().empty());
}

TEST_F(ProxySettingsTest, TypingShowsTheRestartNotice) {
  txtProxyName.SetText("http://p");
  EXPECT_EQ(lblStatus.Caption(),
            "Proxy settings will only take effect when you RESTART Quorlen. \r\n\r\n"
            "When you're done typing in the proxy server name: \r\n--1) Close Quorlen \r\n"
            "--2) Restart Quorlen \r\n--3) Choose Settings-Test Connection to Quorlen to test your "
            "Proxy Server Name settings.");
}

}  // namespace
}  // namespace quorlen
