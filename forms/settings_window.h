#pragma once

#include "core/controls.h"

namespace quorlen {

// Page indexes of the settings window's tab control `A`.
namespace settings_page {
inline constexpr int kAdBlocking = 0;
inline constexpr int kStartup = 1;
inline constexpr int kHelp = 2;
inline constexpr int kSounds = 3;
inline constexpr int kOther = 4;
inline constexpr int kStatus = 5;
inline constexpr int kAllowAds = 6;
inline constexpr int kLogging = 7;
}  // namespace settings_page

// Every control of the settings window `frmMain` and of its tray menu, with the design
// captions. The window's behaviour lives in the components that write these controls;
// the Qt view only mirrors them.
struct SettingsWindow {
  SettingsWindow();

  // Fixed outer size, from the design's 6525 x 6195 twips at 15 twips per pixel.
  static constexpr int kFixedWidth = 435;
  static constexpr int kFixedHeight = 413;

  Window window;

  // Menu bar.
  MenuItem mnuFile, mnuFileOpen, mnuFileSave, mnuFileExit;
  MenuItem mnuOptions, mnuUpdate, mnuVersion, mnuTest, mnuSettingsReset;
  MenuItem mnuUninstall, mnuUninstallFeedback, mnuUninstallUninstall;
  MenuItem mnuHelp, mnuHelpFeedback, mnuHelpTut, mnuHelpWeb, mnuHelpReadMe, mnuHelpAbout;

  // The tray menu, the last top-level menu, in its order. The menu bar shows it only where
  // the desktop has no tray to open it from.
  MenuItem mnuTray;
  MenuItem mnuTraySettings, mnuTrayFeedback, mnuTrayStats, mnuSPC1, mnuTrayAllow, mnuTrayLastPop,
      mnuTrayLastIEPop, mnuSPC2, mnuTrayBlock, mnuTrayBlockTitle, mnuTrayPopups, mnuSPC3,
      mnuTrayExit, mnuTrayClose;

  TabStrip A;
  static constexpr const char* kPageCaptions[8] = {" Ad Blocking", " Startup", " Help / Feedback",
                                                   " Sounds",      " Other",   " Status",
                                                   " Allow Ads",   " Logging"};

  // Page 0 " Ad Blocking".
  Label Frame7;
  CheckBox chkAdServers, chkIEPops;
  Button cmdAddSites, cmdPopupTitles;
  Label Label14, Label15;

  // Page 1 " Startup".
  Label Frame8;
  CheckBox chkStartup, chkAuto;
  Button cmdData2;
  Label Label10;

  // Page 2 " Help / Feedback".
  Label Frame9;
  Button cmdHelpOnline, cmdFeedback, cmdHelpBlock;
  Label Label11, Label12, Label13;

  // Page 3 " Sounds".
  Label Frame5, Frame4;
  CheckBox chkPopSound, chkBannerSound;
  TextBox txtPopWav, txtBannerWav;
  Button cmdBrowsePop, cmdTestPop, cmdBrowseAd, cmdTestAd;

  // Page 4 " Other".
  Label Frame3;
  TextBox txtProxyName;
  Button cmdGuessProxy2, cmdData, cmdTestConn, cmdNew, cmdReset;
  Label Label1, Label6, Label3, Label7, Label8, Label9;

  // Page 5 " Status".
  Label Frame6, lblStatus, Frame2, lblDateUpdate, lblTotHosts, lblTotBlocked, lbltot;
  Label Label5Servers, Label5ToDate, Label5Today;
  Label Frame1, lbltype, lblpage;

  // Page 6 " Allow Ads".
  Button cmdAllow, cmdAllowIEPop, cmdAllowTitle;
  Label Frame10, lblAllowServer, lblLastIEPop, lblLastTitle, lblAllow1, lblLastIEPop1,
      lblLastTitle1;

  // Page 7 " Logging".
  Label Frame12, Label16, Label18;
  Button cmdLog;

  // On the window itself. `picOn` is the picture that shows blocking is on; a click on
  // it opens the feedback window.
  Label Label4, picOn;
  ProgressBar ProgressBar1;
  Label LblKeyName, lblaltkey, LblAsciiCode, LblKeybCode, LblVKeycode;
  Label LabelAsciiCode, LabelKeyboardCode, LabelVirtualKeyCode;

  // The debug area beyond the fixed size.
  TextBox txtStatus;
  Button cmdClear, cmdOn, cmdOff, cmdTestDomains, cmdRemoval, cmdIni, Command1, Command2;
  CheckBox chkDebug;
};

}  // namespace quorlen
