#include "main_window/engine_messages.h"

#include <QCoreApplication>

#include <iterator>

namespace {

// Whole messages, matched exactly.
const char* const wholeMessages[] = {
    QT_TRANSLATE_NOOP("EngineMessage", "Another file is already open on this connection"),
    QT_TRANSLATE_NOOP("EngineMessage", "Cannot make a socket pair for the jump host"),
    QT_TRANSLATE_NOOP("EngineMessage", "Cannot open an SSH channel"),
    QT_TRANSLATE_NOOP("EngineMessage", "Cannot start an SSH session"),
    QT_TRANSLATE_NOOP("EngineMessage", "Cannot take the fingerprint of the server's key"),
    QT_TRANSLATE_NOOP("EngineMessage", "Cannot write down the server's key"),
    QT_TRANSLATE_NOOP("EngineMessage", "Ending the encrypted connection failed"),
    QT_TRANSLATE_NOOP("EngineMessage", "Invalid handle"),
    QT_TRANSLATE_NOOP("EngineMessage", "No download is open"),
    QT_TRANSLATE_NOOP("EngineMessage", "No file is open"),
    QT_TRANSLATE_NOOP("EngineMessage", "No file is open for reading"),
    QT_TRANSLATE_NOOP("EngineMessage", "No file is open for writing"),
    QT_TRANSLATE_NOOP("EngineMessage", "No host name was given"),
    QT_TRANSLATE_NOOP("EngineMessage", "No more files"),
    QT_TRANSLATE_NOOP("EngineMessage", "No path was given"),
    QT_TRANSLATE_NOOP("EngineMessage", "No upload is open"),
    QT_TRANSLATE_NOOP("EngineMessage", "Not connected"),
    QT_TRANSLATE_NOOP("EngineMessage", "Not connected to a server"),
    QT_TRANSLATE_NOOP("EngineMessage", "Sending to the server failed: the connection was closed"),
    QT_TRANSLATE_NOOP("EngineMessage", "The SSH connection failed"),
    QT_TRANSLATE_NOOP("EngineMessage", "The certificate has been revoked."),
    QT_TRANSLATE_NOOP("EngineMessage", "The certificate has expired."),
    QT_TRANSLATE_NOOP("EngineMessage", "The certificate is issued by an authority that is not trusted."),
    QT_TRANSLATE_NOOP("EngineMessage", "The certificate is not valid yet."),
    QT_TRANSLATE_NOOP("EngineMessage", "The certificate is self-signed."),
    QT_TRANSLATE_NOOP("EngineMessage", "The connection is closed"),
    QT_TRANSLATE_NOOP("EngineMessage", "The connection to the server was lost"),
    QT_TRANSLATE_NOOP("EngineMessage", "The control connection was lost"),
    QT_TRANSLATE_NOOP("EngineMessage",
                      "The data connection presented a different certificate than the control connection"),
    QT_TRANSLATE_NOOP("EngineMessage", "The download was closed before the end of the file"),
    QT_TRANSLATE_NOOP("EngineMessage", "The encryption handshake did not finish in time"),
    QT_TRANSLATE_NOOP("EngineMessage", "The encryption handshake failed"),
    QT_TRANSLATE_NOOP("EngineMessage", "The folder listing is too large"),
    QT_TRANSLATE_NOOP("EngineMessage", "The folder listing stopped arriving"),
    QT_TRANSLATE_NOOP("EngineMessage", "The handle is of the wrong kind for this operation"),
    QT_TRANSLATE_NOOP("EngineMessage", "The host, user name or password contains a NUL character"),
    QT_TRANSLATE_NOOP("EngineMessage", "The host, user name or password contains a line break or NUL character"),
    QT_TRANSLATE_NOOP("EngineMessage", "The path contains a NUL character"),
    QT_TRANSLATE_NOOP("EngineMessage", "The path contains a line break or NUL character and cannot be sent"),
    QT_TRANSLATE_NOOP("EngineMessage", "The server answered a listing with something else"),
    QT_TRANSLATE_NOOP("EngineMessage", "The server answered a read with something else"),
    QT_TRANSLATE_NOOP("EngineMessage", "The server answered a write with something else"),
    QT_TRANSLATE_NOOP("EngineMessage", "The server closed the connection"),
    QT_TRANSLATE_NOOP("EngineMessage", "The server closed the connection during the encryption handshake"),
    QT_TRANSLATE_NOOP("EngineMessage", "The server did not accept the connection in time"),
    QT_TRANSLATE_NOOP("EngineMessage", "The server did not answer in time"),
    QT_TRANSLATE_NOOP("EngineMessage", "The server did not answer within the time-out"),
    QT_TRANSLATE_NOOP("EngineMessage", "The server did not end the encrypted connection in time"),
    QT_TRANSLATE_NOOP("EngineMessage", "The server refused the logon"),
    QT_TRANSLATE_NOOP("EngineMessage", "The server sent a reply line that is too long"),
    QT_TRANSLATE_NOOP("EngineMessage", "The server sent a reply that is too long"),
    QT_TRANSLATE_NOOP("EngineMessage", "The server sent an SFTP message that makes no sense"),
    QT_TRANSLATE_NOOP("EngineMessage", "The server sent more after agreeing to encrypt the connection"),
    QT_TRANSLATE_NOOP("EngineMessage", "The server sent no certificate."),
    QT_TRANSLATE_NOOP("EngineMessage", "The server showed no host key"),
    QT_TRANSLATE_NOOP("EngineMessage", "The server stopped accepting data"),
    QT_TRANSLATE_NOOP("EngineMessage", "The server took no data within the time-out"),
    QT_TRANSLATE_NOOP("EngineMessage", "The server's SFTP greeting makes no sense"),
    QT_TRANSLATE_NOOP("EngineMessage", "The session is already open"),
    QT_TRANSLATE_NOOP("EngineMessage", "There is not enough memory for the server's answer"),
    QT_TRANSLATE_NOOP("EngineMessage", "This build cannot speak the protocol asked for in the host name"),
};

// Leads followed by a detail (the system's reason, the server's words),
// which stays as it came.
const char* const leads[] = {
    QT_TRANSLATE_NOOP("EngineMessage", "Cannot connect: "),
    QT_TRANSLATE_NOOP("EngineMessage", "Cannot create a socket: "),
    QT_TRANSLATE_NOOP("EngineMessage", "Cannot open the data connection: "),
    QT_TRANSLATE_NOOP("EngineMessage", "Cannot protect the data connection: "),
    QT_TRANSLATE_NOOP("EngineMessage", "Cannot read the trusted certificates: "),
    QT_TRANSLATE_NOOP("EngineMessage", "Cannot set up encryption: "),
    QT_TRANSLATE_NOOP("EngineMessage", "Closing the file failed: "),
    QT_TRANSLATE_NOOP("EngineMessage", "Ending the encrypted connection failed: "),
    QT_TRANSLATE_NOOP("EngineMessage", "Reading the file failed: "),
    QT_TRANSLATE_NOOP("EngineMessage", "Receiving from the server failed: "),
    QT_TRANSLATE_NOOP("EngineMessage", "Sending to the server failed: "),
    QT_TRANSLATE_NOOP("EngineMessage", "The certificate did not pass the check: "),
    QT_TRANSLATE_NOOP("EngineMessage", "The connection broke: "),
    QT_TRANSLATE_NOOP("EngineMessage", "The connection to the server was lost, and logging on again failed: "),
    QT_TRANSLATE_NOOP("EngineMessage", "The data connection broke: "),
    QT_TRANSLATE_NOOP("EngineMessage", "The encryption handshake failed: "),
    QT_TRANSLATE_NOOP("EngineMessage", "The logon broke off: "),
    QT_TRANSLATE_NOOP("EngineMessage", "The server closed the connection: "),
    QT_TRANSLATE_NOOP("EngineMessage", "The server offers no SFTP: "),
    QT_TRANSLATE_NOOP("EngineMessage", "The server refused a session channel: "),
    QT_TRANSLATE_NOOP("EngineMessage", "The server refused encryption, which this connection requires: "),
    QT_TRANSLATE_NOOP("EngineMessage", "The server refused encryption: "),
    QT_TRANSLATE_NOOP("EngineMessage", "The server sent too many preliminary replies: "),
    QT_TRANSLATE_NOOP("EngineMessage", "The server's certificate was not trusted: "),
    QT_TRANSLATE_NOOP("EngineMessage", "The transfer broke off: "),
    QT_TRANSLATE_NOOP("EngineMessage", "Writing the file failed: "),
};

QString translated(const char* text) { return QCoreApplication::translate("EngineMessage", text); }

} // namespace

QString engineMessage(const QString& text)
{
    for (const char* whole : wholeMessages)
        if (text == QLatin1String(whole))
            return translated(whole);
    // The longest lead that fits: "The server refused encryption, which ..."
    // before a shorter one it might share a start with.
    const char* best = nullptr;
    qsizetype bestLength = 0;
    for (const char* lead : leads) {
        const QLatin1String start(lead);
        if (start.size() > bestLength && text.startsWith(start)) {
            best = lead;
            bestLength = start.size();
        }
    }
    if (!best)
        return text;
    // A detail that is itself a fixed message goes over too ("... failed: The server closed the connection").
    return translated(best) + engineMessage(text.mid(bestLength));
}
