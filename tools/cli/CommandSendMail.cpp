// orlinda-cli send-mail: one e-mail greeting through the program's e-mail sender.
#include "Cli.h"

#include "core/Clock.h"
#include "core/MainThread.h"
#include "core/OptionsList.h"
#include "core/Scramble.h"
#include "core/Unicode.h"
#include "core/Windows1251.h"
#include "greetings/SmtpThread.h"
#include "model/Project.h"
#include "model/SettingsKeys.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <iostream>

namespace orlinda::cli {

namespace {

std::string Help()
{
    return "Usage: orlinda-cli send-mail --host H --port P [--ssl] [--user U] [--pass P]\n"
           "                             --from A --to B --subject S --text T\n\n"
           "Queues one e-mail greeting the way the greeting chooser does and lets Orlinda's\n"
           "e-mail sender deliver it through the mail server H:P. Prints the greeting's\n"
           "final status (2 sent, 3 failed) and, for a failure, the error text. The exit\n"
           "code is 0 when the greeting was sent and 1 otherwise.\n\n"
           "Options:\n"
           "  --host H        the mail server\n"
           "  --port P        its port (25, 465 with --ssl, 587, ...)\n"
           "  --ssl           TLS from the first byte (implicit TLS)\n"
           "  --user U        log in as U (with --pass)\n"
           "  --pass P        the password\n"
           "  --from A        the sender's address\n"
           "  --to B          the recipient's address\n"
           "  --subject S     the subject (UTF-8)\n"
           "  --text T        the text (UTF-8; line breaks as typed)\n\n"
           "Certificates of TLS servers are checked against the system's trusted\n"
           "authorities and those in the file named by ORLINDA_CA_FILE.\n";
}

const char* StatusName(int status)
{
    switch (status) {
    case GreetingWaiting: return "waiting";
    case GreetingSending: return "not finished";
    case GreetingSent: return "sent";
    case GreetingFailed: return "failed";
    case GreetingFailedFatally: return "failed";
    default: return "unknown";
    }
}

// A folder of its own for the project's files, removed at the end.
class ScratchFolder {
public:
    ScratchFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "orlinda-send-mail-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            throw std::runtime_error("cannot create a temporary folder");
        path_ = pattern;
    }
    ~ScratchFolder()
    {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

int Run(Context& context)
{
    ParsedArgs parsed =
        ParseArgs(context.args, {"--host", "--port", "--user", "--pass", "--from", "--to", "--subject", "--text"}, {"--ssl"});
    ExpectPositional(parsed, 0, "");
    for (const char* required : {"--host", "--port", "--from", "--to", "--subject", "--text"})
        if (!parsed.Has(required))
            throw UsageError(std::string("option ") + required + " is required");

    TOptionsList settings;
    settings.SetValue(SettingsKey::SMTPHost, parsed.Get("--host"));
    settings.SetValue(SettingsKey::SMTPPort, parsed.Get("--port"));
    settings.SetValue(SettingsKey::SMTPUser, parsed.Get("--user"));
    settings.SetValue(SettingsKey::SMTPPass, Scramble(parsed.Get("--pass"), kPasswordKey));
    settings.SetBool(SettingsKey::SMTPSSL, parsed.Has("--ssl"));

    ScratchFolder scratch;
    TQueuedMainThread mainThread;
    SetMainThread(&mainThread);
    int status = -1;
    std::string error;
    bool done = false;
    {
        TProjectWorkers workers;
        workers.mail = [] { return std::make_unique<TSMTPThread>(); };
        TProject project(TProjectFiles::InFolder(scratch.Path()), std::move(workers), &settings);
        project.Greetings().Subscribe(&status, [&](void*, TNamedObject* item, TNamedObjectEvent event) {
            // The project removes a greeting once its outcome is in.
            if (event == TNamedObjectEvent::Removing || event == TNamedObjectEvent::Removed) {
                if (auto* g = dynamic_cast<TGreeting*>(item); g && !done) {
                    status = g->FStatus;
                    error = g->FErrorStr;
                    done = true;
                }
            }
            return TSubscriberResult::Continue;
        });

        auto greeting = std::make_unique<TGreeting>();
        greeting->FName = "send-mail";
        greeting->FType = GreetingEmail;
        greeting->FStatus = GreetingWaiting;
        greeting->FSender = parsed.Get("--from");
        greeting->FRecipient = parsed.Get("--to");
        greeting->FSubject = Utf8ToUtf16(parsed.Get("--subject"));
        greeting->FText = Utf8ToUtf16(parsed.Get("--text"));
        greeting->FDate = Now();
        project.Greetings().Add(std::move(greeting));

        while (!done)
            mainThread.PumpFor(std::chrono::milliseconds(100));
        // One more pass lets the sender close the connection with QUIT.
        mainThread.PumpFor(std::chrono::milliseconds(500));
    }
    SetMainThread(nullptr);

    std::string out = "status: " + std::to_string(status) + " (" + StatusName(status) + ")\n";
    if (!error.empty())
        out += "error: " + Cp1251ToUtf8(error) + "\n";
    WriteOut(out);
    return status == GreetingSent ? ExitOk : ExitFailure;
}

const CommandRegistrar registrar({"send-mail", "send one e-mail greeting through the e-mail sender", &Help, &Run});

} // namespace

} // namespace orlinda::cli
