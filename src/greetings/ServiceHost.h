#pragma once
// Where the vendor's web scripts live: the greeting service (greetings.php) and the
// feedback service (contact.php). One constant, which the setting "ServiceURL" and, above
// it, the environment variable ORLINDA_SERVICE_URL override (tests point it at the
// stand-ins on loopback).
#include <string>

namespace orlinda {

class TOptionsList;

inline constexpr char kServiceUrl[] = "http://www.tarvell.com/orlinda/";
inline constexpr char kServiceUrlVariable[] = "ORLINDA_SERVICE_URL";
inline constexpr char kServiceUrlSetting[] = "ServiceURL";

inline constexpr char kGreetingsScript[] = "greetings.php";
inline constexpr char kContactScript[] = "contact.php";

// The folder of the scripts in force, ending with "/": the environment variable when it
// is set, else the setting (settings may be null), else kServiceUrl.
std::string ServiceBaseUrl(const TOptionsList* settings);
// The address of a script in that folder.
std::string ServiceScriptUrl(const std::string& baseUrl, const std::string& script);

} // namespace orlinda
