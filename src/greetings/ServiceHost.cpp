#include "greetings/ServiceHost.h"

#include "core/OptionsList.h"

#include <cstdlib>

namespace orlinda {

namespace {

std::string Trimmed(std::string text)
{
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ')
        text.pop_back();
    size_t begin = 0;
    while (begin < text.size() && static_cast<unsigned char>(text[begin]) <= ' ')
        ++begin;
    return text.substr(begin);
}

} // namespace

std::string ServiceBaseUrl(const TOptionsList* settings)
{
    std::string url;
    if (const char* fromEnvironment = std::getenv(kServiceUrlVariable))
        url = Trimmed(fromEnvironment);
    if (url.empty() && settings)
        url = Trimmed(settings->GetValue(kServiceUrlSetting));
    if (url.empty())
        url = kServiceUrl;
    if (url.back() != '/')
        url += '/';
    return url;
}

std::string ServiceScriptUrl(const std::string& baseUrl, const std::string& script)
{
    std::string base = baseUrl.empty() ? std::string(kServiceUrl) : baseUrl;
    if (base.back() != '/')
        base += '/';
    return base + script;
}

} // namespace orlinda
