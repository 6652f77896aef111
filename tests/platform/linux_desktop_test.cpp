#include "platform/linux/linux_desktop.h"

#include <gtest/gtest.h>

#include <map>

#include "tests/support/temp_folder.h"

namespace quorlen {
namespace {

TEST(DesktopProxyTest, ReadsEachDesktopsForm) {
  using namespace desktop_proxy;
  EXPECT_EQ(FromGnome("'auto'", "'proxy.example'", "8080"), "");
  EXPECT_EQ(FromGnome("'manual'", "''", "8080"), "");
  EXPECT_EQ(FromGnome("'manual'", "'proxy.example'", "0"), "proxy.example");

  for (const auto& [text, proxy] : std::vector<std::pair<const char*, const char*>>{
           {"[Proxy Settings]\nProxyType=1\nhttpProxy=http://kde.example:3128\n",
            "kde.example:3128"},
           {"[Proxy Settings]\nhttpProxy=kde.example:3128\nProxyType=1\n", "kde.example:3128"},
           {"[Proxy Settings]\nProxyType=0\nhttpProxy=http://kde.example:3128\n", ""},
           {"[Other]\nProxyType=1\nhttpProxy=http://x:1\n[Proxy Settings]\nProxyType=1\n", ""},
           {"", ""}}) {
    EXPECT_EQ(FromKioslaverc(text), proxy) << text;
  }

  EXPECT_EQ(FromUrl("proxy.example:3128"), "proxy.example:3128");
  EXPECT_EQ(FromUrl(" http://user:pw@proxy.example:3128 "), "user:pw@proxy.example:3128");
  EXPECT_EQ(FromUrl(""), "");
}

TEST(DesktopProxyTest, GnomeFirstThenKdeThenTheEnvironment) {
  testing_support::TempFolder home;
  std::map<std::string, std::string> answers;
  std::map<std::string, std::string> variables{{"HOME", home.Path()}};
  LinuxDesktop desktop([&](const std::string& command) { return answers[command]; },
                       [&](const std::string& name) { return variables[name]; });
  EXPECT_EQ(desktop.ProxyServer(), "");

  variables["http_proxy"] = "http://env.example:8000/";
  EXPECT_EQ(desktop.ProxyServer(), "env.example:8000");

  std::filesystem::create_directories(home.File(".config"));
  home.Write(".config/kioslaverc",
             "[Proxy Settings]\nProxyType=1\nhttpProxy=http://kde.example 3128\n");
  EXPECT_EQ(desktop.ProxyServer(), "kde.example:3128");

  answers["gsettings get org.gnome.system.proxy mode"] = "'manual'\n";
  answers["gsettings get org.gnome.system.proxy.http host"] = "'gnome.example'\n";
  answers["gsettings get org.gnome.system.proxy.http port"] = "8080\n";
  EXPECT_EQ(desktop.ProxyServer(), "gnome.example:8080");

  answers["gsettings get org.gnome.system.proxy mode"] = "'none'\n";
  EXPECT_EQ(desktop.ProxyServer(), "kde.example:3128") << "GNOME set to no proxy: the next desktop";
}

}  // namespace
}  // namespace quorlen
