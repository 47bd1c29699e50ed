#include "core/MultiOptions.h"

#include "core/Error.h"
#include "core/MemoryStream.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using namespace orlinda;
using orlinda::test::TempDir;

TEST(MultiOptions, TextFormRoundTrips)
{
    TMultiOptions sections;
    auto* smtp = sections.FindOrAdd("smtp1");
    smtp->SetBool("SMTPSSL", false);
    smtp->SetInt("SMTPPort", 25);
    sections.FindOrAdd("empty");
    sections.FindOrAdd("Smtp1")->SetValue("Note", "two\r\nlines");
    const std::string text = "[smtp1]\r\nSMTPSSL=FALSE\r\nSMTPPort=25\r\n\r\n"
                             "[empty]\r\n\r\n"
                             "[Smtp1]\r\nNote=two%0D%0Alines\r\n\r\n";
    EXPECT_EQ(sections.Text(), text);

    TMultiOptions back;
    back.SetText(text);
    ASSERT_EQ(back.Count(), 3);
    EXPECT_EQ(back.Get(0)->FSectionName, "smtp1");
    EXPECT_EQ(back.Find("Smtp1")->GetValue("note"), "two\r\nlines");
    EXPECT_EQ(back.Find("empty")->Count(), 0);
    EXPECT_EQ(back.Find("SMTP1"), nullptr);
    EXPECT_EQ(back.Text(), text);
}

TEST(MultiOptions, LoadingFollowsTheHeaders)
{
    struct Case {
        std::string text;
        std::string expected; // Text() after loading
    };
    const Case cases[] = {
        // lines before the first header are dropped
        {"x=1\r\n[a]\r\n", "[a]\r\n\r\n"},
        // a name seen twice keeps only the lines after its last header, in its first place
        {"[a]\r\nx=1\r\n[b]\r\ny=2\r\n[a]\r\nz=3\r\n", "[a]\r\nz=3\r\n\r\n[b]\r\ny=2\r\n\r\n"},
        // CR, LF and empty lines; "[" alone is an ordinary line
        {"[a]\rx=1\n\n\n[\r[]\nq=2", "[a]\r\nx=1\r\n[\r\n\r\n[]\r\nq=2\r\n\r\n"},
        {"", ""},
    };
    for (const auto& c : cases) {
        TMultiOptions sections;
        sections.SetText(c.text);
        EXPECT_EQ(sections.Text(), c.expected) << c.text;
    }
}

TEST(MultiOptions, SectionsKnowTheirListAndIndex)
{
    TMultiOptions sections;
    auto* a = sections.AddSection();
    auto* b = sections.AddSection();
    EXPECT_NE(a->FSectionName, b->FSectionName);
    EXPECT_EQ(a->FSections, &sections);
    b->FSectionIndex = -1;
    EXPECT_EQ(sections.Get(1), b);
    EXPECT_EQ(b->FSectionIndex, 1);
    EXPECT_EQ(sections.Get(2), nullptr);
    EXPECT_EQ(sections.Get(-1), nullptr);
    EXPECT_EQ(sections.FindOrAdd(a->FSectionName), a);
    sections.Clear();
    EXPECT_EQ(sections.Count(), 0);
}

TEST(MultiOptions, AssignCopiesThroughTheTextForm)
{
    TMultiOptions source;
    source.SetText("[one]\r\na=1\r\n[two]\r\nb=2\r\n");
    TMultiOptions copy;
    copy.SetText("[old]\r\n");
    copy.Assign(source);
    EXPECT_EQ(copy.Text(), source.Text());
    EXPECT_EQ(copy.Get(0)->FSections, &copy);
    copy.Assign(copy);
    EXPECT_EQ(copy.Text(), source.Text());
}

TEST(MultiOptions, Files)
{
    TempDir dir;
    const std::string file = dir.File("smtp.dat");
    TMultiOptions sections;
    sections.FindOrAdd("mail.ru")->SetValue("SMTPHost", "smtp.mail.ru");
    sections.SaveToFile(file);
    EXPECT_EQ(orlinda::test::ReadFile(file), "[mail.ru]\r\nSMTPHost=smtp.mail.ru\r\n\r\n");
    TMultiOptions back;
    back.LoadFromFile(file);
    EXPECT_EQ(back.Find("mail.ru")->GetValue("SMTPHost"), "smtp.mail.ru");
    EXPECT_THROW(back.LoadFromFile(dir.File("missing")), Error);
}
