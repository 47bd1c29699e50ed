#include "core/PersistObjList.h"

#include "core/Error.h"
#include "core/MemoryStream.h"
#include "core/OptionsList.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using namespace orlinda;
using orlinda::test::TempDir;

namespace {

// Option lists kept in the list's own binary form (TOptionsList writes its text).
class TOptionsBlobList : public TPersistObjList {
public:
    std::unique_ptr<TPersistObj> CreateItem() override { return std::make_unique<TOptionsList>(); }
    TOptionsList* Get(int i) const { return static_cast<TOptionsList*>(Item(i)); }
};

std::string Bytes(TPersistObjList& list)
{
    TMemoryStream stream;
    list.SaveToStream(stream);
    return stream.DataString();
}

void Load(TPersistObjList& list, const std::string& bytes)
{
    TMemoryStream stream;
    stream.Write(bytes);
    stream.SetPosition(0);
    list.LoadFromStream(stream);
}

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

TEST(PersistObjList, StreamFormIsCountThenSizedItems)
{
    TOptionsBlobList list;
    EXPECT_EQ(Bytes(list), std::string("\x04\x00\x00\x00\x00\x00", 6));

    static_cast<TOptionsList*>(list.AddNew())->SetValue("a", "1");
    list.AddNew();
    const std::string bytes = Bytes(list);
    EXPECT_EQ(bytes, std::string("\x04\x00" "\x02\x00\x00\x00"
                                 "\x05\x00\x00\x00" "a=1\r\n"
                                 "\x00\x00\x00\x00", 19));

    TOptionsBlobList back;
    back.SetCount(5);
    Load(back, bytes);
    ASSERT_EQ(back.Count(), 2);
    EXPECT_EQ(back.Get(0)->GetValue("a"), "1");
    EXPECT_EQ(back.Get(1)->Count(), 0);
}

TEST(PersistObjList, CorruptStreamsFail)
{
    struct Case { std::string bytes, message; };
    const Case cases[] = {
        {"", "Error reading data from stream"},
        {std::string("\x02\x00\x01\x00", 4), "Error reading data from stream. Incorrect data size."},
        {std::string("\x04\x00\x01\x00", 4), "Error reading data from stream"},
        {std::string("\x04\x00\xFF\xFF\xFF\xFF", 6), "Error reading data from stream"},           // negative count
        {std::string("\x04\x00\xFF\xFF\xFF\x7F", 6), "Error reading data from stream"},           // huge count
        {std::string("\x04\x00\x01\x00\x00\x00\xFF\xFF\xFF\x7F", 10), "Error reading data from stream"},
        {std::string("\x04\x00\x01\x00\x00\x00\xFE\xFF\xFF\xFF", 10), "Error reading data from stream"},
        {std::string("\x04\x00\x01\x00\x00\x00\x09\x00\x00\x00" "a=1", 13), "Error reading data from stream"},
    };
    for (const auto& c : cases) {
        TOptionsBlobList list;
        EXPECT_EQ(Message([&] { Load(list, c.bytes); }), c.message);
    }
}

TEST(PersistObjList, AssignCountAndDelete)
{
    TOptionsBlobList source;
    source.SetCount(3);
    for (int i = 0; i < 3; ++i)
        source.Get(i)->SetInt("i", i);
    TOptionsBlobList copy;
    copy.Assign(source);
    ASSERT_EQ(copy.Count(), 3);
    EXPECT_EQ(copy.Get(2)->GetInt("i", -1), 2);
    copy.Delete(0);
    copy.Delete(7);
    copy.Delete(-1);
    ASSERT_EQ(copy.Count(), 2);
    EXPECT_EQ(copy.Get(0)->GetInt("i", -1), 1);
    EXPECT_EQ(copy.Item(2), nullptr);
    copy.Assign(copy);
    EXPECT_EQ(copy.Count(), 2);
}

TEST(PersistObjList, Files)
{
    TempDir dir;
    const std::string file = dir.File("list.dat");
    TOptionsBlobList list;
    static_cast<TOptionsList*>(list.AddNew())->SetValue("x", "y");
    list.SaveToFile(file);
    EXPECT_EQ(orlinda::test::ReadFile(file), Bytes(list));
    TOptionsBlobList back;
    back.LoadFromFile(file);
    EXPECT_EQ(back.Get(0)->GetValue("x"), "y");
    EXPECT_THROW(back.LoadFromFile(dir.File("missing")), Error);
}
