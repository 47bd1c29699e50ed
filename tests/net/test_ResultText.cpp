#include "net/ResultText.h"
#include "net/Socket.h"

#include <cerrno>
#include <cstring>

#include <gtest/gtest.h>

using namespace orlinda;

TEST(ResultText, EveryKindHasItsForm)
{
    struct Case {
        int kind, number;
        std::string text;
    };
    const Case cases[] = {
        {0, 0, "OK"},
        {0, 123, "OK"},
        {1, 12002, "The request has timed out"},
        {1, 12007, "The server name could not be resolved"},
        {1, 12029, "The attempt to connect to the server failed"},
        {1, 12031, "The connection with the server has been reset"},
        {2, 200, "Request complete"},
        {2, 206, "Partial GET fulfilled"},
        {2, 404, "Object not found"},
        {2, 407, "Proxy authentication required"},
        {2, 505, "HTTP version not supported"},
        {2, 418, "Undefined HTTP error (418)"},
        {3, ECONNREFUSED, "Socket Error " + std::to_string(ECONNREFUSED) + ": " + std::strerror(ECONNREFUSED)},
        {3, SocketError::CertificateRejected, "Socket Error 20003: The server's certificate was not accepted"},
        {4, ENOENT, "WinAPI Error " + std::to_string(ENOENT) + ": " + std::strerror(ENOENT)},
        {5, 3, "Database not found"},
        {5, -1, "Unknown database error"},
        {5, 77, ""},
        {100, 2, "User abort"},
        {100, 204, "Timeout"},
        {100, 551, "CRC Error"},
        {100, 1000, "Cannot create process"},
        {100, -1, "Unknown error"},
        {100, 3, "Undefined error"},
        {-1, 7, "Unknown result. Error code: 7"},
        {42, -3, "Undefined result. Error code: -3"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ResultText(c.kind, c.number), c.text) << c.kind << "/" << c.number;
}

TEST(ResultText, UnknownInternetNumbersFallBackToTheSystemText)
{
    EXPECT_EQ(ResultText(1, ENOENT), std::strerror(ENOENT));
}
