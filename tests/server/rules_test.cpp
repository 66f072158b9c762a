// The server's checks that need no network or database: what a request may carry, the
// escaping of players' text, the reading of the verifier's answer and the rate limits.
#include <gtest/gtest.h>

#include "server/json.h"
#include "server/rate_limit.h"
#include "server/request_rules.h"
#include "server/verdict.h"

namespace {

TEST(RequestRules, NamesSecretsAndIds) {
    EXPECT_TRUE(ValidName("a"));
    EXPECT_TRUE(ValidName("x' OR 1=1; --"));
    EXPECT_TRUE(ValidName(std::string(16, 'n')));
    EXPECT_FALSE(ValidName(""));
    EXPECT_FALSE(ValidName(std::string(17, 'n')));
    EXPECT_FALSE(ValidName("tab\there"));
    EXPECT_FALSE(ValidName("caf\xc3\xa9"));
    EXPECT_FALSE(ValidName(std::string("nul\0x", 5)));

    EXPECT_TRUE(ValidSecret(std::string(16, 's')));
    EXPECT_FALSE(ValidSecret(std::string(15, 's')));
    EXPECT_FALSE(ValidSecret(std::string(129, 's')));
    EXPECT_FALSE(ValidSecret("with a space in it!"));

    EXPECT_TRUE(ValidRunId("0123456789abcdef"));
    EXPECT_FALSE(ValidRunId("0123456789ABCDEF"));
    EXPECT_FALSE(ValidRunId("0123456789abcde"));
    EXPECT_FALSE(ValidRunId("' OR 1=1; --xxxx"));
}

TEST(RequestRules, LimitsAndLengths) {
    EXPECT_EQ(ParseLimit("", false), 100);
    EXPECT_EQ(ParseLimit("1", true), 1);
    EXPECT_EQ(ParseLimit("1000", true), 1000);
    for (const char* bad : {"", "0", "1001", "-5", "10x", "99999999999999999999", " 5"}) {
        EXPECT_EQ(ParseLimit(bad, true), std::nullopt) << bad;
    }
    EXPECT_EQ(ParseLength("65536"), 65536u);
    EXPECT_EQ(ParseLength(" 12 "), 12u);
    // Too long to hold is not a small number wrapped round.
    EXPECT_EQ(ParseLength("99999999999999999999999"), std::nullopt);
    EXPECT_EQ(ParseLength("-1"), std::nullopt);
    EXPECT_EQ(ParseLength("0x10"), std::nullopt);
}

TEST(RequestRules, ForwardedAddressTrustedOnlyFromTheProxy) {
    EXPECT_EQ(ClientAddress("10.0.0.9", "", "1.2.3.4"), "10.0.0.9");
    EXPECT_EQ(ClientAddress("10.0.0.9", "10.0.0.1", "1.2.3.4"), "10.0.0.9");
    // The proxy appends the peer it saw: earlier entries are the client's own claims.
    EXPECT_EQ(ClientAddress("10.0.0.1", "10.0.0.1", "6.6.6.6, 1.2.3.4"), "1.2.3.4");
    EXPECT_EQ(ClientAddress("10.0.0.1", "10.0.0.1", "::1"), "::1");
    EXPECT_EQ(ClientAddress("10.0.0.1", "10.0.0.1", ""), "10.0.0.1");
    EXPECT_EQ(ClientAddress("10.0.0.1", "10.0.0.1", "evil<script>"), "10.0.0.1");
}

TEST(Escaping, JsonIsStrictAndHtmlSafe) {
    EXPECT_EQ(JsonString("x' OR 1=1; --"), "\"x' OR 1=1; --\"");
    EXPECT_EQ(JsonString("a\"b\\c"), "\"a\\\"b\\\\c\"");
    EXPECT_EQ(JsonString(std::string("\n\t\x01\x7f", 4)), "\"\\u000a\\u0009\\u0001\\u007f\"");
    EXPECT_EQ(JsonString("</script>&"), "\"\\u003c/script\\u003e\\u0026\"");
    EXPECT_EQ(JsonString("caf\xc3\xa9"), "\"caf\xc3\xa9\"");
    // Broken UTF-8 (a lone continuation, an overlong form, a cut sequence, a surrogate).
    EXPECT_EQ(JsonString("\x80"), "\"\\ufffd\"");
    EXPECT_EQ(JsonString("\xc0\xaf"), "\"\\ufffd\\ufffd\"");
    EXPECT_EQ(JsonString("\xe2\x82"), "\"\\ufffd\\ufffd\"");
    EXPECT_EQ(JsonString("\xed\xa0\x80"), "\"\\ufffd\\ufffd\\ufffd\"");
    EXPECT_EQ(HtmlText("<a href=\"x\">'&'</a>"), "&lt;a href=&quot;x&quot;&gt;&#39;&amp;&#39;&lt;/a&gt;");
}

Verdict Read(int code, const std::string& out, const std::string& err = "") {
    return ReadVerdict(VerifierEnd{true, code, false}, out, err);
}

TEST(VerifierAnswer, TheLastClearIsTheRuns) {
    const Verdict v = Read(0,
                           "clear 1: play time 9000 ms, score 0\nplayer: someone\ndate: 2026-12-08\n"
                           "clear 2: play time 2561 ms, score 3439\ninputs: 0123456789abcdef\n"
                           "the demo plays back as recorded: 542 frames\n");
    EXPECT_EQ(v.kind, Verdict::Kind::Verified);
    EXPECT_EQ(v.score, 3439);
    EXPECT_EQ(v.timeMs, 2561);
    EXPECT_EQ(v.inputs, "0123456789abcdef");
    // A malformed digest is not taken for one.
    EXPECT_EQ(Read(0, "clear 1: play time 1 ms, score 5999\ninputs: xyz\n").inputs, "");
}

TEST(VerifierAnswer, RefusalsSayWhy) {
    EXPECT_EQ(Read(0, "the demo plays back as recorded: 10 frames\n").reason, "no clear");
    const Verdict differs = Read(1, "clear 1: play time 2561 ms, score 3439\n",
                                 "lantern-blade: the demo was recorded by version 1.0, this is 1.1\n"
                                 "lantern-blade: the demo differs at frame 12: a frame's check\n");
    EXPECT_EQ(differs.kind, Verdict::Kind::Refused);
    EXPECT_EQ(differs.reason, "the demo differs at frame 12: a frame's check");
    EXPECT_EQ(Read(2, "", "lantern-blade: x is not a readable demo: cut short\n").reason,
              "x is not a readable demo: cut short");
    // Without a line on stderr the last word on stdout is the reason.
    EXPECT_EQ(Read(1, "the demo differs at frame 3: another key\n").reason, "the demo differs at frame 3: another key");
    EXPECT_EQ(Read(2, "").reason, "not an acceptable demo");
    EXPECT_EQ(Read(134, "").kind, Verdict::Kind::Refused);
    EXPECT_EQ(ReadVerdict(VerifierEnd{false, 24, false}, "", "").reason, "the replay stopped on signal 24");
    EXPECT_EQ(ReadVerdict(VerifierEnd{false, 9, true}, "clear 1: play time 5 ms, score 5995\n", "").reason,
              "the replay took too long");
}

TEST(VerifierAnswer, ABrokenSandboxIsNoVerdict) {
    const Verdict v = Read(1, "", "bwrap: No permissions to creating new namespace\n");
    EXPECT_EQ(v.kind, Verdict::Kind::NoSandbox);
}

TEST(RateLimits, ABucketPerKeyRefillsOverAMinute) {
    RateLimit limit(3);
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(limit.Allow("a", 0));
    EXPECT_FALSE(limit.Allow("a", 0));
    EXPECT_TRUE(limit.Allow("b", 0));
    EXPECT_FALSE(limit.Allow("a", 19000));
    EXPECT_TRUE(limit.Allow("a", 20000));
    // A clock that steps back gives nothing back.
    EXPECT_FALSE(limit.Allow("a", 1000));
    RateLimit off(0);
    for (int i = 0; i < 100; ++i) EXPECT_TRUE(off.Allow("a", 0));
}

TEST(RateLimits, ManyAddressesDoNotGrowTheTableWithoutBound) {
    RateLimit limit(2);
    for (int i = 0; i < 120000; ++i) limit.Allow("10." + std::to_string(i), i);
    // Still limiting after the flood.
    EXPECT_TRUE(limit.Allow("x", 200000));
    EXPECT_TRUE(limit.Allow("x", 200000));
    EXPECT_FALSE(limit.Allow("x", 200000));
}

}  // namespace
