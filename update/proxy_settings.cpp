#include "update/proxy_settings.h"

#include "core/text.h"

namespace quorlen {

namespace {
const std::string kLine(kCrLf);
const std::string kTwoLines = kLine + kLine;
}  // namespace

ProxySettings::ProxySettings(Desktop& desktop, Dialogs& dialogs, TextBox& txtProxyName,
                             Button& cmdGuessProxy2, Label& lblStatus,
                             std::function<bool()> loading)
    : desktop_(desktop),
      dialogs_(dialogs),
      txtProxyName_(txtProxyName),
      lblStatus_(lblStatus),
      loading_(std::move(loading)) {
  txtProxyName_.onChange = [this] { txtProxyName_Change(); };
  cmdGuessProxy2.onClick = [this] { cmdGuessProxy2_Click(); };
}

std::string ProxySettings::RestartNoticeText() {
  return "Proxy settings will only take effect when you RESTART Quorlen. " + kTwoLines +
         "When you're done typing in the proxy server name: " + kLine + "--1) Close Quorlen " +
         kLine + "--2) Restart Quorlen " + kLine +
         "--3) Choose Settings-Test Connection to Quorlen to test your Proxy Server Name "
         "settings.";
}

std::string ProxySettings::NoProxyFoundText() {
  return "No Microsoft Internet Explorer proxy settings could be read.   " + kTwoLines +
         "If you think you connect using a proxy server and you use a different browser " +
         " (like Netscape or Opera), you need to manually get the proxy server information " +
         "from your browser by looking at your settings.  When you're done, you should " +
         "type the proxy server name into this box, like this: http://proxy.example.net:8080" +
         kTwoLines + "This button is only used when you know you use a proxy server.  ";
}

void ProxySettings::txtProxyName_Change() { lblStatus_.SetCaption(RestartNoticeText()); }

void ProxySettings::cmdGuessProxy2_Click() {
  if (loading_ && loading_()) return;
  const std::string proxy = Trim(desktop_.ProxyServer());
  if (!proxy.empty()) {
    txtProxyName_.SetText("http://" + proxy);
  } else {
    dialogs_.MsgBox(NoProxyFoundText(), msgbox::kOkOnly, "Quorlen");
  }
}

}  // namespace quorlen
