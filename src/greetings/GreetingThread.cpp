#include "greetings/GreetingThread.h"

#include "core/Clock.h"
#include "core/Log.h"
#include "core/Scramble.h"
#include "core/TextUtils.h"
#include "greetings/ServiceHost.h"
#include "platform/Folders.h"

#include <algorithm>
#include <charconv>
#include <climits>

namespace orlinda {

namespace {

// Decimal text with an optional sign within 32 bits.
bool ParseInt(const std::string& text, int32_t& value)
{
    if (text.empty())
        return false;
    const char* begin = text.data();
    const char* end = begin + text.size();
    if (*begin == '+')
        ++begin;
    if (begin == end)
        return false;
    auto r = std::from_chars(begin, end, value);
    return r.ec == std::errc() && r.ptr == end;
}

int32_t IntOr(const std::string& text, int32_t fallback)
{
    int32_t v = 0;
    return ParseInt(text, v) ? v : fallback;
}

bool IsWishName(const std::string& name)
{
    int32_t v = 0;
    return ParseInt(name, v) && v > 0;
}

void CopyLines(const TOptionsList& from, TOptionsList& to)
{
    to.Clear();
    for (int i = 0; i < from.Count(); ++i)
        to.Add(from.Line(i));
}

std::string Crc(int32_t identityCRC)
{
    return std::to_string(identityCRC);
}

} // namespace

TGreetingThread::TGreetingThread() : serviceUrl_(ServiceScriptUrl(ServiceBaseUrl(nullptr), kGreetingsScript)) {}

TGreetingThread::~TGreetingThread()
{
    Stop();
}

void TGreetingThread::Stop()
{
    // Terminated first: a request about to start sees it after resetting its client.
    Terminate();
    CancelRequest();
    WaitFor();
}

void TGreetingThread::CancelRequest()
{
    client_.Sock().SetStopFlag();
    client_.Abort();
}

void TGreetingThread::SetHistoryFolder(const std::string& folder)
{
    if (!folder.empty())
        CreateFolderWithParents(folder);
    history_.SetHistoryFolder(folder);
}

void TGreetingThread::SetPendingFile(const std::string& fileName)
{
    history_.SetPendingFile(fileName);
}

void TGreetingThread::SetProxy(const TProxySettings& proxy)
{
    std::lock_guard guard(proxyLock_);
    proxy_ = proxy;
}

void TGreetingThread::SetServiceUrl(const std::string& url)
{
    std::lock_guard guard(proxyLock_);
    serviceUrl_ = url;
}

std::string TGreetingThread::ServiceUrl() const
{
    std::lock_guard guard(proxyLock_);
    return serviceUrl_;
}

void TGreetingThread::RecordUsage(int32_t identityCRC, int32_t holidayID, int32_t wishID, int32_t year)
{
    history_.RecordUsage(identityCRC, holidayID, wishID, year);
}

bool TGreetingThread::WasGreeted(int32_t identityCRC, int32_t holidayID, int32_t year) const
{
    return history_.WasGreeted(identityCRC, holidayID, year);
}

void TGreetingThread::SetOnRequestStarted(std::function<void()> handler)
{
    std::lock_guard guard(proxyLock_);
    onRequestStarted_ = std::move(handler);
}

void TGreetingThread::SetOnRequestFinished(std::function<void()> handler)
{
    std::lock_guard guard(proxyLock_);
    onRequestFinished_ = std::move(handler);
}

void TGreetingThread::SetOnGreetingsChanged(std::function<void()> handler)
{
    std::lock_guard guard(proxyLock_);
    onGreetingsChanged_ = std::move(handler);
}

void TGreetingThread::Raise(const std::function<void()> TGreetingThread::*handler)
{
    Sync([this, handler] {
        std::function<void()> call;
        {
            std::lock_guard guard(proxyLock_);
            call = this->*handler;
        }
        if (call)
            call();
    });
}

// --- state -----------------------------------------------------------------------------

bool TGreetingThread::Exhausted() const
{
    std::lock_guard guard(lock_);
    return exhausted_;
}

int TGreetingThread::BatchCount() const
{
    std::lock_guard guard(lock_);
    return batchCount_;
}

int32_t TGreetingThread::HolidayUID() const
{
    std::lock_guard guard(lock_);
    return holidayUID_;
}

std::vector<int32_t> TGreetingThread::Filters() const
{
    std::lock_guard guard(lock_);
    return {sexFilter_, styleFilter_, targetFilter_};
}

std::vector<std::string> TGreetingThread::PoolNames() const
{
    std::lock_guard guard(lock_);
    std::vector<std::string> names;
    for (const auto& e : pool_)
        names.push_back(e->FSectionName);
    return names;
}

std::string TGreetingThread::PoolEntryText(const std::string& name) const
{
    std::lock_guard guard(lock_);
    for (const auto& e : pool_)
        if (e->FSectionName == name)
            return e->Text();
    return {};
}

// --- the exchanges ---------------------------------------------------------------------

std::string TGreetingThread::GetGreetingsBody()
{
    std::lock_guard guard(lock_);
    std::string body = "&Action=GetGreetings";
    body += "&Param2=" + std::to_string(holidayUID_);
    body += "&Param3=" + std::to_string(history_.HighestNumber());
    body += "&Param4=" + std::to_string(batchCount_);
    if (sexFilter_ > 0)
        body += "&Param5=" + std::to_string(sexFilter_);
    if (styleFilter_ > 0)
        body += "&Param6=" + std::to_string(styleFilter_);
    if (targetFilter_ > 0)
        body += "&Param7=" + std::to_string(targetFilter_);
    if (!normalSeen_)
        body += "&Param8=1";
    return body;
}

std::string TGreetingThread::SaveUsageBody()
{
    return "&Action=SaveUsage&Param2=" + history_.PendingText() + "&Param3=" + std::to_string(history_.HighestNumber());
}

bool TGreetingThread::Post(const std::string& body)
{
    TProxySettings proxy;
    std::string url;
    {
        std::lock_guard guard(proxyLock_);
        proxy = proxy_;
        url = serviceUrl_;
    }
    client_.Reset(true);
    if (Terminated())
        return false;
    client_.SetUserAgent("Orlinda");
    client_.SetMimeType("application/x-www-form-urlencoded");
    client_.SetProxyHost(proxy.Host);
    client_.SetProxyPort(proxy.Port);
    client_.SetProxyUser(proxy.User);
    client_.SetProxyPass(proxy.Password);
    client_.SetTimeout(timeout_.load());
    client_.Document().Write(body.data(), static_cast<int64_t>(body.size()));
    return client_.SendRequest("POST", url) && client_.ResultCode() == 200;
}

void TGreetingThread::Execute()
{
    while (!Terminated()) {
        bool inFetch = false;
        try {
            if (idle_.load()) {
                if (!failed_.load() && history_.HasDuePending()) {
                    SaveUsage();
                    continue;
                }
                Pause(kIdleWait, [this] { return !idle_.load(); });
                continue;
            }
            inFetch = true;
            FetchGreetings();
        } catch (...) {
            if (inFetch) {
                // The chooser waits for news of the fetch: it learns of a failure.
                failed_.store(true);
                idle_.store(true);
                Raise(&TGreetingThread::onGreetingsChanged_);
                Raise(&TGreetingThread::onRequestFinished_);
            }
            Pause(kIdleWait);
        }
    }
}

void TGreetingThread::SaveUsage()
{
    history_.MarkAttempt();
    if (!Post(SaveUsageBody())) {
        failed_.store(true);
        return;
    }
    failed_.store(false);
    ApplyResponse(false, 0);
}

void TGreetingThread::FetchGreetings()
{
    Raise(&TGreetingThread::onRequestStarted_);
    const uint32_t start = TickCount();
    uint64_t generation;
    std::string body;
    {
        std::lock_guard guard(lock_);
        generation = generation_;
        body = GetGreetingsBody();
    }
    if (!Post(body)) {
        failed_.store(true);
    } else {
        failed_.store(false);
        ApplyResponse(true, generation);
    }
    FinishFetch(start);
    Raise(&TGreetingThread::onRequestFinished_);
}

void TGreetingThread::FinishFetch(uint32_t requestStart)
{
    Pause(kMinimumDelay, [requestStart] { return TickCount() - requestStart >= static_cast<uint32_t>(kMinimumDelay); });
    // Idle before the event: a handler that asks for the next greeting at once starts
    // the next fetch instead of waiting for one that is not coming.
    idle_.store(true);
    Raise(&TGreetingThread::onGreetingsChanged_);
}

bool TGreetingThread::ApplyResponse(bool greetingMode, uint64_t generation)
{
    TMultiOptions response;
    try {
        response.SetText(client_.Document().DataString());
    } catch (...) {
        // What was read stays.
    }
    TOptionsList* general = response.Find("General");
    if (general && !general->GetValue("ErrorStr").empty()) {
        failed_.store(true);
        return false;
    }
    std::lock_guard guard(lock_);
    if (response.Find("Normal"))
        normalSeen_ = true;
    if (!general)
        failed_.store(true);
    if (TOptionsList* usage = response.Find("Usage")) {
        std::vector<std::string> lines;
        for (int i = 0; i < usage->Count(); ++i)
            lines.push_back(usage->Line(i));
        history_.MergeConfirmed(lines);
    }
    if (!greetingMode)
        return true;
    // A batch asked for before the pool was reset belongs to other recipients or another
    // holiday.
    if (generation != generation_)
        return true;

    std::vector<std::string> names;
    for (int i = 0; i < response.Count(); ++i)
        if (TOptionsList* s = response.Get(i); s && IsWishName(s->FSectionName))
            names.push_back(s->FSectionName);
    if (names.empty()) {
        // An answer that is not the service's (an error page) says nothing about whether
        // more greetings exist: the next attempt asks again.
        if (!general)
            return true;
        exhausted_ = true;
        if (pool_.empty()) {
            // Never offered to anyone: with it the pool is not empty, so the chooser is
            // told "no more greetings" instead of asking again.
            auto placeholder = std::make_unique<TOptionsList>();
            placeholder->FSectionName.clear();
            placeholder->SetInt("FMinAge", INT32_MAX);
            pool_.push_back(std::move(placeholder));
        }
        return true;
    }
    ++batchCount_;
    ShuffleStrings(names);
    for (const auto& name : names) {
        TOptionsList* section = response.Find(name);
        TOptionsList* entry = nullptr;
        for (auto& e : pool_)
            if (e->FSectionName == name) {
                entry = e.get();
                break;
            }
        if (!entry) {
            pool_.push_back(std::make_unique<TOptionsList>());
            entry = pool_.back().get();
            entry->FSectionName = name;
        }
        CopyLines(*section, *entry);
        std::string text;
        try {
            text = Unscramble(entry->GetValue("FText"), kTextKey);
        } catch (...) {
        }
        entry->SetValue("FText", text);
    }
    return true;
}

// --- the chooser's operations ----------------------------------------------------------

TGreetingThread::Recipient* TGreetingThread::FindRecipient(int32_t identityCRC)
{
    auto it = recipients_.find(Crc(identityCRC));
    return it == recipients_.end() ? nullptr : &it->second;
}

bool TGreetingThread::Suitable(const TOptionsList& entry, const Recipient& r) const
{
    const std::string& name = entry.FSectionName;
    // The placeholder of an empty answer is nobody's.
    if (name.empty())
        return false;
    if (banned_.count(name))
        return false;
    auto matches = [&entry](const char* key, const std::string& value) {
        return entry.GetInt(key, 0) == 0 || value == entry.GetValue(key);
    };
    if (!matches("FSex", r.FSex) || !matches("FStyle", r.FStyle) || !matches("FTarget", r.FTarget))
        return false;
    const int32_t holiday = entry.GetInt("FHolidayUID", 0);
    if (holiday != 0 && holiday != holidayUID_)
        return false;
    const int32_t age = IntOr(r.FAge, 0);
    if (age > 0) {
        const int32_t minAge = entry.GetInt("FMinAge", 0);
        const int32_t maxAge = entry.GetInt("FMaxAge", 0);
        if (minAge != 0 && age < minAge)
            return false;
        if (maxAge != 0 && age > maxAge)
            return false;
    }
    int32_t wish = 0;
    if (ParseInt(name, wish) && wish > 0 && history_.WishUsed(wish))
        return false;
    return true;
}

void TGreetingThread::Show(Recipient& r, int index, TOptionsList* out)
{
    const TOptionsList& entry = *pool_[static_cast<size_t>(index)];
    CopyLines(entry, *out);
    out->FSectionName = entry.FSectionName;
    r.IsManual = false;
    r.IsLoading = false;
    r.WishID = entry.FSectionName;
    r.Number = index;
    r.FText = entry.GetValue("FText");
}

int TGreetingThread::NextGreeting(Recipient& r, TOptionsList* out)
{
    r.IsManual = false;
    out->Clear();
    for (int i = std::max(r.Number + 1, 0); i < static_cast<int>(pool_.size()); ++i) {
        if (Suitable(*pool_[static_cast<size_t>(i)], r)) {
            Show(r, i, out);
            return Found;
        }
    }
    if (!idle_.load()) {
        r.IsLoading = true;
        return Loading;
    }
    if (failed_.load())
        return ServiceFailed;
    if (!pool_.empty() && exhausted_)
        return NoMoreGreetings;
    r.IsLoading = true;
    idle_.store(false);
    return Loading;
}

int TGreetingThread::GetNextGreeting(int32_t identityCRC, TOptionsList* out)
{
    std::lock_guard guard(lock_);
    if (!out) {
        Log("GNG: No greeting assinged");
        return BadArguments;
    }
    Recipient* r = FindRecipient(identityCRC);
    if (!r) {
        Log("GNG: Identity not found");
        return BadArguments;
    }
    return NextGreeting(*r, out);
}

int TGreetingThread::GetPrevGreeting(int32_t identityCRC, TOptionsList* out)
{
    std::lock_guard guard(lock_);
    if (!out) {
        Log("GPG: No greeting assinged");
        return BadArguments;
    }
    Recipient* r = FindRecipient(identityCRC);
    if (!r) {
        Log("GPG: Identity not found");
        return BadArguments;
    }
    const int last = std::min(r->Number, static_cast<int>(pool_.size())) - 1;
    for (int i = last; i >= 0; --i) {
        if (Suitable(*pool_[static_cast<size_t>(i)], *r)) {
            Show(*r, i, out);
            return Found;
        }
    }
    return BadArguments;
}

int TGreetingThread::FirstSuitable(const Recipient& r) const
{
    for (int i = 0; i < static_cast<int>(pool_.size()); ++i)
        if (Suitable(*pool_[static_cast<size_t>(i)], r))
            return i;
    return -1;
}

bool TGreetingThread::IsPrevAvailable(int32_t identityCRC)
{
    std::lock_guard guard(lock_);
    Recipient* r = FindRecipient(identityCRC);
    if (!r) {
        Log("IPA: Identity not found");
        return false;
    }
    // Computed afresh: the pool, the banned list and the usage history all move it.
    const int first = FirstSuitable(*r);
    return first >= 0 && r->Number - 1 >= first;
}

int TGreetingThread::GetCurrentGreeting(int32_t identityCRC, TOptionsList* out)
{
    std::lock_guard guard(lock_);
    if (!out) {
        Log("GCG: No greeting assinged");
        return BadArguments;
    }
    Recipient* r = FindRecipient(identityCRC);
    if (!r) {
        Log("GCG: Identity not found");
        return BadArguments;
    }
    if (r->IsManual) {
        out->Clear();
        out->SetValue("FText", r->FText);
        return Found;
    }
    if (!r->IsLoading && !r->WishID.empty()) {
        out->Clear();
        out->SetValue("WishID", r->WishID);
        out->SetValue("FText", r->FText);
        return Found;
    }
    return NextGreeting(*r, out);
}

int TGreetingThread::SetCurrentGreeting(int32_t identityCRC, const std::string& text)
{
    std::lock_guard guard(lock_);
    Recipient* r = FindRecipient(identityCRC);
    if (!r) {
        Log("SCG: Identity not found");
        return BadArguments;
    }
    r->WishID.clear();
    r->IsManual = true;
    r->IsLoading = false;
    r->FText = text;
    return Found;
}

int TGreetingThread::BanGreeting(int32_t identityCRC)
{
    std::lock_guard guard(lock_);
    Recipient* r = FindRecipient(identityCRC);
    if (!r) {
        Log("BG: Identity not found");
        return BadArguments;
    }
    if (IsWishName(r->WishID))
        banned_.insert(r->WishID);
    return Found;
}

int TGreetingThread::RetryGreeting(int32_t identityCRC, TOptionsList* out)
{
    std::lock_guard guard(lock_);
    if (!out) {
        Log("R: No greeting assinged");
        return BadArguments;
    }
    Recipient* r = FindRecipient(identityCRC);
    if (!r) {
        Log("R: Identity not found");
        return BadArguments;
    }
    failed_.store(false);
    r->IsManual = false;
    return NextGreeting(*r, out);
}

void TGreetingThread::ResetPool()
{
    pool_.clear();
    ++generation_;
    for (auto& [name, r] : recipients_) {
        r.IsManual = false;
        r.WishID.clear();
        r.Number = -1;
        r.FText.clear();
    }
    exhausted_ = false;
    batchCount_ = 0;
}

void TGreetingThread::SetRecipients(int32_t holidayUID, const TMultiOptions* recipients)
{
    if (holidayUID < 0 || !recipients)
        return;
    {
        std::lock_guard guard(lock_);
        std::set<std::string> names;
        for (int i = 0; i < recipients->Count(); ++i)
            if (const TOptionsList* s = recipients->Get(i))
                names.insert(s->FSectionName);
        for (auto it = recipients_.begin(); it != recipients_.end();)
            it = names.count(it->first) ? std::next(it) : recipients_.erase(it);
        for (int i = 0; i < recipients->Count(); ++i) {
            const TOptionsList* s = recipients->Get(i);
            if (!s)
                continue;
            Recipient& r = recipients_[s->FSectionName];
            r.FAge = s->GetValue("FAge");
            r.FSex = s->GetValue("FSex");
            r.FStyle = s->GetValue("FStyle");
            r.FTarget = s->GetValue("FTarget");
        }

        bool changed = holidayUID != holidayUID_;
        holidayUID_ = holidayUID;
        auto common = [recipients](const char* key, int32_t missing) {
            std::set<int32_t> values;
            for (int i = 0; i < recipients->Count(); ++i)
                if (const TOptionsList* s = recipients->Get(i))
                    values.insert(s->GetInt(key, missing));
            return values.size() == 1 ? *values.begin() : 0;
        };
        const int32_t sex = common("FSex", 0), style = common("FStyle", 1), target = common("FTarget", 0);
        changed = changed || sex != sexFilter_ || style != styleFilter_ || target != targetFilter_;
        sexFilter_ = sex;
        styleFilter_ = style;
        targetFilter_ = target;
        if (changed)
            ResetPool();
        // A failure belongs to the last session of the chooser.
        failed_.store(false);
    }
    std::function<void()> call;
    {
        std::lock_guard guard(proxyLock_);
        call = onGreetingsChanged_;
    }
    if (call) {
        try {
            call();
        } catch (...) {
        }
    }
}

} // namespace orlinda
