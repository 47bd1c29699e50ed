// The help file: its layout, the contents tree the topics make, page lookup and contents,
// and the placeholders of the pages.
#include "model/HelpStore.h"

#include "core/Unicode.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace orlinda;
using namespace orlinda::test;

namespace {

THelpTopic Topic(const std::string& page, const std::string& path, const std::string& content = "<p>x</p>")
{
    THelpTopic t;
    t.name = page;
    t.title = Utf8ToUtf16("Тема " + page);
    t.pageName = page;
    t.treePath = path;
    t.content = content;
    return t;
}

// The tree as text: one line per node, indented by depth, with the node's page name.
void Describe(const THelpTreeNode& node, int depth, std::string& out)
{
    for (const auto& child : node.FChildren) {
        out += std::string(static_cast<size_t>(depth) * 2, ' ') + child->FItem->FPageName + "\n";
        Describe(*child, depth + 1, out);
    }
}

std::string TreeOf(const THelpStore& store)
{
    std::string out;
    Describe(store.Tree(), 0, out);
    return out;
}

std::string Saved(const TempDir& dir, const std::vector<THelpTopic>& topics)
{
    const std::string file = dir.File("help.dat");
    WriteFile(file, BuildHelpFile(topics));
    return file;
}

} // namespace

TEST(HelpStore, FileLayoutRoundTrips)
{
    std::vector<THelpTopic> topics = {Topic("index.htm", "start", "<html>{{Version}}</html>"),
                                      Topic("img/logo.png", "", std::string("\x89PNG\0\x01\xff", 7))};
    topics[0].id = 7;
    topics[0].kind = 3;
    const std::string bytes = BuildHelpFile(topics);
    ASSERT_GE(bytes.size(), THelpStore::HeaderSize);
    EXPECT_EQ(bytes.substr(0, 8), "ORLHELP1");
    EXPECT_EQ(bytes[8], 2);  // the record count at offset 8
    EXPECT_EQ(bytes.substr(9, 3), std::string(3, '\0'));

    const THelpFileContents back = ReadHelpFile(bytes);
    EXPECT_EQ(back.error, "");
    ASSERT_EQ(back.topics.size(), 2u);
    EXPECT_EQ(back.topics[0].id, 7);
    EXPECT_EQ(back.topics[0].kind, 3);
    EXPECT_EQ(back.topics[0].title, topics[0].title);
    EXPECT_EQ(back.topics[0].content, topics[0].content);
    EXPECT_EQ(back.topics[1].content, topics[1].content);
    EXPECT_EQ(BuildHelpFile(back.topics), bytes);
}

TEST(HelpStore, ReadingStopsAtDamageAndKeepsTheTopicsBefore)
{
    TempDir dir;
    std::string bytes = BuildHelpFile({Topic("a.htm", "a"), Topic("b.htm", "b")});
    // A count larger than the records makes the reader run into the page contents.
    bytes[8] = 5;
    WriteFile(dir.File("help.dat"), bytes);
    THelpStore store;
    EXPECT_EQ(store.Load(dir.File("help.dat")), THelpStore::ReadFailed);
    EXPECT_EQ(store.Items().Count(), 2);
    EXPECT_EQ(TreeOf(store), "a.htm\nb.htm\n");

    WriteFile(dir.File("short.dat"), "ORLHELP1");
    EXPECT_EQ(store.Load(dir.File("short.dat")), THelpStore::ReadFailed);
    EXPECT_EQ(store.Items().Count(), 0);
    EXPECT_EQ(store.Load(dir.File("missing.dat")), THelpStore::FileMissing);
    EXPECT_EQ(store.Items().Count(), 0);
    EXPECT_TRUE(store.Tree().FChildren.empty());
}

TEST(HelpStore, CountOfZeroReadsRecordsToTheEnd)
{
    TempDir dir;
    // Without contents after them, records read to the end of the file are all there is.
    std::string bytes = BuildHelpFile({Topic("a.htm", "a", ""), Topic("b.htm", "a/b", "")});
    bytes[8] = 0;
    WriteFile(dir.File("help.dat"), bytes);
    THelpStore store;
    EXPECT_EQ(store.Load(dir.File("help.dat")), THelpStore::Loaded);
    EXPECT_EQ(TreeOf(store), "a.htm\n  b.htm\n");
}

TEST(HelpStore, TreePlacement)
{
    TempDir dir;
    THelpStore store;
    const std::string file = Saved(dir, {
                                            Topic("start.htm", " Start "),         // trimmed, lower-cased
                                            Topic("people.htm", "people"),
                                            Topic("edit.htm", "people/edit"),
                                            Topic("deep.htm", "people/edit/deep"),  // under the child
                                            Topic("orphan.htm", "nobody/child"),    // parent missing
                                            Topic("early.htm", "later/child"),      // parent comes later
                                            Topic("later.htm", "later"),
                                            Topic("case.htm", "Start/child"),       // stored parent is " Start "
                                            Topic("image.png", ""),                 // no node
                                        });
    ASSERT_EQ(store.Load(file), THelpStore::Loaded);
    EXPECT_EQ(TreeOf(store),
              "start.htm\n"
              "people.htm\n"
              "  edit.htm\n"
              "    deep.htm\n"
              "later.htm\n");
    EXPECT_EQ(store.FindPage("orphan.htm")->Node(), nullptr);
    EXPECT_EQ(store.FindPage("image.png")->Node(), nullptr);
    ASSERT_NE(store.FindPage("edit.htm")->Node(), nullptr);
    EXPECT_EQ(store.FindPage("edit.htm")->Node()->FParent->FItem->FPageName, "people.htm");
}

TEST(HelpStore, FindPageComparesLowerCasedNamesWithTheLinkAsItIs)
{
    TempDir dir;
    THelpStore store;
    ASSERT_EQ(store.Load(Saved(dir, {Topic("Dlg_Notify.HTM", "n"), Topic("\xC1\xCB.htm", "c")})), 0);
    EXPECT_NE(store.FindPage("dlg_notify.htm"), nullptr);
    EXPECT_EQ(store.FindPage("Dlg_Notify.HTM"), nullptr);  // links are expected in lower case
    EXPECT_NE(store.FindPage("\xE1\xEB.htm"), nullptr);    // Cyrillic letters fold too
    EXPECT_EQ(store.FindPage("missing.htm"), nullptr);
}

TEST(HelpStore, ContentsAreReadFromTheFileAndCheckedAgainstIt)
{
    TempDir dir;
    THelpStore store;
    ASSERT_EQ(store.Load(Saved(dir, {Topic("a.htm", "a", "alpha"), Topic("b.htm", "b", "beta")})), 0);
    EXPECT_EQ(store.ReadContent(*store.FindPage("b.htm")).value_or("?"), "beta");
    THTMLHelpItem* a = store.FindPage("a.htm");
    a->FSize = 1 << 20;  // beyond the end
    EXPECT_FALSE(store.ReadContent(*a).has_value());
    a->FSize = -1;
    EXPECT_FALSE(store.ReadContent(*a).has_value());
}

TEST(HelpStore, Substitution)
{
    THelpStore store;
    EXPECT_EQ(store.Substitute("{{Version}}"), "{{Version}}");  // no variables: the text as it is
    store.FVariables.SetValue("Version", "1.0.0 (Build 7)");
    store.FVariables.SetValue("Offsite", "<a href=\"https://example.org/\">example.org</a>");
    struct Case {
        const char* page;
        const char* shown;
    } cases[] = {
        {"Версия {{Version}}.", "Версия 1.0.0 (Build 7)."},
        {"[{{Unknown}}]", "[]"},
        {"{{|{Version}| и далее}}", "1.0.0 (Build 7) и далее"},
        {"a {{Version and the rest", "a {{Version and the rest"},
        {"{{offsite}}", "<a href=\"https://example.org/\">example.org</a>"},
        {"no placeholders", "no placeholders"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(store.Substitute(c.page), c.shown) << c.page;
}
