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
  EXPECT_EQ(box.text.rfind("No Microsoft Internet Explorer proxy settings could be read.", 0), 0u);
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
  EXPECT_EQ(lblStatus.Caption().rfind("Proxy settings will only take effect when you RESTART", 0),
            0u);
}

}  // namespace
}  // namespace quorlen
