#include "platform/qt/page_input_listener.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>

namespace quorlen {

const QString kPageInputListener = QStringLiteral(
    "(report) => {"
    " const tell = (type, e) => report(JSON.stringify({type, button: e.button, key: e.key,"
    " shift: e.shiftKey, ctrl: e.ctrlKey, alt: e.altKey, at: Date.now()}));"
    // Where the listener reaches the page's own window (Firefox), it tells when the page
    // asks for a window: the browser announces some windows seconds later. A call that
    // only loads into a frame or window already there (its name, or _self, _parent, _top)
    // opens nothing to announce, so its ask is taken back. A frame has a parent other than
    // itself; a new window is still on about:blank when the call returns, while one already
    // there is not, or is another site's.
    " const page = window.wrappedJSObject; let asks = 0;"
    " const reused = (opened, target) => { if (/^_(self|parent|top)$/i.test(String(target ||"
    " ''))) return true; if (!opened) return false; try { return opened.parent !== opened ||"
    " opened.location.href !== 'about:blank'; } catch (e) { return true; } };"
    " if (page && typeof page.open === 'function') { const open = page.open;"
    // A call that throws opened nothing either.
    " page.open = function (...args) { const ask = ++asks; let fresh = false;"
    " report(JSON.stringify({type: 'open', ask, at: Date.now()}));"
    " try { const opened = open.apply(this, args); fresh = !reused(opened, args[1]);"
    " return opened; } finally {"
    " if (!fresh) report(JSON.stringify({type: 'reused', ask, at: Date.now()})); } }; }"
    " const onLink = (e) => { const link = e.target && e.target.closest ?"
    " e.target.closest('a[href], area[href]') : null;"
    " return !!link && !/^\\s*javascript:/i.test(link.getAttribute('href') || ''); };"
    " const ownTab = (e) => { if (e.isTrusted && (e.button === 1 || (e.button === 0 &&"
    " (e.ctrlKey || e.shiftKey || e.metaKey))) && onLink(e)) tell('tab', e); };"
    " window.addEventListener('mousedown', (e) => { if (e.isTrusted) tell('mousedown', e); }, "
    "true);"
    " window.addEventListener('dblclick', (e) => { if (e.isTrusted) tell('dblclick', e); }, true);"
    " window.addEventListener('keydown', (e) => { if (e.isTrusted && !e.repeat &&"
    " /^(Shift|Control|Alt)$/.test(e.key)) tell('keydown', e); }, true);"
    " window.addEventListener('click', ownTab, true);"
    " window.addEventListener('auxclick', ownTab, true); }");

namespace {

// The page's button numbers: 0 the main button, 1 the middle one, 2 the secondary one.
std::optional<int> Button(int button) {
  switch (button) {
    case 0:
      return virtual_key::kLeftButton;
    case 1:
      return virtual_key::kMiddleButton;
    case 2:
      return virtual_key::kRightButton;
    default:
      return std::nullopt;
  }
}

std::optional<int> Modifier(const QString& key) {
  if (key == "Shift") return virtual_key::kShift;
  if (key == "Control") return virtual_key::kControl;
  if (key == "Alt") return virtual_key::kAlt;
  return std::nullopt;
}

}  // namespace

PageReport ParsePageReport(const QString& text, qint64 nowMs) {
  PageReport report;
  const QJsonObject event = QJsonDocument::fromJson(text.toUtf8()).object();
  const QString type = event.value("type").toString();
  // A clock set back meanwhile reads as now; one told of a press a minute ago is not news.
  const qint64 age = nowMs - static_cast<qint64>(event.value("at").toDouble(nowMs));
  report.msAgo = static_cast<int>(std::clamp<qint64>(age, 0, kOldestReportMs));
  if (type == "open" || type == "reused") {
    report.windowAsked = type == "open";
    report.windowReused = type == "reused";
    report.ask = event.value("ask").toInt();
    return report;
  }
  if (type == "tab") {
    report.userTab = true;
    return report;
  }
  PageInput input;
  std::optional<int> code;
  if (type == "mousedown" || type == "dblclick") {
    input.kind = type == "dblclick" ? PageInput::Kind::kDoubleClick : PageInput::Kind::kButtonDown;
    code = Button(event.value("button").toInt(-1));
  } else if (type == "keydown") {
    input.kind = PageInput::Kind::kKeyDown;
    code = Modifier(event.value("key").toString());
  }
  if (!code) return report;
  input.virtualKey = *code;
  input.shift = event.value("shift").toBool();
  input.control = event.value("ctrl").toBool();
  input.alt = event.value("alt").toBool();
  input.msAgo = report.msAgo;
  report.input = input;
  return report;
}

}  // namespace quorlen
