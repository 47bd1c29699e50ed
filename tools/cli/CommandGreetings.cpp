// orlinda-cli greetings: the greetings the greeting service offers one recipient.
#include "Cli.h"

#include "core/MainThread.h"
#include "core/MultiOptions.h"
#include "core/OptionsList.h"
#include "core/Unicode.h"
#include "core/Utf8.h"
#include "greetings/GreetingThread.h"
#include "greetings/ServiceHost.h"
#include "model/Paths.h"
#include "platform/Folders.h"

#include <nlohmann/json.hpp>

#include <charconv>
#include <chrono>
#include <iostream>

namespace orlinda::cli {

namespace {

std::string Help()
{
    return "Usage: orlinda-cli greetings --holiday UID [--sex N] [--style N] [--target N]\n"
           "                             [--age N] [--count K]\n\n"
           "Asks the greeting service, through Orlinda's greeting client, for the greetings\n"
           "it offers one recipient on a holiday, and prints the first K that suit the\n"
           "recipient as a JSON array of {\"FWishID\", \"FText\"}. Greetings already sent\n"
           "(the usage history of the data folder) are left out, as the program does.\n"
           "The exit code is 1 when the service could not be reached or refused.\n\n"
           "Options:\n"
           "  --holiday UID   1 birthday, 2 wedding anniversary, else the holiday's number\n"
           "  --sex N         1 male (default), 2 female\n"
           "  --style N       1 \"Ты\" (default), 2 \"Вы\"\n"
           "  --target N      the relation, 0 (default) for none\n"
           "  --age N         age in years, 0 (default) for unknown\n"
           "  --count K       at most K greetings (default 10)\n\n"
           "The service's address is the setting \"ServiceURL\" of config.dat, or the\n"
           "environment variable ORLINDA_SERVICE_URL, or the vendor's host.\n";
}

int32_t Number(const ParsedArgs& parsed, const char* name, int32_t fallback, int32_t minimum)
{
    if (!parsed.Has(name))
        return fallback;
    const std::string text = parsed.Get(name);
    int32_t value = 0;
    auto r = std::from_chars(text.data(), text.data() + text.size(), value);
    if (r.ec != std::errc() || r.ptr != text.data() + text.size() || value < minimum)
        throw UsageError(std::string("option ") + name + " needs a whole number of " + std::to_string(minimum) +
                         " or more, not \"" + text + "\"");
    return value;
}

int Run(Context& context)
{
    ParsedArgs parsed = ParseArgs(context.args, {"--holiday", "--sex", "--style", "--target", "--age", "--count"});
    ExpectPositional(parsed, 0, "");
    if (!parsed.Has("--holiday"))
        throw UsageError("option --holiday is required");
    const int32_t holiday = Number(parsed, "--holiday", 0, 0);
    const int32_t sex = Number(parsed, "--sex", 1, 0);
    const int32_t style = Number(parsed, "--style", 1, 0);
    const int32_t target = Number(parsed, "--target", 0, 0);
    const int32_t age = Number(parsed, "--age", 0, 0);
    const int32_t count = Number(parsed, "--count", 10, 1);

    const TAppPaths& paths = AppPaths();
    TOptionsList settings;
    try {
        if (IsExistingFile(paths.ConfigFile))
            settings.LoadFromFile(paths.ConfigFile);
    } catch (...) {
        // An unreadable config.dat leaves the service address at its default.
    }

    constexpr int32_t kRecipient = 1;
    TMultiOptions recipients;
    TOptionsList* r = recipients.FindOrAdd(std::to_string(kRecipient));
    r->SetInt("FAge", age);
    r->SetInt("FSex", sex);
    r->SetInt("FStyle", style);
    r->SetInt("FTarget", target);

    TQueuedMainThread mainThread;
    SetMainThread(&mainThread);
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    int result = TGreetingThread::Found;
    {
        TGreetingThread client;
        client.SetServiceUrl(ServiceScriptUrl(ServiceBaseUrl(&settings), kGreetingsScript));
        client.SetHistoryFolder(paths.HistoryFolder);
        client.SetPendingFile(paths.HistoryFile);
        int changed = 0;
        client.SetOnGreetingsChanged([&] { ++changed; });
        client.Start();
        client.SetRecipients(holiday, &recipients);

        TOptionsList out;
        while (static_cast<int32_t>(list.size()) < count) {
            const int before = changed;
            result = client.GetNextGreeting(kRecipient, &out);
            if (result == TGreetingThread::Loading) {
                while (changed == before)
                    mainThread.PumpFor(std::chrono::milliseconds(100));
                continue;
            }
            if (result != TGreetingThread::Found)
                break;
            int32_t wish = 0;
            std::from_chars(out.FSectionName.data(), out.FSectionName.data() + out.FSectionName.size(), wish);
            list.push_back({{"FWishID", wish}, {"FText", Utf16ToUtf8(Utf8DecodeWide(out.GetValue("FText")))}});
        }
        client.Stop();
    }
    SetMainThread(nullptr);

    if (result == TGreetingThread::ServiceFailed || result == TGreetingThread::BadArguments) {
        std::cerr << "orlinda-cli: greetings: the greeting service did not answer or refused\n";
        return ExitFailure;
    }
    WriteOut(list.dump(2) + "\n");
    return ExitOk;
}

const CommandRegistrar registrar({"greetings", "list the greetings the greeting service offers a recipient", &Help,
                                  &Run});

} // namespace

} // namespace orlinda::cli
