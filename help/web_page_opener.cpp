#include "help/web_page_opener.h"

#include <filesystem>

#include "core/list_and_text_files.h"
#include "core/text.h"

namespace quorlen {

WebPageOpener::WebPageOpener(Desktop& desktop, Dialogs& dialogs, std::string tempFolder)
    : desktop_(desktop), dialogs_(dialogs), tempFolder_(std::move(tempFolder)) {}

bool WebPageOpener::Open(const std::string& address, Label* lblCommand) {
  const std::string page = PageFile();
  WriteTextFile(page, "<html><head><title>Quorlen</title></head><body></body></html>");
  std::string browser = Trim(desktop_.FindBrowser(page));
  bool opened = false;
  if (browser.empty()) {
    dialogs_.MsgBox("Could not find associated Browser", msgbox::kExclamation, "Browser Not Found");
  } else {
    if (lblCommand) lblCommand->SetCaption(browser);
    opened = desktop_.StartBrowser(browser, address);
    if (!opened) dialogs_.MsgBox("Web Page not Opened", msgbox::kExclamation, "URL Failed");
  }
  std::error_code error;
  std::filesystem::remove(page, error);
  return opened;
}

}  // namespace quorlen
