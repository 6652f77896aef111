// How the launcher passes messages between the program and the browser it holds: which
// session a program's DevTools command goes to, where each browser message goes, and what
// a program that leaves Firefox's held session leaves behind (nothing).
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "launcher/bidi_relay.h"
#include "launcher/devtools_relay.h"

namespace quorlen {
namespace {

QJsonObject Object(const QByteArray& text) { return QJsonDocument::fromJson(text).object(); }

TEST(DevToolsRouting, TheProgramsTopLevelIsItsOwnSessionAndThePipesOwnStaysTheLaunchers) {
  // The program's top-level command goes to its session; a page session's goes as it is.
  EXPECT_EQ(
      Object(*ToBrowserSession(R"({"id":1,"method":"Target.getTargets"})", "P")).value("sessionId"),
      "P");
  EXPECT_EQ(Object(*ToBrowserSession(R"({"id":2,"method":"Page.enable","sessionId":"C"})", "P"))
                .value("sessionId"),
            "C");
  EXPECT_FALSE(ToBrowserSession("not json", "P"));

  struct Case {
    const char* name;
    QByteArray message;
    QString session;
    bool toProgram;
    bool sessionLeft;  // whether the message reaching the program names a session
  };
  const Case cases[] = {
      {"the program's answer, as top level", R"({"id":1,"result":{},"sessionId":"P"})", "P", true,
       false},
      {"an event of a page session", R"({"method":"Page.loadEventFired","sessionId":"C"})", "P",
       true, true},
      {"the launcher's own answer", R"({"id":1,"result":{}})", "P", false, false},
      {"an event of the pipe's session", R"({"method":"Target.detachedFromTarget","params":{}})",
       "P", false, false},
      {"anything while no program is joined", R"({"id":1,"sessionId":"P"})", "", false, false},
      {"a message that is no JSON", "{\"id\":", "P", false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DevToolsRoute route = FromBrowserSession(c.message, c.session);
    EXPECT_EQ(route.toProgram, c.toProgram);
    if (c.toProgram) {
      EXPECT_EQ(Object(route.message).contains("sessionId"), c.sessionLeft);
    }
  }
}

TEST(BiDiProgramStateTest, WhatTheProgramSetUpAndDidNotTakeBackIsTakenBackOnce) {
  BiDiProgramState state;
  auto sent = [&](int id, const char* method, QJsonObject params = {}) {
    state.Sent({{"id", id}, {"method", method}, {"params", params}});
  };
  auto answered = [&](int id, const char* method, QJsonObject result) {
    sent(id, method);
    state.Answered({{"type", "success"}, {"id", id}, {"result", result}});
  };
  answered(1, "session.subscribe", {{"subscription", "S1"}});
  answered(2, "session.subscribe", {{"subscription", "S2"}});
  answered(3, "network.addIntercept", {{"intercept", "I1"}});
  answered(4, "network.addIntercept", {{"intercept", "I2"}});
  answered(5, "script.addPreloadScript", {{"script", "P1"}});
  // An answer to a command that sets up nothing.
  answered(6, "browsingContext.getTree", {{"subscription", "not one"}});
  // The program took some back itself.
  sent(7, "session.unsubscribe", {{"subscriptions", QJsonArray{"S1"}}});
  sent(8, "network.removeIntercept", {{"intercept", "I1"}});

  std::vector<std::string> back;
  for (const QJsonObject& command : state.TakeBack()) {
    back.push_back(QJsonDocument(command).toJson(QJsonDocument::Compact).toStdString());
  }
  EXPECT_EQ(back, (std::vector<std::string>{
                      R"({"method":"session.unsubscribe","params":{"subscriptions":["S2"]}})",
                      R"({"method":"network.removeIntercept","params":{"intercept":"I2"}})",
                      R"({"method":"script.removePreloadScript","params":{"script":"P1"}})"}));
  EXPECT_TRUE(state.TakeBack().empty());
}

}  // namespace
}  // namespace quorlen
