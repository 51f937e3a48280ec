#include <gtest/gtest.h>

#include "player/shell/CommandLine.h"
#include "player/shell/Link.h"

namespace {

LinkInfo Parsed(const std::wstring& text) {
    LinkInfo info;
    info.server = L"unchanged";
    EXPECT_TRUE(ParseLink(text, info)) << text;
    return info;
}

TEST(ParseLink, TakesServerPortAndChannel) {
    LinkInfo info = Parsed(L"trova://live.example.net:9000/abc");
    EXPECT_EQ(L"live.example.net", info.server);
    EXPECT_EQ(9000, info.port);
    EXPECT_EQ(L"abc", info.channelId);
}

TEST(ParseLink, MissingPortMeansDefault) {
    LinkInfo info = Parsed(L"trova://global/7f3a9c");
    EXPECT_EQ(L"global", info.server);
    EXPECT_EQ(8081, info.port);
    EXPECT_EQ(L"7f3a9c", info.channelId);
}

TEST(ParseLink, KeepsTheRestOfThePathAsChannel) {
    EXPECT_EQ(L"a/b", Parsed(L"trova://host/a/b").channelId);
}

TEST(ParseLink, RejectsLinksWithoutChannel) {
    LinkInfo info;
    EXPECT_FALSE(ParseLink(L"trova://host/", info));
    EXPECT_FALSE(ParseLink(L"trova://host", info));
    EXPECT_FALSE(ParseLink(L"trova://", info));
    EXPECT_FALSE(ParseLink(L"", info));
    EXPECT_FALSE(ParseLink(L"not a link", info));
}

TEST(ParseLink, SurvivesOversizedInput) {
    LinkInfo info;
    const std::wstring hugeHost = L"trova://" + std::wstring(5000, L'h') + L"/abc";
    EXPECT_FALSE(ParseLink(hugeHost, info));
    // A long channel identifier is still a link, kept whole.
    const std::wstring hugePath = L"trova://host/" + std::wstring(100000, L'c');
    ASSERT_TRUE(ParseLink(hugePath, info));
    EXPECT_EQ(L"host", info.server);
    EXPECT_EQ(std::wstring(100000, L'c'), info.channelId);
}

TEST(ComposeLink, LeavesOutTheDefaultPort) {
    EXPECT_EQ(L"trova://global/abc", ComposeLink({L"global", 8081, L"abc"}));
    EXPECT_EQ(L"trova://global:8082/abc", ComposeLink({L"global", 8082, L"abc"}));
    EXPECT_EQ(L"trova://global:0/abc", ComposeLink({L"global", 0, L"abc"}));
}

TEST(ComposeLink, KeepsTheServerAsGiven) {
    EXPECT_EQ(L"trova:///abc", ComposeLink({L"", 8081, L"abc"}));
    EXPECT_EQ(L"trova://:9/abc", ComposeLink({L"", 9, L"abc"}));
    EXPECT_EQ(L"", ComposeLink({L"global", 8081, L""}));
}

TEST(ComposeLink, RoundTripsAParsedLink) {
    EXPECT_EQ(L"trova://host/abc", ComposeLink(Parsed(L"trova://host:8081/abc")));
    EXPECT_EQ(L"trova://host:1234/abc", ComposeLink(Parsed(L"trova://host:1234/abc")));
}

CommandLineArgs Split(const wchar_t* line) {
    CommandLineArgs args;
    SplitCommandLine(line, args);
    return args;
}

TEST(CommandLine, KeepsTheFirstThreeArguments) {
    CommandLineArgs args = Split(L"\"C:\\p q\\TrovaPlayer6.exe\" -trova \"trova://h/a b\" extra");
    EXPECT_EQ(L"C:\\p q\\TrovaPlayer6.exe", args.program);
    EXPECT_EQ(L"-trova", args.first);
    EXPECT_EQ(L"trova://h/a b", args.second);
    EXPECT_EQ(L"", Split(L"TrovaPlayer6.exe").program);
}

TEST(CommandLine, LinkRequestMatchesSwitchInAnyCaseButSchemeOnlyInLowerCase) {
    CommandLineArgs args = Split(L"p.exe -TROVA trova://host/abc");
    EXPECT_TRUE(IsLinkRequest(args));
    EXPECT_EQ(L"-trova", args.first);
    args = Split(L"p.exe -trova TROVA://host/abc");
    EXPECT_FALSE(IsLinkRequest(args));
    args = Split(L"p.exe -trova trova://");
    EXPECT_FALSE(IsLinkRequest(args));
    args = Split(L"p.exe -trova trova://x");
    EXPECT_TRUE(IsLinkRequest(args));
    args = Split(L"p.exe -trova http://host/abc");
    EXPECT_FALSE(IsLinkRequest(args));
    args = Split(L"p.exe -trova");
    EXPECT_FALSE(IsLinkRequest(args));
}

TEST(CommandLine, RequestedLinkIsHandedOnInItsNormalForm) {
    CommandLineArgs args = Split(L"p.exe -TROVA trova://global:8081/abc");
    EXPECT_EQ(L"trova://global/abc", RequestedLink(args));
    args = Split(L"p.exe -trova trova://global:9000/abc");
    EXPECT_EQ(L"trova://global:9000/abc", RequestedLink(args));
    args = Split(L"p.exe -trova trova://global/");
    EXPECT_EQ(L"", RequestedLink(args)) << "no channel: no link";
    args = Split(L"p.exe -startmin trova://global/abc");
    EXPECT_EQ(L"", RequestedLink(args));
}

TEST(CommandLine, StartMinimisedInAnyCase) {
    CommandLineArgs args = Split(L"p.exe -StartMin");
    EXPECT_TRUE(IsStartMinimised(args));
    args = Split(L"p.exe -startmin2");
    EXPECT_FALSE(IsStartMinimised(args));
    args = Split(L"p.exe");
    EXPECT_FALSE(IsStartMinimised(args));
}

}  // namespace
