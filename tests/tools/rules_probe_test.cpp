// The probe's request handling: every op's answer shape and every kind of bad line.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "tools/rules_probe/RulesProbe.h"

namespace {

struct ProbeCase {
  const char* request;
  const char* answer;
};

class ProbeLine : public testing::TestWithParam<ProbeCase> {};

TEST_P(ProbeLine, AnswersAsExpected) {
  EXPECT_EQ(HandleProbeLine(GetParam().request), GetParam().answer) << GetParam().request;
}

INSTANTIATE_TEST_SUITE_P(
    Ops, ProbeLine,
    testing::Values(
        // id is echoed with any JSON value, and only when given.
        ProbeCase{R"({"id":"a","op":"classify","args":{"cards":[5,21]}})",
                  R"({"id":"a","op":"classify","type":2})"},
        ProbeCase{R"({"id":null,"op":"classify","args":{"cards":[]}})",
                  R"({"id":null,"op":"classify","type":0})"},
        ProbeCase{R"({"op":"classify","args":{"cards":[78]},"joker_rule":0})",
                  R"({"op":"classify","type":0})"},
        ProbeCase{R"({"op":"canbeat","args":{"first":[2],"next":[78]},"joker_rule":1})",
                  R"({"op":"canbeat","beats":true})"},
        // Following a single, jokers keep their identity: unchanged copy, false.
        ProbeCase{R"({"op":"resolve","args":{"cards":[78],"turn":[5]}})",
                  R"({"op":"resolve","ok":false,"cards":[78]})"},
        ProbeCase{R"({"op":"sort","args":{"cards":[3,5,21,9,37,25],"mode":1}})",
                  R"({"op":"sort","cards":[37,21,5,25,9,3]})"},
        ProbeCase{R"({"op":"remove","args":{"remove":[9],"hand":[5,7]}})",
                  R"({"op":"remove","ok":false,"hand":[5,7]})"},
        ProbeCase{R"({"op":"find","args":{"hand":[],"turn":[5]}})",
                  R"({"op":"find","ok":false,"cards":[]})"},
        ProbeCase{R"({"op":"list","args":{"hand":[5,21,37],"turn":[]}})",
                  R"({"op":"list","ok":true,"candidates":[[5,21,37]]})"}));

INSTANTIATE_TEST_SUITE_P(
    BadLines, ProbeLine,
    testing::Values(
        ProbeCase{"not json", R"({"error":"not a JSON line"})"},
        ProbeCase{"[1,2]", R"({"error":"a request must be a JSON object"})"},
        ProbeCase{R"({"args":{}})", R"({"error":"op must be a string"})"},
        ProbeCase{R"({"op":"shuffle"})", R"({"error":"unknown op: shuffle"})"},
        ProbeCase{R"({"op":"classify","args":[]})", R"({"error":"args must be an object"})"},
        ProbeCase{R"({"op":"classify"})",
                  R"({"error":"args.cards must be an array of card bytes"})"},
        ProbeCase{R"({"op":"classify","args":{"cards":[256]}})",
                  R"({"error":"args.cards holds a value that is not a byte"})"},
        ProbeCase{R"({"op":"classify","args":{"cards":[1.5]}})",
                  R"({"error":"args.cards holds a value that is not a byte"})"},
        ProbeCase{R"({"op":"canbeat","args":{"first":[3]}})",
                  R"({"error":"args.next must be an array of card bytes"})"},
        ProbeCase{R"({"op":"sort","args":{"cards":[3],"mode":"x"}})",
                  R"({"error":"args.mode must be 0 or 1"})"},
        ProbeCase{R"({"op":"classify","args":{"cards":[3]},"joker_rule":-1})",
                  R"({"error":"joker_rule must be 0 or 1"})"},
        // Blank lines get no answer.
        ProbeCase{"  \t", ""}));

TEST(ProbeLine, OverLongListsReachTheRulesAndAreRefused) {
  std::string cards = "3";
  for (int i = 0; i < 29; ++i) cards += ",3";
  EXPECT_EQ(HandleProbeLine(R"({"op":"resolve","args":{"cards":[)" + cards + R"(],"turn":[]}})"),
            R"({"op":"resolve","ok":false,"cards":[)" + cards + "]}");
  std::string tooMany = "3";
  for (int i = 0; i < 255; ++i) tooMany += ",3";
  EXPECT_EQ(HandleProbeLine(R"({"op":"classify","args":{"cards":[)" + tooMany + "]}}"),
            R"({"error":"args.cards holds more than 255 cards"})");
}

TEST(ProbeSelfCheck, EveryKnownAnswerAgrees) {
  std::ostringstream out;
  EXPECT_EQ(RunProbeSelfCheck(out), 0) << out.str();
}

}  // namespace
