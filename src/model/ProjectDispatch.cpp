// The project's greeting dispatch: the senders hand back the greeting they worked on and
// take the next one of their kind. The e-mail sender takes the greetings of type 0, the
// submission worker those of types 1 to 4. Both calls run on the user-interface thread
// while the calling thread waits.
#include "model/Project.h"

#include "core/OptionsList.h"
#include "core/Scramble.h"
#include "core/Windows1251.h"
#include "model/DateRules.h"
#include "model/SettingsKeys.h"

#include <algorithm>


namespace orlinda {

namespace {

bool IsEmailKind(const TGreeting& g)
{
    return g.FType == GreetingEmail;
}

// "[name] text", with the name in Windows-1251 like the rest of the line.
std::string ErrorLine(const std::string& name, const std::string& text)
{
    return "[" + name + "] " + text;
}

std::string NetworkName(int32_t type)
{
    return Utf16ToCp1251(type == GreetingVkontakteMessage || type == GreetingVkontakteWall ? u"Вконтакте"
                                                                                             : u"Одноклассники");
}

} // namespace

TMailSettings TProject::MailSettings() const
{
    TMailSettings m;
    m.Host = FSettings->GetValue(SettingsKey::SMTPHost);
    m.Port = FSettings->GetValue(SettingsKey::SMTPPort);
    m.User = FSettings->GetValue(SettingsKey::SMTPUser);
    try {
        m.Password = Unscramble(FSettings->GetValue(SettingsKey::SMTPPass), kPasswordKey);
    } catch (...) {
    }
    m.SSL = FSettings->GetBool(SettingsKey::SMTPSSL);
    return m;
}

void TProject::OnNextMail(TGreeting& working, TMailSettings& settings)
{
    settings = MailSettings();
    Dispatch(working, true);
}

void TProject::OnGreeting(TGreeting& working)
{
    Dispatch(working, false);
}

void TProject::RaiseEvent(const std::function<void()>& event)
{
    if (!event)
        return;
    try {
        event();
    } catch (...) {
        // The window's trouble; the queue stays as it is.
    }
}

void TProject::Dispatch(TGreeting& working, bool email)
{
    // The outcome of the greeting the thread worked on.
    if (!working.FName.empty()) {
        if (TGreeting* queued = greetings_->FindByName(working.FName)) {
            // The working copy brings status, error text and the rest; the queued record
            // keeps its own place in the list.
            TNamedObjectList* owner = queued->FOwner;
            const int32_t id = queued->FID;
            void* data = queued->FData;
            queued->Assign(&working);
            queued->FOwner = owner;
            queued->FID = id;
            queued->FData = data;

            if (queued->FStatus == GreetingSent) {
                FGreeter->RecordUsage(queued->FIdentityCRC, queued->FHolidayID, queued->FWishID, YearOf(queued->FDate));
            } else if (email) {
                FLastErrorChannel = 0;
                FErrors.push_back(queued->FErrorStr);
            } else {
                FLastErrorChannel = 1;
                if (queued->FStatus == GreetingFailedFatally) {
                    // The channel is down: the rest of its greetings go too.
                    for (int i = greetings_->Count() - 1; i >= 0; i = std::min(i - 1, greetings_->Count() - 1)) {
                        TGreeting* g = greetings_->Get(i);
                        if (g != queued && g->FType == queued->FType)
                            greetings_->Delete(i);
                    }
                    FErrors.push_back(ErrorLine(NetworkName(queued->FType), queued->FErrorStr));
                } else if (queued->FStatus == GreetingFailed) {
                    FErrors.push_back(ErrorLine(queued->FRecipient, queued->FErrorStr));
                }
            }
            greetings_->Remove(queued);
        }
    }

    // The next greeting of this kind; greetings of the other kind are counted on the way.
    int others = 0;
    TGreeting* next = nullptr;
    for (int i = 0; i < greetings_->Count(); ++i) {
        TGreeting* g = greetings_->Get(i);
        if (IsEmailKind(*g) != email) {
            ++others;
        } else if (g->FStatus == GreetingWaiting) {
            next = g;
            break;
        }
    }
    if (next) {
        working.Assign(next);
        // The thread's copy stands alone: it must not reach the list or its view.
        working.FOwner = nullptr;
        working.FData = nullptr;
        next->FStatus = GreetingSending;
        greetings_->Notify(next, TNamedObjectEvent::Changed);
        RaiseEvent(OnGreetingStarted);
    } else {
        if (others == 0)
            RaiseEvent(OnQueueDone);
        working.FName.clear();
    }
}

} // namespace orlinda
