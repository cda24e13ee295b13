#include "vmouse/vmouse_command.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "devport/presence_choice.h"

namespace kestra {
namespace {

using vmouse::Command;
using vmouse::ParseCommand;
using vmouse::Verb;

bool Parse(std::vector<std::string> args, Command* c, std::string* error = nullptr) {
    return ParseCommand(args, c, error);
}

TEST(VmouseCommand, StartWithAndWithoutFirmware) {
    Command c;
    ASSERT_TRUE(Parse({"start"}, &c));
    EXPECT_EQ(Verb::kStart, c.verb);
    EXPECT_FALSE(c.firmwareGiven);
    EXPECT_EQ(2, c.major);
    EXPECT_EQ(3, c.minor);

    ASSERT_TRUE(Parse({"start", "--firmware", "0.255"}, &c));
    EXPECT_TRUE(c.firmwareGiven);
    EXPECT_EQ(0, c.major);
    EXPECT_EQ(255, c.minor);

    std::string error;
    for (const char* bad : {"2", "2.", ".3", "2.3.4", "256.1", "2.-1", "a.b", "2,3", " 2.3", ""}) {
        EXPECT_FALSE(Parse({"start", "--firmware", bad}, &c, &error)) << bad;
        EXPECT_FALSE(error.empty());
    }
    EXPECT_FALSE(Parse({"start", "--firmware"}, &c));
    EXPECT_FALSE(Parse({"start", "2.3"}, &c));
    EXPECT_FALSE(Parse({"start", "--firmware=2.3"}, &c));
}

TEST(VmouseCommand, EventWordsInHexOrDecimalWithinSixteenBits) {
    Command c;
    ASSERT_TRUE(Parse({"event", "0x4000", "0x0004"}, &c));
    EXPECT_EQ(Verb::kEvent, c.verb);
    EXPECT_EQ(0x4000, c.code);
    EXPECT_EQ(4, c.value);
    ASSERT_TRUE(Parse({"event", "0XfFfF", "65535"}, &c));
    EXPECT_EQ(0xFFFF, c.code);
    EXPECT_EQ(0xFFFF, c.value);
    ASSERT_TRUE(Parse({"event", "0", "0x0"}, &c));
    EXPECT_EQ(0, c.code);
    EXPECT_EQ(0, c.value);

    uint16_t v = 7;
    for (const char* bad : {"65536", "0x10000", "0x", "", "-1", "+1", "4000h", "0x4g", "1e3", "12 ",
                            "99999999999999999999", "0x000000000000000010000"}) {
        EXPECT_FALSE(vmouse::ParseWord(bad, &v)) << bad;
    }
    EXPECT_EQ(7, v);  // untouched by a failed parse
    EXPECT_TRUE(vmouse::ParseWord("0x00000000000000004000", &v));
    EXPECT_EQ(0x4000, v);

    std::string error;
    EXPECT_FALSE(Parse({"event", "0x4000"}, &c, &error));
    EXPECT_FALSE(Parse({"event", "0x4000", "4", "5"}, &c));
    EXPECT_FALSE(Parse({"event", "0x4000", "junk"}, &c, &error));
    EXPECT_NE(std::string::npos, error.find("junk"));
}

TEST(VmouseCommand, BounceCountAndGapWithinTheirLimits) {
    Command c;
    ASSERT_TRUE(Parse({"bounce", "18"}, &c));
    EXPECT_EQ(Verb::kBounce, c.verb);
    EXPECT_EQ(18u, c.count);
    EXPECT_EQ(0u, c.gapMs);
    ASSERT_TRUE(Parse({"bounce", "1000", "10000"}, &c));
    EXPECT_EQ(1000u, c.count);
    EXPECT_EQ(10000u, c.gapMs);
    for (std::vector<std::string> bad :
         std::vector<std::vector<std::string>>{{"bounce"},
                                               {"bounce", "0"},
                                               {"bounce", "1001"},
                                               {"bounce", "5", "10001"},
                                               {"bounce", "-1"},
                                               {"bounce", "5", "x"},
                                               {"bounce", "5", "1", "1"}}) {
        EXPECT_FALSE(Parse(bad, &c)) << bad.size();
    }
}

TEST(VmouseCommand, UnplugAfterTakesACountOrZero) {
    Command c;
    ASSERT_TRUE(Parse({"unplug-after", "44"}, &c));
    EXPECT_EQ(Verb::kUnplugAfter, c.verb);
    EXPECT_EQ(44u, c.count);
    ASSERT_TRUE(Parse({"unplug-after", "0"}, &c));
    EXPECT_EQ(0u, c.count);
    for (std::vector<std::string> bad : std::vector<std::vector<std::string>>{
             {"unplug-after"}, {"unplug-after", "1000001"}, {"unplug-after", "x"},
             {"unplug-after", "1", "2"}}) {
        EXPECT_FALSE(Parse(bad, &c)) << bad.size();
    }
}

TEST(VmouseCommand, RefuseTakesOnOrOff) {
    Command c;
    ASSERT_TRUE(Parse({"refuse", "on"}, &c));
    EXPECT_EQ(Verb::kRefuse, c.verb);
    EXPECT_TRUE(c.on);
    ASSERT_TRUE(Parse({"refuse", "off"}, &c));
    EXPECT_FALSE(c.on);
    for (std::vector<std::string> bad : std::vector<std::vector<std::string>>{
             {"refuse"}, {"refuse", "yes"}, {"refuse", "on", "off"}}) {
        EXPECT_FALSE(Parse(bad, &c)) << bad.size();
    }
}

TEST(VmouseCommand, PlainVerbsLogAndJunk) {
    const struct {
        const char* word;
        Verb verb;
    } plain[] = {{"stop", Verb::kStop},   {"plug", Verb::kPlug}, {"unplug", Verb::kUnplug},
                 {"state", Verb::kState}, {"log", Verb::kLog},   {"help", Verb::kHelp}};
    for (const auto& p : plain) {
        Command c;
        ASSERT_TRUE(Parse({p.word}, &c)) << p.word;
        EXPECT_EQ(p.verb, c.verb) << p.word;
    }
    Command c;
    ASSERT_TRUE(Parse({"log", "--clear"}, &c));
    EXPECT_EQ(Verb::kClearLog, c.verb);

    // A failed parse leaves the command as it was.
    c.verb = Verb::kStop;
    for (std::vector<std::string> bad :
         std::vector<std::vector<std::string>>{{},
                                               {"STOP"},
                                               {"unplugged"},
                                               {"plug", "now"},
                                               {"state", "--all"},
                                               {"log", "--clear", "--clear"},
                                               {"log", "clear"},
                                               {""}}) {
        std::string error;
        EXPECT_FALSE(Parse(bad, &c, &error));
        EXPECT_FALSE(error.empty());
    }
    EXPECT_EQ(Verb::kStop, c.verb);
}

using devport::MousePresent;
using devport::MouseSources;
using devport::PresenceMessage;
using devport::PresenceReport;

MouseSources Sources(bool running, bool plugged, bool hid) {
    MouseSources s;
    s.virtualRunning = running;
    s.virtualPlugged = plugged;
    s.hidPresent = hid;
    return s;
}

TEST(PresenceChoice, ARunningVirtualMouseTakesTheRealOnesPlace) {
    EXPECT_FALSE(MousePresent(Sources(false, false, false)));
    EXPECT_TRUE(MousePresent(Sources(false, false, true)));
    EXPECT_TRUE(MousePresent(Sources(true, true, false)));
    // Unplugged, it hides a real mouse as well.
    EXPECT_FALSE(MousePresent(Sources(true, false, true)));
    // Plugged is meaningless while it does not run.
    EXPECT_FALSE(MousePresent(Sources(false, true, false)));
}

TEST(PresenceChoice, OnlyChangesOfTheCombinedAnswerAreReported) {
    PresenceReport report(Sources(false, false, true));
    EXPECT_TRUE(report.Present());
    // The state at the start is not news.
    EXPECT_EQ(PresenceMessage::kNone, report.Update(Sources(false, false, true)));
    // A virtual mouse starting plugged replaces a present real one silently.
    EXPECT_EQ(PresenceMessage::kNone, report.Update(Sources(true, true, true)));
    EXPECT_EQ(PresenceMessage::kRemoval, report.Update(Sources(true, false, true)));
    EXPECT_EQ(PresenceMessage::kNone, report.Update(Sources(true, false, true)));
    // Stopping an unplugged virtual mouse gives the real one back.
    EXPECT_EQ(PresenceMessage::kArrival, report.Update(Sources(false, false, true)));
    EXPECT_EQ(PresenceMessage::kRemoval, report.Update(Sources(false, false, false)));
    EXPECT_EQ(PresenceMessage::kArrival, report.Update(Sources(true, true, false)));
    // A virtual mouse that stops or crashes is a removal.
    EXPECT_EQ(PresenceMessage::kRemoval, report.Update(Sources(false, false, false)));
    EXPECT_FALSE(report.Present());
}

}  // namespace
}  // namespace kestra
