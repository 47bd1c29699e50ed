#pragma once
#include "core/NamedObject.h"
#include "core/Stream.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace orlinda {

// Change events of a TNamedObjectList (one byte each).
enum class TNamedObjectEvent : uint8_t {
    None = 0,
    Adding = 1,   // Add, before the item enters the list
    Added = 2,    // Add, after it entered
    Removing = 3, // Delete, DeleteByID, Remove: before the item leaves the list
    Removed = 4,  // the same, after it left and before it is destroyed
    Changing = 5, // raised by no operation
    Changed = 6,  // callers, through Notify, after they changed an item in place
    Clear = 7,    // Clear, with a null item, after all items were destroyed
    Refresh = 8,  // raised by no operation
};

// What a subscriber answers.
//   Continue  go on with the next subscriber
//   Stop      no later subscriber hears of this event
//   Reject    Adding/Added: the item does not stay in the list and goes back to the caller
//             of Add. Removed: the rejecting subscriber takes ownership of the item (wrap
//             the pointer in a std::unique_ptr). Any other event: the item is taken out
//             of the list and the rejecting subscriber takes ownership of it likewise.
enum class TSubscriberResult : uint8_t { Continue = 0, Stop = 1, Reject = 2 };

// handler(owner, item, event); item is null for Clear.
using TSubscriberHandler = std::function<TSubscriberResult(void* owner, TNamedObject* item, TNamedObjectEvent event)>;

struct TSubscriber {
    TSubscriberHandler FHandler;
    void* FOwner = nullptr; // the object that registered it, passed to the handler
};

// An owning, observable list of named objects. The item class comes from CreateItem:
// derive TTypedList<TRecord> (below) for a list of TRecord.
//
// Not thread-safe: lists and records live on the user-interface thread.
class TNamedObjectList {
public:
    TNamedObjectList() = default;
    // Clear (subscribers see the Clear event), then ClearSubscribers.
    virtual ~TNamedObjectList();
    TNamedObjectList(const TNamedObjectList&) = delete;
    TNamedObjectList& operator=(const TNamedObjectList&) = delete;

    // 1. The item, or null when index < 0 or index >= Count.
    virtual TNamedObject* Get(int index) const;
    // 2. Sum of the items' GetStreamSize.
    virtual int64_t GetStreamSize() const;
    // 3. Each item's SaveToStream, in list order (nothing else: no header, no count).
    virtual void SaveToStream(TStream& stream) const;
    // 4. Appends items read from the stream (the list is not emptied first): creates an
    //    item with CreateItem, loads it and Adds it, until count items were read (count
    //    <= 0: until the end of the stream). Returns the number read; 0 when count is 0.
    //    When an item fails to load it is destroyed and the failure propagates; the items
    //    read before it stay in the list.
    virtual int LoadFromStream(TStream& stream, int count = -1);
    // 5. The file holds exactly SaveToStream's bytes; written atomically, so a failed
    //    save leaves the previous file as it was.
    virtual void SaveToFile(const std::string& fileName) const;
    // 6. LoadFromStream(file, -1); the file is read whole first.
    virtual void LoadFromFile(const std::string& fileName);
    // 7. First item with that FID, or null.
    virtual TNamedObject* FindByID(int32_t id) const;
    // 8. First item whose FName equals name byte for byte (case-sensitive), or null.
    virtual TNamedObject* FindByName(const std::string& name) const;
    // 9. "None", "Adding", ... "Refresh"; "Unknown" for any other code.
    virtual std::string EventName(TNamedObjectEvent event) const;

    // A new item of the list's record class (its constructor has run its Clear).
    virtual std::unique_ptr<TNamedObject> CreateItem() const;

    int Count() const { return static_cast<int>(items_.size()); }
    // Position of the item in the list, -1 when it is not in it.
    int IndexOf(const TNamedObject* item) const;

    // Adding, append (FOwner := this list), Added. Returns null when the item stayed in
    // the list; when a subscriber rejected it, returns the item (FOwner cleared) to the
    // caller. A null item is returned as it is. An item not of the list's record class
    // raises Error.
    std::unique_ptr<TNamedObject> Add(std::unique_ptr<TNamedObject> item);
    // Removing, take out, Removed, destroy (unless Removed was rejected). Out of range
    // or no such item: nothing.
    void Delete(int index);
    void DeleteByID(int32_t id);
    void Remove(TNamedObject* item);
    // Destroys all items (last to first) without Removing/Removed events, then sends one
    // Clear event with a null item.
    void Clear();

    // Calls the subscribers in the order they subscribed; returns the last result
    // (Continue when there is none). See TSubscriberResult for Stop and Reject.
    TSubscriberResult Notify(TNamedObject* item, TNamedObjectEvent event);
    // Ignored when owner is null, handler is empty, or owner already subscribed.
    // The list calls its subscribers until it is gone (its destructor sends Clear): a
    // subscriber that goes first must have the list ClearSubscribers before.
    void Subscribe(void* owner, TSubscriberHandler handler);
    void ClearSubscribers() { subscribers_.clear(); }
    int SubscriberCount() const { return static_cast<int>(subscribers_.size()); }

protected:
    // Whether item is of the list's record class; TTypedList checks its T.
    virtual bool IsItemClass(const TNamedObject& item) const { return true; }

private:
    // Takes the item out without destroying it; null when it is not in the list.
    std::unique_ptr<TNamedObject> TakeOut(const TNamedObject* item);
    void DeleteItem(TNamedObject* item);
    // Notify that keeps items taken out by a Reject in rejected_ ...
    TSubscriberResult NotifyInternal(TNamedObject* item, TNamedObjectEvent event);
    // ... from where Add and Delete take them back (null when not there).
    std::unique_ptr<TNamedObject> Reclaim(const TNamedObject* item);

    std::vector<std::unique_ptr<TNamedObject>> items_;
    std::vector<std::unique_ptr<TNamedObject>> rejected_;
    std::vector<std::shared_ptr<TSubscriber>> subscribers_;
};

// A list of records of class T (default-constructible, derived from TNamedObject):
//
//   class TReminderList : public TTypedList<TReminder> {};
//
// gives Get, FindByID, FindByName and Add typed to T, and loads T items.
template <class T>
class TTypedList : public TNamedObjectList {
public:
    T* Get(int index) const override { return static_cast<T*>(TNamedObjectList::Get(index)); }
    T* FindByID(int32_t id) const override { return static_cast<T*>(TNamedObjectList::FindByID(id)); }
    T* FindByName(const std::string& name) const override
    {
        return static_cast<T*>(TNamedObjectList::FindByName(name));
    }
    std::unique_ptr<TNamedObject> CreateItem() const override { return std::make_unique<T>(); }

    // Typed Add: null when the item stayed in the list, the item itself when rejected.
    std::unique_ptr<T> Add(std::unique_ptr<T> item)
    {
        return std::unique_ptr<T>(static_cast<T*>(TNamedObjectList::Add(std::move(item)).release()));
    }

protected:
    bool IsItemClass(const TNamedObject& item) const override { return dynamic_cast<const T*>(&item) != nullptr; }
};

} // namespace orlinda
