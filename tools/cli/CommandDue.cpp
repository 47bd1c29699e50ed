// orlinda-cli due: the event the first scan would show in the notification window.
#include "Cli.h"
#include "FileKinds.h"
#include "ProjectLoad.h"

#include "core/Unicode.h"

namespace orlinda::cli {

namespace {

std::string Help()
{
    return "Usage: orlinda-cli due\n\n"
           "Loads the data set as \"upcoming\" does (writing nothing) and runs one scan of the\n"
           "event timer: the first due reminder, or else the first due occasion with people to\n"
           "greet. Prints what the notification window would be given, as JSON:\n"
           "  {\"kind\": \"reminder\" or \"holiday\", \"FID\", \"title\", \"html\", \"closeCode\",\n"
           "   \"sound\", \"menuButton\", \"buttons\": [five button specs, \"\" for none],\n"
           "   \"hiddenMenuCodes\": [snooze menu entries hidden for this event]}\n"
           "or null when nothing is due. A button spec is the action code, the image index and\n"
           "the hint joined by \"|\". Use --now to pick the moment.\n";
}

int Run(Context& context)
{
    ParsedArgs parsed = ParseArgs(context.args, {});
    ExpectPositional(parsed, 0, "no positional arguments");

    auto loaded = LoadProject(false);
    TProject& p = *loaded->project;
    p.ScanTick();

    Json out = nullptr;
    if (const auto& shown = loaded->window.Last()) {
        const bool reminder = p.Reminders().FindByID(shown->FID) != nullptr;
        out = Json::object();
        out["kind"] = reminder ? "reminder" : "holiday";
        out["FID"] = shown->FID;
        out["title"] = Utf16ToUtf8(shown->Caption);
        out["html"] = Utf16ToUtf8(shown->Text);
        out["closeCode"] = shown->CloseCode;
        out["sound"] = Cp1251ToUtf8(shown->Sound);
        out["menuButton"] = Utf16ToUtf8(shown->MenuButton);
        Json buttons = Json::array();
        for (const auto& b : shown->Buttons)
            buttons.push_back(Utf16ToUtf8(b));
        out["buttons"] = buttons;
        Json hidden = Json::array();
        if (shown->Menu)
            for (int code : shown->Menu->HiddenCodes())
                hidden.push_back(code);
        out["hiddenMenuCodes"] = hidden;
    }
    WriteOut(out.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n");
    return ReportProblems(*loaded) ? ExitFailure : ExitOk;
}

const CommandRegistrar registrar({"due", "show the event the notification window would show now", &Help, &Run});

} // namespace

} // namespace orlinda::cli
