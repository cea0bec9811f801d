#include "support/test_ftp_server.h"
