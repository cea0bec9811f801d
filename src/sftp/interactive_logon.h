#pragma once
// Keyboard-interactive logon as the server words it: a prompt that asks for
// the account's password gets the password from the window; every other
// prompt (a one-time code, a PIN, a question) goes to the user with the
// server's name and instruction, hidden where the server says so.

#include <libssh/libssh.h>

#include <string>

namespace session {
class Questions;
}

namespace sftp {

// "Password:", "ann@web's password: ", "Password for ann@web:" in any case,
// hidden as typed; not a new password, nor a one-time one.
bool isPasswordPrompt(const std::string& text, bool echo);

struct InteractiveOutcome {
    int result = SSH_AUTH_DENIED;  // SSH_AUTH_SUCCESS, _DENIED, _PARTIAL or _ERROR
    std::string stopped;           // why the logon ends here: the user cancelled, the server looped
};

// Rounds of prompts until the server decides, at most a bound of them.
// `questions` null: only password prompts can be answered.
InteractiveOutcome answerKeyboardInteractive(ssh_session ssh, const std::string& host, const std::string& password,
                                             session::Questions* questions);

} // namespace sftp
