#pragma once
// The one FTP connection of the process and the remote folder on show.

#include "engine_choice/endpoint.h"
#include "main_window/ftp_client.h"
#include "main_window/remote_names.h"

#include <QString>

#include <cstdint>

struct ConnectionState {
    HINTERNET sessionHandle = 0;
    HINTERNET connectionHandle = 0;
    QString hostName;
    QString userName;
    QString password;
    std::uint16_t port = 0;     // 0 = the FTP default port
    // The host and port as typed, read once at logon: what the engine logs on
    // to and what the server is remembered under.
    engine_choice::Endpoint endpoint;
    QString currentPath;        // absolute, begins and ends with "/"
    QString searchPattern;      // currentPath followed by the file mask

    bool isConnected() const { return sessionHandle != 0 && connectionHandle != 0; }
};

