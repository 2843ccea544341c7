#pragma once

// The IP Helper declarations, after the one gate to <windows.h>: Winsock 2 must come before
// iphlpapi.h for the socket-address types of the tables.
#include "platform/win32/windows_include.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <iphlpapi.h>
#include <netioapi.h>
