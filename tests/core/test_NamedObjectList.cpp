#include "core/NamedObjectList.h"

#include "core/Error.h"
#include "core/TypedStream.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using namespace orlinda;
using orlinda::test::ReadFile;
using orlinda::test::TempDir;
using orlinda::test::WriteFile;

namespace {

class TThing : public TNamedObject {
public:
    TThing() { TThing::Clear(); }
    void Clear() override
    {
        TNamedObject::Clear();
        FCount = 7;
        FTitle = u"";
    }
    void Assign(const TNamedObject* source) override
    {
        TNamedObject::Assign(source);
        if (auto* s = dynamic_cast<const TThing*>(source)) {
            FCount = s->FCount;
            FTitle = s->FTitle;
        }
    }
    int64_t GetStreamSize() const override
    {
        return TNamedObject::GetStreamSize() + IntegerStreamSize + WideStreamSize(FTitle);
    }
    void SaveToStream(TStream& s) const override
    {
        if (FFailSave)
            throw Error("Error writing data to stream");
        TNamedObject::SaveToStream(s);
        WriteInteger(s, FCount);
        WriteWideString(s, FTitle);
    }
    void LoadFromStream(TStream& s) override
    {
        TNamedObject::LoadFromStream(s);
        FCount = ReadInteger(s);
        FTitle = ReadWideString(s);
    }
    int32_t FCount;
    std::u16string FTitle;
    bool FFailSave = false;
};

class TThingList : public TTypedList<TThing> {};

std::unique_ptr<TThing> Thing(int32_t id, const std::string& name, int32_t count = 1)
{
    auto t = std::make_unique<TThing>();
    t->FID = id;
    t->FName = name;
    t->FCount = count;
    t->FTitle = u"Заголовок";
    return t;
}

// Records every event it hears as "Event:name" and answers as told.
struct TRecorder {
    std::vector<std::string> events;
    TSubscriberResult answer = TSubscriberResult::Continue;
    TNamedObjectEvent answerOn = TNamedObjectEvent::None;
    std::unique_ptr<TNamedObject> kept; // what a Reject of Removed handed to us

    void Attach(TNamedObjectList& list)
    {
        list.Subscribe(this, [this, &list](void* owner, TNamedObject* item, TNamedObjectEvent event) {
            EXPECT_EQ(owner, this);
            events.push_back(list.EventName(event) + ":" + (item ? item->FName : "null"));
            if (event != answerOn)
                return TSubscriberResult::Continue;
            if (answer == TSubscriberResult::Reject && event == TNamedObjectEvent::Removed)
                kept.reset(item);
            return answer;
        });
    }
};

std::string Message(const std::function<void()>& f)
{
    try {
        f();
    } catch (const Error& e) {
        return e.what();
    }
    return "no error";
}

} // namespace

TEST(NamedObject, ClearAssignAndStreamSize)
{
    TThing thing;
    EXPECT_EQ(thing.FID, -1);
    EXPECT_EQ(thing.FCount, 7); // the descendant's own default
    EXPECT_EQ(thing.FOwner, nullptr);

    TThingList list;
    list.Add(Thing(5, "five", 50));
    TThing copy;
    copy.Assign(list.Get(0));
    EXPECT_EQ(copy.FOwner, &list);
    EXPECT_EQ(copy.FID, 5);
    EXPECT_EQ(copy.FCount, 50);
    EXPECT_EQ(copy.GetStreamSize(), 9 + 9 + 9 + 5 + 18);

    TNamedObject base;
    base.FID = 9;
    base.FName = "base";
    copy.Assign(&base); // four base fields only
    EXPECT_EQ(copy.FID, 9);
    EXPECT_EQ(copy.FName, "base");
    EXPECT_EQ(copy.FOwner, nullptr);
    EXPECT_EQ(copy.FCount, 50);
    copy.Assign(nullptr);
    EXPECT_EQ(copy.FID, 9);

    copy.FData = &copy;
    copy.Clear();
    EXPECT_EQ(copy.FID, -1);
    EXPECT_EQ(copy.FName, "");
    EXPECT_EQ(copy.FData, nullptr);
    EXPECT_EQ(copy.FCount, 7);
}

TEST(NamedObjectList, LookupsAndRanges)
{
    TThingList list;
    list.Add(Thing(1, "ABC"));
    list.Add(Thing(2, "abc"));
    list.Add(Thing(2, "dup"));
    EXPECT_EQ(list.Get(-1), nullptr);
    EXPECT_EQ(list.Get(list.Count()), nullptr);
    EXPECT_EQ(list.FindByName("abc")->FID, 2);
    EXPECT_EQ(list.FindByName("Abc"), nullptr);
    EXPECT_EQ(list.FindByID(2)->FName, "abc");
    EXPECT_EQ(list.FindByID(3), nullptr);
    EXPECT_EQ(list.Get(0)->FOwner, &list);
    EXPECT_EQ(list.IndexOf(list.Get(2)), 2);

    list.Delete(-1);
    list.Delete(3);
    list.DeleteByID(42);
    TThing stranger;
    list.Remove(&stranger);
    list.Remove(nullptr);
    EXPECT_EQ(list.Count(), 3);

    list.DeleteByID(2); // the first with that ID
    EXPECT_EQ(list.Get(1)->FName, "dup");

    TNamedObjectList& base = list;
    EXPECT_THROW(base.Add(std::make_unique<TNamedObject>()), Error);
}

TEST(NamedObjectList, EventsOfEveryOperation)
{
    TRecorder recorder;
    {
        TThingList list;
        recorder.Attach(list);
        list.Add(Thing(1, "a"));
        list.Add(Thing(2, "b"));
        list.Add(Thing(3, "c"));
        list.Delete(0);
        list.DeleteByID(2);
        list.Remove(list.Get(0));
        list.Add(Thing(4, "d"));
        list.Add(Thing(5, "e"));
        list.Notify(list.Get(0), TNamedObjectEvent::Changed);
        list.Clear();
        EXPECT_EQ(list.Count(), 0);
    } // destroying the list clears it once more
    const std::vector<std::string> expected = {
        "Adding:a", "Added:a", "Adding:b", "Added:b", "Adding:c", "Added:c",
        "Removing:a", "Removed:a", "Removing:b", "Removed:b", "Removing:c", "Removed:c",
        "Adding:d", "Added:d", "Adding:e", "Added:e", "Changed:d",
        "Clear:null", "Clear:null"};
    EXPECT_EQ(recorder.events, expected);
}

TEST(NamedObjectList, SubscribersInOrderOncePerOwnerAndStop)
{
    TNamedObjectList list;
    std::string calls;
    int a, b;
    list.Subscribe(&a, [&](void*, TNamedObject*, TNamedObjectEvent) { calls += "a"; return TSubscriberResult::Stop; });
    list.Subscribe(&a, [&](void*, TNamedObject*, TNamedObjectEvent) { calls += "A"; return TSubscriberResult::Continue; });
    list.Subscribe(&b, [&](void*, TNamedObject*, TNamedObjectEvent) { calls += "b"; return TSubscriberResult::Continue; });
    list.Subscribe(nullptr, [&](void*, TNamedObject*, TNamedObjectEvent) { calls += "n"; return TSubscriberResult::Continue; });
    list.Subscribe(&b, nullptr);
    EXPECT_EQ(list.SubscriberCount(), 2);
    EXPECT_EQ(list.Notify(nullptr, TNamedObjectEvent::Refresh), TSubscriberResult::Stop);
    EXPECT_EQ(calls, "a");
    list.ClearSubscribers();
    EXPECT_EQ(list.Notify(nullptr, TNamedObjectEvent::Refresh), TSubscriberResult::Continue);
}

TEST(NamedObjectList, RejectedItemsGoBackToTheCaller)
{
    for (auto on : {TNamedObjectEvent::Adding, TNamedObjectEvent::Added}) {
        TRecorder recorder; // outlives the list, which calls it when it goes
        TThingList list;
        recorder.answer = TSubscriberResult::Reject;
        recorder.answerOn = on;
        recorder.Attach(list);
        auto back = list.Add(Thing(1, "x"));
        ASSERT_NE(back, nullptr);
        EXPECT_EQ(back->FName, "x");
        EXPECT_EQ(back->FOwner, nullptr);
        EXPECT_EQ(list.Count(), 0);
    }

    // Rejected by one subscriber and let through by a later one: still out, still returned.
    TRecorder rejecter, passer;
    TThingList list;
    rejecter.answer = TSubscriberResult::Reject;
    rejecter.answerOn = TNamedObjectEvent::Added;
    rejecter.Attach(list);
    passer.Attach(list);
    auto back = list.Add(Thing(1, "x"));
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(list.Count(), 0);
}

TEST(NamedObjectList, RejectingRemovedTakesOwnership)
{
    TRecorder recorder;
    TThingList list;
    recorder.answer = TSubscriberResult::Reject;
    recorder.answerOn = TNamedObjectEvent::Removed;
    recorder.Attach(list);
    list.Add(Thing(1, "kept"));
    list.Delete(0);
    EXPECT_EQ(list.Count(), 0);
    ASSERT_NE(recorder.kept, nullptr);
    EXPECT_EQ(recorder.kept->FName, "kept");
}

TEST(NamedObjectList, EventNames)
{
    TNamedObjectList list;
    const char* names[] = {"None", "Adding", "Added", "Removing", "Removed", "Changing", "Changed", "Clear", "Refresh",
                           "Unknown"};
    for (int code = 0; code <= 9; ++code)
        EXPECT_EQ(list.EventName(static_cast<TNamedObjectEvent>(code)), names[code]);
    EXPECT_EQ(list.EventName(static_cast<TNamedObjectEvent>(255)), "Unknown");
}

TEST(NamedObjectList, FilesAreTheRecordsBackToBack)
{
    TempDir dir;
    const std::string file = dir.File("users.dat");

    TThingList empty;
    empty.SaveToFile(file);
    EXPECT_EQ(ReadFile(file), "");
    empty.LoadFromFile(file);
    EXPECT_EQ(empty.Count(), 0);

    TThingList list;
    list.Add(Thing(1, "one", 10));
    list.Add(Thing(2, "two", 20));
    list.SaveToFile(file);
    const std::string bytes = ReadFile(file);
    EXPECT_EQ(static_cast<int64_t>(bytes.size()), list.GetStreamSize());
    EXPECT_EQ(bytes.substr(0, 18), std::string("\x01\x04\x00\x00\x00\x01\x00\x00\x00\x05\x03\x00\x00\x00one\x01\x04", 18));

    TRecorder recorder;
    TThingList back;
    back.Add(Thing(9, "already there"));
    recorder.Attach(back);
    back.LoadFromFile(file); // appends
    ASSERT_EQ(back.Count(), 3);
    EXPECT_EQ(back.Get(2)->FCount, 20);
    EXPECT_EQ(back.Get(2)->FTitle, u"Заголовок");
    EXPECT_EQ(recorder.events, (std::vector<std::string>{"Adding:one", "Added:one", "Adding:two", "Added:two"}));

    TBytesReadStream stream(bytes);
    TThingList some;
    EXPECT_EQ(some.LoadFromStream(stream, 1), 1);
    EXPECT_EQ(some.LoadFromStream(stream, 0), 0);
    EXPECT_EQ(some.LoadFromStream(stream, 5), 1);
    EXPECT_EQ(some.LoadFromStream(stream, 5), 0);

    // A file cut in the middle of the second record keeps the first.
    WriteFile(file, bytes.substr(0, bytes.size() - 3));
    TThingList cut;
    EXPECT_EQ(Message([&] { cut.LoadFromFile(file); }), "Error reading data from stream");
    ASSERT_EQ(cut.Count(), 1);
    EXPECT_EQ(cut.Get(0)->FName, "one");

    EXPECT_THROW(cut.LoadFromFile(dir.File("missing.dat")), Error);
}

TEST(NamedObjectList, FailedSaveLeavesThePreviousFile)
{
    TempDir dir;
    const std::string file = dir.File("reminders.dat");
    TThingList list;
    list.Add(Thing(1, "one"));
    list.SaveToFile(file);
    const std::string before = ReadFile(file);

    list.Add(Thing(2, "two"));
    list.Get(1)->FFailSave = true;
    EXPECT_THROW(list.SaveToFile(file), Error);
    EXPECT_EQ(ReadFile(file), before);

    EXPECT_THROW(list.SaveToFile(dir.File("no/such/folder/x.dat")), Error);

    TThing single;
    single.FFailSave = true;
    EXPECT_THROW(single.SaveToFile(file), Error);
    EXPECT_EQ(ReadFile(file), before);
    single.FFailSave = false;
    single.FName = "single";
    single.SaveToFile(file);
    TThing loaded;
    loaded.LoadFromFile(file);
    EXPECT_EQ(loaded.FName, "single");
    EXPECT_EQ(loaded.FCount, 7);
}
