// orlinda-cli feedback: one message to the developers through the feedback sender.
#include "Cli.h"

#include "core/Logging.h"
#include "core/MainThread.h"
#include "core/OptionsList.h"
#include "core/Unicode.h"
#include "greetings/FeedbackThread.h"
#include "greetings/ServiceHost.h"
#include "model/Paths.h"
#include "net/ResultText.h"
#include "platform/Folders.h"

#include <chrono>
#include <iostream>

namespace orlinda::cli {

namespace {

std::string Help()
{
    return "Usage: orlinda-cli feedback --text T [--name N] [--email E] [--debug]\n\n"
           "Sends one message to the developers through Orlinda's feedback sender and\n"
           "prints how it went. The exit code is 0 when the message was delivered and 1\n"
           "otherwise.\n\n"
           "Options:\n"
           "  --text T    the message (UTF-8)\n"
           "  --name N    your name\n"
           "  --email E   the address for an answer\n"
           "  --debug     attach the tail of the program's log (assertions.dat)\n\n"
           "The service's address is the setting \"ServiceURL\" of config.dat, or the\n"
           "environment variable ORLINDA_SERVICE_URL, or the vendor's host.\n";
}

int Run(Context& context)
{
    ParsedArgs parsed = ParseArgs(context.args, {"--text", "--name", "--email"}, {"--debug"});
    ExpectPositional(parsed, 0, "");
    if (!parsed.Has("--text") || parsed.Get("--text").empty())
        throw UsageError("option --text is required");

    const TAppPaths& paths = AppPaths();
    TOptionsList settings;
    try {
        if (IsExistingFile(paths.ConfigFile))
            settings.LoadFromFile(paths.ConfigFile);
    } catch (...) {
    }
    if (parsed.Has("--debug"))
        OpenLog(paths.LogFile, false, true);

    TQueuedMainThread mainThread;
    SetMainThread(&mainThread);
    bool finished = false, sent = false;
    int kind = 0, number = 0;
    {
        TFeedbackThread sender;
        sender.SetServiceUrl(ServiceScriptUrl(ServiceBaseUrl(&settings), kContactScript));
        sender.SetOnAllSent([&](TFeedbackThread&) {
            finished = true;
            sent = true;
        });
        sender.SetOnSendFailed([&](TFeedbackThread&, int k, int n, const std::string&) {
            finished = true;
            kind = k;
            number = n;
        });
        sender.Start();
        sender.SendFeedback(Utf8ToUtf16(parsed.Get("--text")), Utf8ToUtf16(parsed.Get("--name")), parsed.Has("--debug"),
                            Utf8ToUtf16(parsed.Get("--email")));
        while (!finished)
            mainThread.PumpFor(std::chrono::milliseconds(100));
        sender.Stop();
    }
    SetMainThread(nullptr);

    if (!sent) {
        WriteOut("failed: " + ResultText(kind, number) + "\n");
        return ExitFailure;
    }
    WriteOut("sent\n");
    return ExitOk;
}

const CommandRegistrar registrar({"feedback", "send a message to the developers", &Help, &Run});

} // namespace

} // namespace orlinda::cli
