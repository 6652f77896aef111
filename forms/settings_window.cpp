#include "forms/settings_window.h"

#include <string>

namespace quorlen {

namespace {

const std::string kDashes(45, '-');

}  // namespace

SettingsWindow::SettingsWindow() {
  window.SetBounds({0, 0, kFixedWidth, kFixedHeight});

  mnuFile.SetCaption("&File");
  mnuFileOpen.SetCaption("&Open blocked Hosts List");
  mnuFileSave.SetCaption("&Save Program Settings");
  mnuFileExit.SetCaption("&Exit Quorlen AND stop blocking Ads");
  mnuOptions.SetCaption("&Options");
  mnuUpdate.SetCaption("&Download Latest Ad Blocking Data");
  mnuVersion.SetCaption("&Check for newer version of Quorlen");
  mnuTest.SetCaption("&Test Connection to Quorlen");
  mnuSettingsReset.SetCaption("&Reset Number of Ads Blocked Statistics");
  mnuUninstall.SetCaption("&Uninstall Help!");
  mnuUninstallFeedback.SetCaption("Please Tell us why first.  Thank you...");
  mnuUninstallUninstall.SetCaption("Uninstall Instructions...");
  mnuHelp.SetCaption("&Help");
  mnuHelpFeedback.SetCaption("Send &Feedback or Ask Question...");
  mnuHelpTut.SetCaption("&Online Tutorial");
  mnuHelpWeb.SetCaption("&Help Online...");
  mnuHelpReadMe.SetCaption("&Readme.txt");
  mnuHelpAbout.SetCaption("&About");

  mnuTray.SetVisible(false);
  mnuTraySettings.SetCaption("&Display Program Settings...");
  mnuTrayFeedback.SetCaption("Send &Feedback or Ask us a Question...");
  mnuTrayStats.SetCaption("&Show Small Statistics &Window ");
  mnuSPC1.SetCaption(kDashes);
  mnuTrayAllow.SetCaption("Allow specific ad servers...");
  mnuTrayLastPop.SetCaption("Allow the most recent blocked popup (by Window Title)");
  mnuTrayLastIEPop.SetCaption("Allow the most recent popup (based on URL)");
  mnuSPC2.SetCaption(kDashes);
  mnuTrayBlock.SetCaption("&Block Specific ad servers...");
  mnuTrayBlockTitle.SetCaption("Block Specific Popup Windows by Title...");
  mnuTrayPopups.SetCaption("Block Popup Ads - ON (uncheck to temporarily allow popups)");
  mnuTrayPopups.SetChecked(true);
  mnuSPC3.SetCaption(kDashes);
  mnuTrayExit.SetCaption("&Exit Quorlen AND stop blocking ads");
  mnuTrayClose.SetCaption("&CLOSE THIS MENU");

  Frame7.SetCaption("Ad Types:");
  chkAdServers.SetCaption("Block Banner Ads (blocks the list of known ad servers)");
  chkIEPops.SetCaption("Block Popup Ads (blocks unsolicited popup window ads)");
  cmdAddSites.SetCaption("Block Ads by Ad Server Name");
  Label14.SetCaption(
      "Add your own ad servers to block, or allow any listed one, in the ad server list.");
  cmdPopupTitles.SetCaption("Block Popups by Window Title");
  Label15.SetCaption("Close any popup window automatically by adding a part of its window title.");

  Frame8.SetCaption("Quorlen Startup Options:");
  chkStartup.SetCaption("Start Quorlen when Windows Starts");
  chkAuto.SetCaption("Automatically Download Ad Blocking Data from the Quorlen site.");
  cmdData2.SetCaption("Download");
  Label10.SetCaption("Download Latest ad blocking data from the Quorlen server now!");

  Frame9.SetCaption("Choose the \"Help\" menu above for more choices, or pick a topic below:");
  cmdHelpOnline.SetCaption("Help Online");
  cmdFeedback.SetCaption("Feedback");
  cmdHelpBlock.SetCaption("Ad Blocking Help");
  Label11.SetCaption("Read the online help pages for Quorlen.");
  Label12.SetCaption("Send us your feedback or ask us a question.");
  Label13.SetCaption("How Quorlen blocks banner and popup ads in each browser.");

  Frame5.SetCaption("Popup Ad Blocked Sound:");
  chkPopSound.SetCaption("When Popup Ads Blocked, play sound:");
  cmdBrowsePop.SetCaption("Browse");
  cmdTestPop.SetCaption("Test Sound");
  Frame4.SetCaption("Banner Ad Blocked Sound:");
  chkBannerSound.SetCaption("When Ads Blocked, play sound:");
  cmdBrowseAd.SetCaption("Browse...");
  cmdTestAd.SetCaption("Test Sound");

  Frame3.SetCaption("Web Proxy Server Settings:");
  cmdGuessProxy2.SetCaption("Lookup");
  Label1.SetCaption("Proxy server (name:port), if you reach the web through one:");
  Label6.SetCaption("Blocking by ad server list does not work through a proxy server.");
  cmdData.SetCaption("Download");
  cmdTestConn.SetCaption("Connect");
  cmdNew.SetCaption("New?");
  cmdReset.SetCaption("Reset");
  Label3.SetCaption("Download Latest ad blocking data from the Quorlen server.");
  Label7.SetCaption("Test your connection to the Quorlen ad blocking data server.");
  Label8.SetCaption("See if there is a newer version of Quorlen.  Just Download and install");
  Label9.SetCaption("Reset your ad blocking statistics to zero.");

  Frame6.SetCaption("Quorlen Message Area:");
  lblStatus.SetCaption("Please Wait while Quorlen initializes...");
  Frame2.SetCaption("Ad Blocking Statistics");
  lblDateUpdate.SetCaption("Last Data Update: Never");
  Label5Servers.SetCaption("Blocked Servers:");
  Label5ToDate.SetCaption("Blocked to Date:");
  Label5Today.SetCaption("Blocked Today:");
  lblTotHosts.SetCaption("0");
  lblTotBlocked.SetCaption("0");
  lbltot.SetCaption("0");
  Frame1.SetCaption("Most Recenly Blocked Ad");

  cmdAllow.SetCaption("Allow Ads by Ad Server Name");
  cmdAllowIEPop.SetCaption("Allow IE Popups by URL");
  cmdAllowTitle.SetCaption("Allow Popups by Window Title");
  Frame10.SetCaption("Click a link below to allow the last blocked ad:");
  lblAllowServer.SetCaption("No Ads have been blocked by 'Ad Server Name' yet.");
  lblLastIEPop.SetCaption("No Internet Explorer Popups have been blocked yet.");
  lblLastTitle.SetCaption("No Popup Windows have been closed by Window Title yet.");
  lblAllow1.SetCaption("Click the link above to allow content from the last blocked ad server.");
  lblLastIEPop1.SetCaption("Click the link above to allow popups from a site.");
  lblLastTitle1.SetCaption(
      "You can use Quorlen to close ANY window based on the text in the window title (the text "
      "in the blue bar on every window)");

  Frame12.SetCaption("Logging Data for Recently Blocked Ads");
  cmdLog.SetCaption("Logging");
  Label16.SetCaption(
      "Double click on any entry in the recently blocked ad list for more options to \"allow\" "
      "that content from now on.");
  Label18.SetCaption("Clicking this button shows you the most recent blocked Ads.");

  Label4.SetCaption(
      "* Hold down the ALT, SHIFT, or CTRL (control) key while clicking to temporarily allow "
      "popup windows to open.");
  LabelAsciiCode.SetCaption("ASCII code");
  LabelKeyboardCode.SetCaption("Keyboard code");
  LabelVirtualKeyCode.SetCaption("Virtual Key code");

  cmdClear.SetCaption("Debug");
  chkDebug.SetCaption("Extra Debug");
  cmdOn.SetCaption("WSVR ON");
  cmdOff.SetCaption("WSVR Off");
  cmdTestDomains.SetCaption("TestDomains");
  cmdRemoval.SetCaption("HRem");
  cmdIni.SetCaption("QLH");
  Command1.SetCaption("HF");
  Command2.SetCaption("HB");
  txtStatus.SetText("Popup Status Information\r\n");
}

}  // namespace quorlen
