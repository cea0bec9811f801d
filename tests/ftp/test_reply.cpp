// Reply classification, the reply parsers and the assembling of multi-line replies.

#include "ftp/control/reply.h"

#include <gtest/gtest.h>

#include <string>

using ftp::ReplyAssembler;
using ftp::ReplyClass;

TEST(Classify, ByFirstDigitOnly)
{
    EXPECT_EQ(ftp::classify(150), ReplyClass::Preliminary);
    EXPECT_EQ(ftp::classify(125), ReplyClass::Preliminary);
    EXPECT_EQ(ftp::classify(226), ReplyClass::Done);
    EXPECT_EQ(ftp::classify(257), ReplyClass::Done);
    EXPECT_EQ(ftp::classify(331), ReplyClass::More);
    EXPECT_EQ(ftp::classify(350), ReplyClass::More);
    EXPECT_EQ(ftp::classify(421), ReplyClass::TransientRefusal);
    EXPECT_EQ(ftp::classify(451), ReplyClass::TransientRefusal);
    EXPECT_EQ(ftp::classify(530), ReplyClass::PermanentRefusal);
    EXPECT_EQ(ftp::classify(599), ReplyClass::PermanentRefusal);
    EXPECT_EQ(ftp::classify(0), ReplyClass::Invalid);
    EXPECT_EQ(ftp::classify(99), ReplyClass::Invalid);
    EXPECT_EQ(ftp::classify(600), ReplyClass::Invalid);
    EXPECT_EQ(ftp::classify(-226), ReplyClass::Invalid);
}

TEST(PasvReply, PortFromTheRealVariants)
{
    // vsftpd, ProFTPD, pyftpdlib.
    EXPECT_EQ(ftp::parsePasvPort("227 Entering Passive Mode (192,168,1,2,19,137)."), 19 * 256 + 137);
    EXPECT_EQ(ftp::parsePasvPort("227 Entering Passive Mode (127,0,0,1,200,10)"), 200 * 256 + 10);
    // Without parentheses (some Windows servers) and with "=" (old BSD ftpd).
    EXPECT_EQ(ftp::parsePasvPort("227 Entering Passive Mode 10,0,0,1,4,1"), 1025);
    EXPECT_EQ(ftp::parsePasvPort("227 =127,0,0,1,4,2"), 1026);
    // Spaces after the commas.
    EXPECT_EQ(ftp::parsePasvPort("227 Entering Passive Mode (10, 0, 0, 1, 4, 3)"), 1027);
    // Digits in the text before the numbers must not confuse the search.
    EXPECT_EQ(ftp::parsePasvPort("227 Mode 2 ok (1,2,3,4,0,21)"), 21);
    EXPECT_EQ(ftp::parsePasvPort("227 Entering Passive Mode (0,0,0,0,255,255)"), 65535);
}

TEST(PasvReply, MalformedGivesNothing)
{
    EXPECT_FALSE(ftp::parsePasvPort("227 Entering Passive Mode"));
    EXPECT_FALSE(ftp::parsePasvPort("227 Entering Passive Mode (192,168,1,2,19)"));
    EXPECT_FALSE(ftp::parsePasvPort("227 Entering Passive Mode (192,168,1,2,256,1)"));
    EXPECT_FALSE(ftp::parsePasvPort("227 Entering Passive Mode (192,168,1,2,1,1000)"));
    EXPECT_FALSE(ftp::parsePasvPort("227 Entering Passive Mode (1,2,3,4,0,0)"));
    EXPECT_FALSE(ftp::parsePasvPort("227 (a,b,c,d,e,f)"));
    EXPECT_FALSE(ftp::parsePasvPort(""));
}

TEST(EpsvReply, PortFromTheRealVariants)
{
    EXPECT_EQ(ftp::parseEpsvPort("229 Entering Extended Passive Mode (|||6446|)"), 6446);
    EXPECT_EQ(ftp::parseEpsvPort("229 Entering extended passive mode (|||65535|)."), 65535);
    // RFC 2428 allows any printable delimiter.
    EXPECT_EQ(ftp::parseEpsvPort("229 EPSV ok (!!!1234!)"), 1234);
    // A stray parenthesis before the real one.
    EXPECT_EQ(ftp::parseEpsvPort("229 Entering Extended Passive Mode (EPSV) (|||2121|)"), 2121);
}

TEST(EpsvReply, MalformedGivesNothing)
{
    EXPECT_FALSE(ftp::parseEpsvPort("229 Entering Extended Passive Mode"));
    EXPECT_FALSE(ftp::parseEpsvPort("229 Entering Extended Passive Mode (|||0|)"));
    EXPECT_FALSE(ftp::parseEpsvPort("229 Entering Extended Passive Mode (|||65536|)"));
    EXPECT_FALSE(ftp::parseEpsvPort("229 Entering Extended Passive Mode (||6446|)"));
    EXPECT_FALSE(ftp::parseEpsvPort("229 Entering Extended Passive Mode (|||6446)"));
    EXPECT_FALSE(ftp::parseEpsvPort("229 Entering Extended Passive Mode (|||6446|"));
    EXPECT_FALSE(ftp::parseEpsvPort("229 Entering Extended Passive Mode (|||644a|)"));
    EXPECT_FALSE(ftp::parseEpsvPort("229 ("));
}

TEST(PwdReply, QuotedPathWithDoubledQuotes)
{
    EXPECT_EQ(ftp::parsePwdPath("257 \"/\" is the current directory"), "/");
    EXPECT_EQ(ftp::parsePwdPath("257 \"/pub/incoming\" is current directory."), "/pub/incoming");
    EXPECT_EQ(ftp::parsePwdPath("257 \"/a \"\"quoted\"\" dir\" is current directory"), "/a \"quoted\" dir");
    EXPECT_EQ(ftp::parsePwdPath("257 \"/ends with \"\"\"\"\""), "/ends with \"\"");
    EXPECT_EQ(ftp::parsePwdPath("257 \"/with space/\" created"), "/with space/");
    EXPECT_EQ(ftp::parsePwdPath("257 \"\" is odd but empty"), "");
    // Non-ASCII bytes pass through untouched.
    EXPECT_EQ(ftp::parsePwdPath("257 \"/gr\xc3\xbc\xc3\x9f" "e\""), "/gr\xc3\xbc\xc3\x9f" "e");
    // The first line of a multi-line 257 carries the path.
    EXPECT_EQ(ftp::parsePwdPath("257-\"/multi\" is current\n257 end"), "/multi");
}

TEST(PwdReply, UnquotedPathFromLaxServers)
{
    EXPECT_EQ(ftp::parsePwdPath("257 /home/user is the current directory"), "/home/user");
    EXPECT_EQ(ftp::parsePwdPath("257 /"), "/");
}

TEST(PwdReply, MalformedGivesNothing)
{
    EXPECT_FALSE(ftp::parsePwdPath("257 \"/never closed"));
    EXPECT_FALSE(ftp::parsePwdPath("257 current directory unknown"));
    EXPECT_FALSE(ftp::parsePwdPath("257"));
    EXPECT_FALSE(ftp::parsePwdPath(""));
}

TEST(SafeArgument, RefusesLineBreaksAndNul)
{
    EXPECT_TRUE(ftp::isSafeArgument("/pub/a file.txt"));
    EXPECT_TRUE(ftp::isSafeArgument(""));
    EXPECT_TRUE(ftp::isSafeArgument("gr\xc3\xbc\xc3\x9f" "e\t.txt"));
    EXPECT_FALSE(ftp::isSafeArgument("a\r"));
    EXPECT_FALSE(ftp::isSafeArgument("a\nDELE b"));
    EXPECT_FALSE(ftp::isSafeArgument(std::string("a\0b", 3)));
    EXPECT_FALSE(ftp::isSafeArgument(std::string(1, '\0')));
}

TEST(ReplyLineCode, OnlyThreeDigitsThenSpaceDashOrEnd)
{
    EXPECT_EQ(ftp::replyLineCode("220 Welcome"), 220);
    EXPECT_EQ(ftp::replyLineCode("211-Features:"), 211);
    EXPECT_EQ(ftp::replyLineCode("200"), 200);
    EXPECT_FALSE(ftp::replyLineCode("20"));
    EXPECT_FALSE(ftp::replyLineCode("2000 too long"));
    EXPECT_FALSE(ftp::replyLineCode("22a hi"));
    EXPECT_FALSE(ftp::replyLineCode(" 220 hi"));
    EXPECT_FALSE(ftp::replyLineCode(""));
}

TEST(Assembler, SingleLineReply)
{
    ReplyAssembler assembler;
    ASSERT_EQ(assembler.feed("220 pyftpdlib ready.\r"), ReplyAssembler::Progress::Complete);
    const auto reply = assembler.take();
    EXPECT_EQ(reply.code, 220);
    EXPECT_EQ(reply.text, "220 pyftpdlib ready.");
}

TEST(Assembler, MultiLineFeatReplyUntilTheClosingCode)
{
    ReplyAssembler assembler;
    EXPECT_EQ(assembler.feed("211-Features supported:"), ReplyAssembler::Progress::NeedMore);
    EXPECT_EQ(assembler.feed(" EPRT"), ReplyAssembler::Progress::NeedMore);
    EXPECT_EQ(assembler.feed(" MLST type*;perm;size*;modify*;"), ReplyAssembler::Progress::NeedMore);
    // An inner line opening with another code, or with the same code and a dash, does not end it.
    EXPECT_EQ(assembler.feed("200 not the end"), ReplyAssembler::Progress::NeedMore);
    EXPECT_EQ(assembler.feed("211-still not"), ReplyAssembler::Progress::NeedMore);
    EXPECT_EQ(assembler.feed(""), ReplyAssembler::Progress::NeedMore);
    EXPECT_EQ(assembler.feed("211 End"), ReplyAssembler::Progress::Complete);
    const auto reply = assembler.take();
    EXPECT_EQ(reply.code, 211);
    EXPECT_EQ(reply.text, "211-Features supported:\n EPRT\n MLST type*;perm;size*;modify*;\n200 not the end\n"
                          "211-still not\n\n211 End");
    // The next reply starts fresh.
    ASSERT_EQ(assembler.feed("200 OK"), ReplyAssembler::Progress::Complete);
    EXPECT_EQ(assembler.take().text, "200 OK");
}

TEST(Assembler, BareCodeEndsAMultiLineReply)
{
    ReplyAssembler assembler;
    EXPECT_EQ(assembler.feed("220-Hello"), ReplyAssembler::Progress::NeedMore);
    EXPECT_EQ(assembler.feed("220"), ReplyAssembler::Progress::Complete);
}

TEST(Assembler, MalformedFirstLines)
{
    for (const char* line : {"hello", "", "22 short", "2200 long", "099 below range", "600 above range",
                             "abc def", "-220 dash first"}) {
        ReplyAssembler assembler;
        EXPECT_EQ(assembler.feed(line), ReplyAssembler::Progress::Malformed) << line;
    }
}

TEST(LateReplies, CodesOwnedByOtherCommandsCannotAnswer)
{
    struct Case {
        const char* verb;
        int code;
        bool fits;
    };
    for (const Case& c : {Case{"PWD", 257, true}, Case{"PWD", 226, false}, Case{"PASV", 229, false},
                          Case{"EPSV", 257, false}, Case{"EPSV", 229, true}, Case{"RETR", 226, true},
                          Case{"ABOR", 226, true}, Case{"SIZE", 213, true}, Case{"CWD", 213, false},
                          Case{"CWD", 250, true}, Case{"TYPE", 200, true}, Case{"DELE", 550, true},
                          Case{"RNTO", 350, false}, Case{"RNFR", 350, true}, Case{"USER", 331, true}}) {
        EXPECT_EQ(ftp::canAnswer(c.verb, c.code), c.fits) << c.verb << ' ' << c.code;
    }
}

TEST(Assembler, NulAnywhereInAReplyIsMalformed)
{
    using namespace std::string_view_literals;
    ReplyAssembler single;
    EXPECT_EQ(single.feed("257 \"/a\0b\" is here"sv), ReplyAssembler::Progress::Malformed);
    ReplyAssembler multi;
    ASSERT_EQ(multi.feed("211-Features:"), ReplyAssembler::Progress::NeedMore);
    EXPECT_EQ(multi.feed(" MLST\0"sv), ReplyAssembler::Progress::Malformed);
}

TEST(Assembler, EndlessMultiLineReplyStopsAtTheCap)
{
    ReplyAssembler assembler;
    ASSERT_EQ(assembler.feed("220-banner"), ReplyAssembler::Progress::NeedMore);
    const std::string line(1000, 'x');
    ReplyAssembler::Progress progress = ReplyAssembler::Progress::NeedMore;
    std::size_t fed = 0;
    while (progress == ReplyAssembler::Progress::NeedMore && fed < 10 * ReplyAssembler::maxReplySize) {
        progress = assembler.feed(line);
        fed += line.size();
    }
    EXPECT_EQ(progress, ReplyAssembler::Progress::TooLarge);
    EXPECT_LE(fed, ReplyAssembler::maxReplySize + line.size());
}
