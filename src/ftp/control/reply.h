#pragma once
// Control-connection replies: classification and the parsers for the replies
// whose text carries data (227, 229, 257).

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ftp {

enum class ReplyClass { Preliminary, Done, More, TransientRefusal, PermanentRefusal, Invalid };

struct Reply {
    int code = 0;
    std::string text;  // all lines joined by '\n', codes included
};

ReplyClass classify(int code);

// "227 Entering Passive Mode (h1,h2,h3,h4,p1,p2)" -> the port p1*256+p2.
// The address is deliberately not returned: we connect to the control peer.
std::optional<std::uint16_t> parsePasvPort(std::string_view text);

// "229 Entering Extended Passive Mode (|||6446|)" -> 6446.
std::optional<std::uint16_t> parseEpsvPort(std::string_view text);

// "257 "/a ""quoted"" dir" is current directory" -> /a "quoted" dir
std::optional<std::string> parsePwdPath(std::string_view text);

// False when a reply with `code` cannot be the answer to a command `verb`:
// its code belongs to other commands only (a 226 ends a transfer, a 229
// answers EPSV, a 257 PWD or MKD...). It is then a late reply to an earlier
// command, and the session is out of step. Codes any command may get (200,
// 250, refusals...) always fit.
bool canAnswer(std::string_view verb, int code);

// True when the argument can be sent on the control connection (no CR, LF, NUL).
bool isSafeArgument(std::string_view argument);

// The reply code that opens a reply line ("123 text", "123-text" or a bare
// "123"), or nothing when the line does not start that way.
std::optional<int> replyLineCode(std::string_view line);

// Builds one reply from control-connection lines (without their CR/LF), both
// the single-line form and the multi-line "123-..." ... "123 ..." form. Pure:
// the socket code feeds it lines, the tests feed it strings.
class ReplyAssembler {
public:
    // A multi-line reply larger than this fails instead of growing further.
    static constexpr std::size_t maxReplySize = 1024 * 1024;

    enum class Progress { NeedMore, Complete, Malformed, TooLarge };

    Progress feed(std::string_view line);
    // The finished reply; valid after feed() returned Complete. Resets for the next one.
    Reply take();

private:
    Reply reply_;
    bool inMultiLine_ = false;
};

} // namespace ftp
