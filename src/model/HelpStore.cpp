#include "model/HelpStore.h"

#include "core/Error.h"
#include "core/ExpandTemplate.h"
#include "core/FileStream.h"
#include "core/TypedStream.h"
#include "platform/Folders.h"

#include <cstring>
#include <limits>

namespace orlinda {

namespace {

const char HelpMagic[8] = {'O', 'R', 'L', 'H', 'E', 'L', 'P', '1'};

std::string Trim(const std::string& text)
{
    size_t b = 0;
    size_t e = text.size();
    while (b < e && static_cast<unsigned char>(text[b]) <= ' ')
        ++b;
    while (e > b && static_cast<unsigned char>(text[e - 1]) <= ' ')
        --e;
    return text.substr(b, e - b);
}

int32_t ReadInt32LE(const std::string& bytes, size_t at)
{
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | static_cast<unsigned char>(bytes[at + static_cast<size_t>(i)]);
    return static_cast<int32_t>(v);
}

void PutInt32LE(std::string& bytes, size_t at, int32_t value)
{
    const auto v = static_cast<uint32_t>(value);
    for (int i = 0; i < 4; ++i)
        bytes[at + static_cast<size_t>(i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

bool ContentInside(const THTMLHelpItem& item, int64_t fileSize)
{
    return item.FOffset >= 0 && item.FSize >= 0 &&
           static_cast<int64_t>(item.FOffset) + static_cast<int64_t>(item.FSize) <= fileSize;
}

// Every node under node (not node itself), depth first.
void CollectNodes(THelpTreeNode& node, std::vector<THelpTreeNode*>& out)
{
    for (auto& child : node.FChildren) {
        out.push_back(child.get());
        CollectNodes(*child, out);
    }
}

} // namespace

// --- THTMLHelpItem ---------------------------------------------------------------------------

void THTMLHelpItem::Clear()
{
    TNamedObject::Clear();
    FTitle.clear();
    FPageName.clear();
    FTreePath.clear();
    FOffset = 0;
    FSize = 0;
    FKind = 0;
}

void THTMLHelpItem::Assign(const TNamedObject* source)
{
    TNamedObject::Assign(source);
    if (auto* s = dynamic_cast<const THTMLHelpItem*>(source); s && s != this) {
        FTitle = s->FTitle;
        FPageName = s->FPageName;
        FTreePath = s->FTreePath;
        FOffset = s->FOffset;
        FSize = s->FSize;
        FKind = s->FKind;
    }
}

int64_t THTMLHelpItem::GetStreamSize() const
{
    return TNamedObject::GetStreamSize() + WideStreamSize(FTitle) + AnsiStreamSize(FPageName) +
           AnsiStreamSize(FTreePath) + 3 * IntegerStreamSize;
}

void THTMLHelpItem::SaveToStream(TStream& stream) const
{
    TNamedObject::SaveToStream(stream);
    WriteWideString(stream, FTitle);
    WriteAnsiString(stream, FPageName);
    WriteAnsiString(stream, FTreePath);
    WriteInteger(stream, FOffset);
    WriteInteger(stream, FSize);
    WriteInteger(stream, FKind);
}

void THTMLHelpItem::LoadFromStream(TStream& stream)
{
    TNamedObject::LoadFromStream(stream);
    FTitle = ReadWideString(stream);
    FPageName = ReadAnsiString(stream);
    FTreePath = ReadAnsiString(stream);
    FOffset = ReadInteger(stream);
    FSize = ReadInteger(stream);
    FKind = ReadInteger(stream);
}

// --- THelpStore ------------------------------------------------------------------------------

std::string HelpLowerCase(const std::string& text)
{
    std::string out = text;
    for (char& ch : out) {
        const auto c = static_cast<unsigned char>(ch);
        if (c >= 'A' && c <= 'Z')
            ch = static_cast<char>(c + 32);
        else if (c >= 0xC0 && c <= 0xDF)          // А..Я
            ch = static_cast<char>(c + 32);
        else if (c == 0xA8)                       // Ё
            ch = static_cast<char>(0xB8);
        else if (c == 0xAA || c == 0xAF || c == 0xBD)  // Є, Ї, Ѕ
            ch = static_cast<char>(c == 0xBD ? 0xBE : c + 16);
        else if (c == 0xB2)                       // І
            ch = static_cast<char>(0xB3);
        else if (c == 0xA5)                       // Ґ
            ch = static_cast<char>(0xB4);
        else if (c == 0xA1)                       // Ў
            ch = static_cast<char>(0xA2);
        else if (c == 0xA3)                       // Ј
            ch = static_cast<char>(0xBC);
    }
    return out;
}

THelpStore::THelpStore()
{
    items_.Subscribe(this, [this](void*, TNamedObject* item, TNamedObjectEvent event) {
        if (event == TNamedObjectEvent::Added && item)
            Place(static_cast<THTMLHelpItem&>(*item));
        return TSubscriberResult::Continue;
    });
}

THelpStore::~THelpStore()
{
    items_.ClearSubscribers();
}

int THelpStore::Load(const std::string& fileName)
{
    fileName_ = fileName;
    items_.Clear();
    root_.FChildren.clear();
    if (OnCleared)
        OnCleared();
    if (!IsExistingFile(fileName))
        return FileMissing;
    try {
        std::string bytes = ReadWholeFile(fileName);
        if (bytes.size() < HeaderSize)
            return ReadFailed;
        const int32_t count = ReadInt32LE(bytes, 8);
        TBytesReadStream stream(std::move(bytes));
        stream.SetPosition(static_cast<int64_t>(HeaderSize));
        items_.LoadFromStream(stream, count > 0 ? count : -1);
        return Loaded;
    } catch (const std::exception&) {
        return ReadFailed;
    }
}

void THelpStore::Place(THTMLHelpItem& item)
{
    const std::string path = HelpLowerCase(Trim(item.FTreePath));
    if (path.empty())
        return;
    PlaceUnder(root_, item, path, {});
}

// A path with a "/" goes below every node whose topic's stored tree path is the part
// before it (for deeper paths: the whole path consumed so far); the last segment makes the
// new node. So "people/edit" lands under the topic whose path is "people", and a path that
// names no existing parent makes no node at all.
void THelpStore::PlaceUnder(THelpTreeNode& node, THTMLHelpItem& item, const std::string& path,
                            const std::string& consumed)
{
    const size_t slash = path.find('/');
    if (slash == std::string::npos) {
        auto child = std::make_unique<THelpTreeNode>();
        child->FItem = &item;
        child->FParent = &node;
        THelpTreeNode* added = child.get();
        node.FChildren.push_back(std::move(child));
        item.FData = added;
        if (OnNodeAdded)
            OnNodeAdded(*added);
        return;
    }
    const std::string head = path.substr(0, slash);
    const std::string rest = path.substr(slash + 1);
    const std::string key = consumed.empty() ? head : consumed + "/" + head;
    std::vector<THelpTreeNode*> nodes;
    CollectNodes(node, nodes);
    std::vector<THelpTreeNode*> parents;
    for (THelpTreeNode* n : nodes)
        if (n->FItem && n->FItem->FTreePath == key)
            parents.push_back(n);
    for (THelpTreeNode* parent : parents)
        PlaceUnder(*parent, item, rest, key);
}

THTMLHelpItem* THelpStore::FindPage(const std::string& link) const
{
    for (int i = 0; i < items_.Count(); ++i) {
        THTMLHelpItem* item = items_.Get(i);
        if (HelpLowerCase(item->FPageName) == link)
            return item;
    }
    return nullptr;
}

std::optional<std::string> THelpStore::ReadContent(const THTMLHelpItem& item) const
{
    try {
        TFileStream file(fileName_, TFileStream::Mode::Read);
        if (!ContentInside(item, file.Size()))
            return std::nullopt;
        std::string bytes(static_cast<size_t>(item.FSize), '\0');
        file.SetPosition(item.FOffset);
        if (file.Read(bytes.data(), item.FSize) != item.FSize)
            return std::nullopt;
        return bytes;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

std::string THelpStore::Substitute(const std::string& text) const
{
    if (FVariables.Count() == 0 || text.find("{{") == std::string::npos)
        return text;
    return ExpandTemplate(text, FVariables);
}

// --- whole files -----------------------------------------------------------------------------

std::string BuildHelpFile(const std::vector<THelpTopic>& topics)
{
    THTMLHelpItemList list;
    int64_t recordsSize = 0;
    for (const THelpTopic& topic : topics) {
        auto item = std::make_unique<THTMLHelpItem>();
        item->FID = topic.id;
        item->FName = topic.name;
        item->FTitle = topic.title;
        item->FPageName = topic.pageName;
        item->FTreePath = topic.treePath;
        item->FKind = topic.kind;
        recordsSize += item->GetStreamSize();
        list.Add(std::move(item));
    }
    int64_t offset = static_cast<int64_t>(THelpStore::HeaderSize) + recordsSize;
    for (size_t i = 0; i < topics.size(); ++i) {
        const int64_t size = static_cast<int64_t>(topics[i].content.size());
        if (offset + size > std::numeric_limits<int32_t>::max())
            throw Error("Help file too large");
        THTMLHelpItem* item = list.Get(static_cast<int>(i));
        item->FOffset = static_cast<int32_t>(offset);
        item->FSize = static_cast<int32_t>(size);
        offset += size;
    }
    if (topics.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max()))
        throw Error("Help file too large");

    std::string header(THelpStore::HeaderSize, '\0');
    std::memcpy(header.data(), HelpMagic, sizeof HelpMagic);
    PutInt32LE(header, 8, static_cast<int32_t>(topics.size()));
    TBytesWriteStream out;
    out.Reserve(offset);
    TStream& stream = out;
    stream.Write(header);
    list.SaveToStream(out);
    for (const THelpTopic& topic : topics)
        stream.Write(topic.content);
    return out.TakeBytes();
}

THelpFileContents ReadHelpFile(const std::string& bytes)
{
    THelpFileContents result;
    if (bytes.size() < THelpStore::HeaderSize) {
        result.error = "Error reading data from stream";
        return result;
    }
    const int32_t count = ReadInt32LE(bytes, 8);
    THTMLHelpItemList list;
    TBytesReadStream stream(bytes);
    stream.SetPosition(static_cast<int64_t>(THelpStore::HeaderSize));
    try {
        list.LoadFromStream(stream, count > 0 ? count : -1);
    } catch (const std::exception& e) {
        result.error = e.what();
    }
    for (int i = 0; i < list.Count(); ++i) {
        const THTMLHelpItem& item = *list.Get(i);
        if (!ContentInside(item, static_cast<int64_t>(bytes.size()))) {
            result.error = "Help topic contents outside the file";
            break;
        }
        THelpTopic topic;
        topic.id = item.FID;
        topic.name = item.FName;
        topic.title = item.FTitle;
        topic.pageName = item.FPageName;
        topic.treePath = item.FTreePath;
        topic.kind = item.FKind;
        topic.content = bytes.substr(static_cast<size_t>(item.FOffset), static_cast<size_t>(item.FSize));
        result.topics.push_back(std::move(topic));
    }
    return result;
}

} // namespace orlinda
