#include "help/frm_feedback.h"

#include "core/text.h"
#include "help/url_encode.h"

namespace quorlen {

std::string MakerContactAddress(const std::string& makerUrl) {
  std::string host = makerUrl;
  if (auto scheme = host.find("://"); scheme != std::string::npos) host.erase(0, scheme + 3);
  if (auto path = host.find_first_of("/:"); path != std::string::npos) host.resize(path);
  if (host.rfind("www.", 0) == 0) host.erase(0, 4);
  return "feedback@" + host;
}

frmFeedback::frmFeedback(WebPageOpener& opener, Dialogs& dialogs, Facts facts,
                         std::function<void()> letEventsRun)
    : opener_(opener),
      dialogs_(dialogs),
      facts_(std::move(facts)),
      letEventsRun_(std::move(letEventsRun)) {
  window.SetCaption("Kestro, Inc. Software -- Feedback");
  window.SetBounds({0, 0, 470, 400});
  Label5.SetCaption(
      "Type in your question, comment, review, bug report, feature request, etc.  If you "
      "supply your email address, we will reply to your question or comment as soon as we "
      "can.");
  Label3.SetCaption("Optional - Your Email Address *");
  Label4.SetCaption(
      "* Kestro, Inc. Software makes Quorlen.  Your address is only used to "
      "answer you; we never pass it on.");
  Label2.SetCaption("You can also write to us at " + MakerContactAddress(facts_.makerUrl) + ".");
  cmdSend.SetCaption("Send Comment");
  cmdCancel.SetCaption("&Close");
  cmdSend.onClick = [this] { cmdSend_Click(); };
  cmdCancel.onClick = [this] { cmdCancel_Click(); };
}

void frmFeedback::Show() { window.Show(); }

void frmFeedback::cmdCancel_Click() {
  window.SetVisible(false);
  txtBody.SetText("");
  txtEmail.SetText("");
}

std::string frmFeedback::FeedbackAddress() {
  std::string body = "V" + facts_.ownVersion + std::string(kCrLf) + txtBody.Text();
  return facts_.makerUrl + "zshared/feedback.asp?" + "prod=" + URLEncode(sProduct, letEventsRun_) +
         "&email=" + URLEncode(txtEmail.Text(), letEventsRun_) +
         "&body=" + URLEncode(body, letEventsRun_);
}

void frmFeedback::cmdSend_Click() {
  if (txtBody.Text().empty()) {
    dialogs_.MsgBox("Please enter a comment or question, then click Send Comment.  Thank you.",
                    msgbox::kOkOnly, "Quorlen");
    return;
  }
  opener_.Open(FeedbackAddress());
}

}  // namespace quorlen
