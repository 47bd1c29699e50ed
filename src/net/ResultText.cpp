#include "net/ResultText.h"

#include "net/Socket.h"

#include <cstring>
#include <string>

namespace orlinda {

namespace {

struct Row {
    int number;
    const char* text;
};

const Row InternetRows[] = {
    {12001, "No more handles could be generated at this time"},
    {12002, "The request has timed out"},
    {12003, "An extended error was returned from the server"},
    {12004, "An internal error has occurred"},
    {12005, "The URL is invalid"},
    {12006, "The URL scheme could not be recognized, or is not supported"},
    {12007, "The server name could not be resolved"},
    {12008, "The requested protocol could not be located"},
    {12009, "A request specified an invalid option value"},
    {12010, "The length of an option supplied is incorrect for the type of option specified"},
    {12011, "The request option cannot be set, only queried"},
    {12012, "The internet function support is being shut down or unloaded"},
    {12013, "The request to connect and log on to an FTP server could not be completed because the supplied user name is incorrect"},
    {12014, "The request to connect and log on to an FTP server could not be completed because the supplied password is incorrect"},
    {12015, "The request to connect to and log on to an FTP server failed"},
    {12016, "The requested operation is invalid"},
    {12017, "The operation was canceled, usually because the handle on which the request was operating was closed before the operation completed"},
    {12018, "The type of handle supplied is incorrect for this operation"},
    {12019, "The requested operation cannot be carried out because the handle supplied is not in the correct state"},
    {12020, "The request cannot be made via a proxy"},
    {12021, "A required registry value could not be located"},
    {12022, "A required registry value was located but is an incorrect type or has an invalid value"},
    {12023, "Direct network access cannot be made at this time"},
    {12024, "An asynchronous request could not be made because a zero context value was supplied"},
    {12025, "An asynchronous request could not be made because a callback function has not been set"},
    {12026, "The required operation could not be completed because one or more requests are pending"},
    {12027, "The format of the request is invalid"},
    {12028, "The requested item could not be located"},
    {12029, "The attempt to connect to the server failed"},
    {12030, "The connection with the server has been terminated"},
    {12031, "The connection with the server has been reset"},
    {12032, "The request needs to be redone"},
    {12033, "The request to the proxy was invalid"},
    {12036, "The request failed because the handle already exists"},
    {12037, "The date of the server's SSL certificate is bad: the certificate is expired"},
    {12038, "The common name (host name field) of the server's SSL certificate is incorrect"},
    {12039, "The application is moving from a non-SSL to an SSL connection because of a redirect"},
    {12040, "The application is moving from an SSL to a non-SSL connection because of a redirect"},
    {12041, "The content is not entirely secure: some of it may have come from unsecured servers"},
    {12042, "The application is posting and attempting to change multiple lines of text on a server that is not secure"},
    {12043, "The application is posting data to a server that is not secure"},
    {12110, "The requested operation cannot be made on the FTP session handle because an operation is already in progress"},
    {12111, "The FTP operation was not completed because the session was aborted"},
    {12130, "An error was detected while parsing data returned from the Gopher server"},
    {12131, "The request must be made for a file locator"},
    {12132, "An error was detected while receiving data from the Gopher server"},
    {12133, "The end of the data has been reached"},
    {12134, "The supplied locator is not valid"},
    {12135, "The type of the locator is not correct for this operation"},
    {12136, "The requested operation can only be made against a Gopher+ server, or with a locator that specifies a Gopher+ operation"},
    {12137, "The requested attribute could not be located"},
    {12138, "The locator type is unknown"},
    {12150, "The requested header could not be located"},
    {12151, "The server did not return any headers"},
    {12152, "The server response could not be parsed"},
    {12153, "The supplied header is invalid"},
    {12154, "The request made to query the headers is invalid"},
    {12155, "The header could not be added because it already exists"},
};

const Row HttpRows[] = {
    {100, "OK to continue with request"},
    {101, "Server has switched protocols in upgrade header"},
    {200, "Request complete"},
    {201, "Object created, reason = new URI"},
    {202, "Async completion (TBS)"},
    {203, "Partial completion"},
    {204, "No information to return"},
    {205, "Request completed, clear form"},
    {206, "Partial GET fulfilled"},
    {300, "Server could not determine what to return"},
    {301, "Object permanently moved"},
    {302, "Object temporarily moved"},
    {303, "Redirection with new access method"},
    {304, "Resource has not been modified"},
    {305, "Redirection to proxy, location header specifies proxy to use"},
    {307, "HTTP/1.1: keep same verb"},
    {400, "Invalid syntax"},
    {401, "Access denied"},
    {402, "Payment required"},
    {403, "Request forbidden"},
    {404, "Object not found"},
    {405, "Method is not allowed"},
    {406, "No response acceptable to client found"},
    {407, "Proxy authentication required"},
    {408, "Server timed out waiting for request"},
    {409, "User should resubmit with more info"},
    {410, "Resource is no longer available"},
    {411, "Server refused to accept request without a length"},
    {412, "Precondition given in request failed"},
    {413, "Request entity was too large"},
    {414, "Request Uniform Resource Identifier (URI) too long"},
    {415, "Unsupported media type"},
    {449, "Retry after doing the appropriate action"},
    {500, "Internal server error"},
    {501, "Server does not support the functionality required to fulfill the request"},
    {502, "Error response received from gateway"},
    {503, "Temporarily overloaded"},
    {504, "Timed out waiting for gateway"},
    {505, "HTTP version not supported"},
};

const Row DatabaseRows[] = {
    {0, "OK"},
    {1, "Cannot create a database"},
    {2, "Cannot open a database"},
    {3, "Database not found"},
    {4, "Database already exists"},
    {5, "Cannot execute a query"},
    {-1, "Unknown database error"},
};

const Row GeneralRows[] = {
    {0, "OK"},
    {1, "Not ready"},
    {2, "User abort"},
    {50, "Maximum size exceeded"},
    {51, "Insufficient size"},
    {52, "Incorrect data size"},
    {53, "Object size has changed"},
    {100, "Path not found"},
    {101, "File not found"},
    {102, "Incorrect filename"},
    {103, "Cannot create folder"},
    {104, "Cannot create file"},
    {105, "Cannot open file"},
    {106, "Cannot load file"},
    {107, "Cannot save file"},
    {108, "Filesize changed"},
    {200, "Unknown operation"},
    {201, "Operation not supported"},
    {202, "Operation already in process"},
    {203, "Max retries count exceeded"},
    {204, "Timeout"},
    {501, "Unassigned parameter"},
    {502, "Assignment failed"},
    {550, "Incorrect data format"},
    {551, "CRC Error"},
    {601, "Cannot create stream"},
    {602, "Cannot save data to stream"},
    {603, "Cannot load data from stream"},
    {604, "Stream write error"},
    {605, "Stream read error"},
    {606, "Stream seek error"},
    {650, "Section not found"},
    {651, "Incorrect section name"},
    {701, "Object is locked"},
    {702, "Object is not locked"},
    {703, "Cannot unlock object"},
    {801, "No ID specified"},
    {802, "Incorrect ID"},
    {850, "Cannot retrieve parameters list"},
    {900, "The password specified is incorrect"},
    {901, "Module access denied"},
    {902, "Insufficient rights"},
    {903, "Cannot load user list"},
    {904, "Cannot load group list"},
    {905, "Cannot load permissions"},
    {906, "Cannot load module permissions"},
    {907, "Cannot save user list"},
    {908, "Cannot save group list"},
    {909, "Cannot save permissions"},
    {910, "Cannot save module permissions"},
    {911, "Incorrect permission key"},
    {912, "Incorrect permission format"},
    {913, "User already exists"},
    {914, "Group already exists"},
    {915, "User not exists"},
    {916, "Group not exists"},
    {917, "Incorrect module name"},
    {918, "Module not found"},
    {919, "Specified username contains characters which are not allowed"},
    {920, "Specified password contains characters which are not allowed"},
    {921, "Specified groupname contains characters which are not allowed"},
    {1000, "Cannot create process"},
    {-1, "Unknown error"},
};

template <size_t N>
const char* Find(const Row (&rows)[N], int number)
{
    for (const Row& r : rows)
        if (r.number == number)
            return r.text;
    return nullptr;
}

std::string SystemMessage(int number)
{
    char buffer[512];
    buffer[0] = 0;
    const char* text = strerror_r(number, buffer, sizeof buffer);
    return text ? text : "";
}

} // namespace

std::string ResultText(int kind, int number)
{
    const std::string n = std::to_string(number);
    switch (kind) {
    case ResultKind::Success:
        return "OK";
    case ResultKind::Internet:
        if (const char* t = Find(InternetRows, number))
            return t;
        return SystemMessage(number);
    case ResultKind::Http:
        if (const char* t = Find(HttpRows, number))
            return t;
        return "Undefined HTTP error (" + n + ")";
    case ResultKind::Socket:
        return "Socket Error " + n + ": " + SocketErrorText(number);
    case ResultKind::System:
        return "WinAPI Error " + n + ": " + SystemMessage(number);
    case ResultKind::Database:
        if (const char* t = Find(DatabaseRows, number))
            return t;
        return std::string();
    case ResultKind::General:
        if (const char* t = Find(GeneralRows, number))
            return t;
        return "Undefined error";
    case -1:
        return "Unknown result. Error code: " + n;
    default:
        return "Undefined result. Error code: " + n;
    }
}

} // namespace orlinda
