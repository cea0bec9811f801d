#!/bin/sh
# The SFTP subsystem of the latency benchmark's sshd: OpenSSH's sftp-server,
# starting in ROOT, logging every request it takes to LOG-PIPE, where
# run.sh stamps each line with its arrival time.
#
#   logged_sftp_server.sh ROOT LOG-PIPE
exec /usr/lib/openssh/sftp-server -e -l DEBUG3 -d "$1" 2>>"$2"
