#pragma once
// The program's help file help.dat: a table of topics followed by the pages and images
// they point at, and the contents tree the topics make.
//
// Layout (little-endian):
//   0    28 bytes  header; the 32-bit integer at offset 8 is the number of topic records
//                  (0 or less: records run to the end of the file); the other bytes are
//                  not read (our writer puts "ORLHELP1" at offset 0)
//   28   ...       the topic records in the typed stream (THTMLHelpItem)
//   ...            the contents of pages and images, found by the records' offsets
#include "core/NamedObjectList.h"
#include "core/OptionsList.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace orlinda {

struct THelpTreeNode;

// One topic: a page or an image of the help file, and its place in the contents tree.
class THTMLHelpItem : public TNamedObject {
public:
    THTMLHelpItem() { THTMLHelpItem::Clear(); }
    void Clear() override;
    void Assign(const TNamedObject* source) override;
    int64_t GetStreamSize() const override;
    // FID, FName, FTitle, FPageName, FTreePath, FOffset, FSize, FKind.
    void SaveToStream(TStream& stream) const override;
    void LoadFromStream(TStream& stream) override;

    std::u16string FTitle;   // text of the contents tree
    std::string FPageName;   // file name as links refer to it: "dlg_notify.htm"
    std::string FTreePath;   // place in the tree: "reminders/notify"; empty: not in the tree
    int32_t FOffset = 0;     // absolute position of the contents in the file
    int32_t FSize = 0;       // their length
    int32_t FKind = 0;       // kept and copied, not interpreted

    // The tree node that shows the topic (the last one when several do); null when none.
    THelpTreeNode* Node() const { return static_cast<THelpTreeNode*>(FData); }
};

class THTMLHelpItemList : public TTypedList<THTMLHelpItem> {};

// A node of the contents tree; the root has no item.
struct THelpTreeNode {
    THTMLHelpItem* FItem = nullptr;
    THelpTreeNode* FParent = nullptr;
    std::vector<std::unique_ptr<THelpTreeNode>> FChildren;
};

// The help store without a screen: loads the file, builds the tree, finds pages, reads
// their contents and fills in the variables. The windows' help (ui/HtmlHelp.h) shows it.
class THelpStore {
public:
    // Results of Load.
    static constexpr int Loaded = 0;
    static constexpr int FileMissing = 101;
    static constexpr int ReadFailed = 603;
    static constexpr size_t HeaderSize = 28;

    THelpStore();
    ~THelpStore();
    THelpStore(const THelpStore&) = delete;
    THelpStore& operator=(const THelpStore&) = delete;

    // Remembers the path, empties the list and the tree, then reads the records. A file
    // that fails part way keeps the topics read before the failure and gives ReadFailed.
    int Load(const std::string& fileName);
    const std::string& FileName() const { return fileName_; }

    THTMLHelpItemList& Items() { return items_; }
    const THTMLHelpItemList& Items() const { return items_; }
    const THelpTreeNode& Tree() const { return root_; }

    // The topic whose page name, lower-cased, equals link exactly (so links are written
    // in lower case); null when there is none.
    THTMLHelpItem* FindPage(const std::string& link) const;
    // The topic's bytes; nullopt when they cannot be read (no file, a range outside it).
    std::optional<std::string> ReadContent(const THTMLHelpItem& item) const;
    // The text with the variables filled in: placeholders "{{Name}}" (see ExpandTemplate)
    // are replaced when there are variables and the text holds "{{".
    std::string Substitute(const std::string& text) const;

    // Values of the placeholders; the owner fills them (texts as the pages are written,
    // UTF-8 for the pages of this program).
    TOptionsList FVariables;

    // Told after a topic got its node in the tree (while loading).
    std::function<void(THelpTreeNode& node)> OnNodeAdded;
    // Told when the list and the tree were emptied.
    std::function<void()> OnCleared;

private:
    void Place(THTMLHelpItem& item);
    void PlaceUnder(THelpTreeNode& node, THTMLHelpItem& item, const std::string& path, const std::string& consumed);

    std::string fileName_;
    THTMLHelpItemList items_;
    THelpTreeNode root_;
};

// Lower case of ASCII letters and the Cyrillic letters of Windows-1251.
std::string HelpLowerCase(const std::string& text);

// --- writing and reading whole help files (orlinda-cli, the build, tests) ------------------

struct THelpTopic {
    int32_t id = 0;
    std::string name;        // 8-bit
    std::u16string title;
    std::string pageName;    // 8-bit
    std::string treePath;    // 8-bit
    int32_t kind = 0;
    std::string content;     // the page's or image's bytes
};

// The bytes of a help file holding the topics in order, their contents after the records
// in the same order. Raises Error when the file would exceed 2 GiB.
std::string BuildHelpFile(const std::vector<THelpTopic>& topics);

struct THelpFileContents {
    std::vector<THelpTopic> topics;  // what was read, up to a failure
    std::string error;               // the reader's message when the file failed part way
};
// Reads every topic with its contents. A topic whose contents lie outside the file is a
// failure ("Help topic contents outside the file").
THelpFileContents ReadHelpFile(const std::string& bytes);

} // namespace orlinda
