#include "core/NamedObjectList.h"

#include "core/AtomicFile.h"
#include "core/Error.h"
#include "core/FileStream.h"
#include "core/TypedStream.h"

#include <algorithm>

namespace orlinda {

TNamedObjectList::~TNamedObjectList()
{
    Clear();
    ClearSubscribers();
}

TNamedObject* TNamedObjectList::Get(int index) const
{
    if (index < 0 || index >= Count())
        return nullptr;
    return items_[static_cast<size_t>(index)].get();
}

int64_t TNamedObjectList::GetStreamSize() const
{
    int64_t total = 0;
    for (const auto& item : items_)
        total += item->GetStreamSize();
    return total;
}

void TNamedObjectList::SaveToStream(TStream& stream) const
{
    for (const auto& item : items_)
        item->SaveToStream(stream);
}

int TNamedObjectList::LoadFromStream(TStream& stream, int count)
{
    if (count == 0)
        return 0;
    int read = 0;
    for (;;) {
        if (stream.Position() >= stream.Size())
            return read;
        auto item = CreateItem();
        item->LoadFromStream(stream); // on failure the item goes, the earlier ones stay
        Add(std::move(item));          // a rejected item is destroyed here
        ++read;
        if (count > 0 && read >= count)
            return read;
    }
}

void TNamedObjectList::SaveToFile(const std::string& fileName) const
{
    // Built in memory first: one write instead of three per value.
    TBytesWriteStream buffer;
    buffer.Reserve(GetStreamSize());
    SaveToStream(buffer);
    WriteFileAtomic(fileName, buffer.Bytes());
}

void TNamedObjectList::LoadFromFile(const std::string& fileName)
{
    TBytesReadStream stream(ReadWholeFile(fileName));
    LoadFromStream(stream, -1);
}

TNamedObject* TNamedObjectList::FindByID(int32_t id) const
{
    for (const auto& item : items_)
        if (item->FID == id)
            return item.get();
    return nullptr;
}

TNamedObject* TNamedObjectList::FindByName(const std::string& name) const
{
    for (const auto& item : items_)
        if (item->FName == name)
            return item.get();
    return nullptr;
}

std::string TNamedObjectList::EventName(TNamedObjectEvent event) const
{
    switch (event) {
    case TNamedObjectEvent::None: return "None";
    case TNamedObjectEvent::Adding: return "Adding";
    case TNamedObjectEvent::Added: return "Added";
    case TNamedObjectEvent::Removing: return "Removing";
    case TNamedObjectEvent::Removed: return "Removed";
    case TNamedObjectEvent::Changing: return "Changing";
    case TNamedObjectEvent::Changed: return "Changed";
    case TNamedObjectEvent::Clear: return "Clear";
    case TNamedObjectEvent::Refresh: return "Refresh";
    }
    return "Unknown";
}

std::unique_ptr<TNamedObject> TNamedObjectList::CreateItem() const
{
    return std::make_unique<TNamedObject>();
}

int TNamedObjectList::IndexOf(const TNamedObject* item) const
{
    for (size_t i = 0; i < items_.size(); ++i)
        if (items_[i].get() == item)
            return static_cast<int>(i);
    return -1;
}

std::unique_ptr<TNamedObject> TNamedObjectList::TakeOut(const TNamedObject* item)
{
    int i = IndexOf(item);
    if (i < 0)
        return nullptr;
    auto taken = std::move(items_[static_cast<size_t>(i)]);
    items_.erase(items_.begin() + i);
    return taken;
}

std::unique_ptr<TNamedObject> TNamedObjectList::Add(std::unique_ptr<TNamedObject> item)
{
    if (!item)
        return item;
    if (!IsItemClass(*item))
        throw Error("The item is not of the list's record class");
    TNamedObject* raw = item.get();
    if (NotifyInternal(raw, TNamedObjectEvent::Adding) == TSubscriberResult::Reject)
        return item; // it never entered the list
    raw->FOwner = this;
    items_.push_back(std::move(item));
    NotifyInternal(raw, TNamedObjectEvent::Added);
    // Rejected by any subscriber (even when a later one answered Continue): the item is
    // out of the list and goes back to the caller.
    if (auto rejected = Reclaim(raw)) {
        rejected->FOwner = nullptr;
        return rejected;
    }
    return nullptr;
}

void TNamedObjectList::DeleteItem(TNamedObject* item)
{
    NotifyInternal(item, TNamedObjectEvent::Removing);
    auto taken = TakeOut(item);
    if (!taken)
        taken = Reclaim(item); // a Reject of Removing has taken it out already
    if (!taken)
        return; // a handler deleted it meanwhile
    if (NotifyInternal(item, TNamedObjectEvent::Removed) == TSubscriberResult::Reject)
        taken.release(); // the rejecting subscriber owns it now
}

void TNamedObjectList::Delete(int index)
{
    if (auto* item = Get(index))
        DeleteItem(item);
}

void TNamedObjectList::DeleteByID(int32_t id)
{
    if (auto* item = FindByID(id))
        DeleteItem(item);
}

void TNamedObjectList::Remove(TNamedObject* item)
{
    if (item && IndexOf(item) >= 0)
        DeleteItem(item);
}

void TNamedObjectList::Clear()
{
    while (!items_.empty())
        items_.pop_back();
    Notify(nullptr, TNamedObjectEvent::Clear);
}

TSubscriberResult TNamedObjectList::Notify(TNamedObject* item, TNamedObjectEvent event)
{
    TSubscriberResult result = NotifyInternal(item, event);
    if (item)
        Reclaim(item).release(); // a rejecting subscriber has taken ownership
    return result;
}

TSubscriberResult TNamedObjectList::NotifyInternal(TNamedObject* item, TNamedObjectEvent event)
{
    TSubscriberResult result = TSubscriberResult::Continue;
    // By index and through shared pointers: a handler may subscribe others meanwhile.
    for (size_t i = 0; i < subscribers_.size(); ++i) {
        std::shared_ptr<TSubscriber> subscriber = subscribers_[i];
        result = subscriber->FHandler(subscriber->FOwner, item, event);
        if (result == TSubscriberResult::Stop)
            break;
        if (result == TSubscriberResult::Reject && item) {
            if (auto taken = TakeOut(item))
                rejected_.push_back(std::move(taken));
        }
    }
    return result;
}

std::unique_ptr<TNamedObject> TNamedObjectList::Reclaim(const TNamedObject* item)
{
    for (size_t i = 0; i < rejected_.size(); ++i) {
        if (rejected_[i].get() == item) {
            auto taken = std::move(rejected_[i]);
            rejected_.erase(rejected_.begin() + static_cast<std::ptrdiff_t>(i));
            return taken;
        }
    }
    return nullptr;
}

void TNamedObjectList::Subscribe(void* owner, TSubscriberHandler handler)
{
    if (!owner || !handler)
        return;
    for (const auto& s : subscribers_)
        if (s->FOwner == owner)
            return;
    auto subscriber = std::make_shared<TSubscriber>();
    subscriber->FHandler = std::move(handler);
    subscriber->FOwner = owner;
    subscribers_.push_back(std::move(subscriber));
}

} // namespace orlinda
