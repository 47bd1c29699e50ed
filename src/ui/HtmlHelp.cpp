#include "ui/HtmlHelp.h"

#include "core/Clock.h"
#include "core/Unicode.h"
#include "core/Windows1251.h"
#include "ui/HtmlView.h"
#include "ui/ImageIndex.h"
#include "ui/ImageLists.h"

#include <QByteArray>
#include <QImage>
#include <QKeyEvent>
#include <QPainter>
#include <QSvgRenderer>
#include <QTextDocument>
#include <QTreeWidget>

#include <algorithm>
#include <exception>
#include <regex>

namespace orlinda {

namespace {

constexpr int NodeRole = Qt::UserRole + 1;

bool IsValidUtf8(const std::string& s)
{
    size_t i = 0;
    const size_t n = s.size();
    while (i < n) {
        const auto c = static_cast<unsigned char>(s[i]);
        size_t len = 0;
        uint32_t cp = 0;
        if (c < 0x80) {
            ++i;
            continue;
        } else if ((c & 0xE0) == 0xC0) {
            len = 2;
            cp = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            len = 3;
            cp = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            len = 4;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (i + len > n)
            return false;
        for (size_t k = 1; k < len; ++k) {
            const auto cc = static_cast<unsigned char>(s[i + k]);
            if ((cc & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (cc & 0x3F);
        }
        if ((len == 2 && cp < 0x80) || (len == 3 && cp < 0x800) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)) ||
            (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += len;
    }
    return true;
}

// The page's text as UTF-8: what the page declares, else UTF-8 when it is valid UTF-8,
// else Windows-1251 (the code page of older help files).
std::string PageAsUtf8(const std::string& bytes)
{
    std::string head = HelpLowerCase(bytes.substr(0, 2048));
    const size_t at = head.find("charset=");
    if (at != std::string::npos) {
        size_t b = at + 8;
        while (b < head.size() && (head[b] == '"' || head[b] == '\'' || head[b] == ' '))
            ++b;
        const std::string value = head.substr(b, 12);
        if (value.rfind("windows-1251", 0) == 0 || value.rfind("cp1251", 0) == 0)
            return Cp1251ToUtf8(bytes);
        if (value.rfind("utf-8", 0) == 0 || value.rfind("utf8", 0) == 0)
            return bytes;
    }
    return IsValidUtf8(bytes) ? bytes : Cp1251ToUtf8(bytes);
}

std::string ToAnsi(const QString& text)
{
    return Utf16ToCp1251(text.toStdU16String());
}

bool LooksLikeSvg(const QString& name, const std::string& bytes)
{
    if (name.endsWith(QLatin1String(".svg"), Qt::CaseInsensitive))
        return true;
    const std::string head = bytes.substr(0, 256);
    return head.find("<svg") != std::string::npos;
}

// The value of an attribute in a tag's text ("" when missing).
std::string Attribute(const std::string& tag, const std::string& name)
{
    const std::regex re("\\b" + name + "\\s*=\\s*(\"([^\"]*)\"|'([^']*)'|([^\\s>]+))", std::regex::icase);
    std::smatch m;
    if (!std::regex_search(tag, m, re))
        return {};
    for (int i = 2; i <= 4; ++i)
        if (m[i].matched)
            return m[i].str();
    return {};
}

} // namespace

// The view lays out <style> blocks but does not fetch linked style sheets: the sheets a
// page links to are put into the page from the help file.
std::string THTMLHelp::InlineStyleSheets(const std::string& html) const
{
    static const std::regex link("<link\\b[^>]*>", std::regex::icase);
    std::string out;
    auto last = html.cbegin();
    for (auto it = std::sregex_iterator(html.begin(), html.end(), link); it != std::sregex_iterator(); ++it) {
        const std::string tag = it->str();
        std::string replacement = tag;
        if (HelpLowerCase(Attribute(tag, "rel")) == "stylesheet") {
            const THTMLHelpItem* sheet = store_.FindPage(Attribute(tag, "href"));
            const std::optional<std::string> css = sheet ? store_.ReadContent(*sheet) : std::nullopt;
            replacement = css ? "<style type=\"text/css\">" + PageAsUtf8(*css) + "</style>" : std::string();
        }
        out.append(last, html.cbegin() + it->position());
        out += replacement;
        last = html.cbegin() + it->position() + it->length();
    }
    out.append(last, html.cend());
    return out;
}

THTMLHelp::THTMLHelp(QObject* parent) : QObject(parent)
{
    store_.OnNodeAdded = [this](THelpTreeNode& node) { OnNodeAdded(node); };
    store_.OnCleared = [this] { OnCleared(); };
}

THTMLHelp::~THTMLHelp()
{
    store_.OnNodeAdded = nullptr;
    store_.OnCleared = nullptr;
    if (view_) {
        view_->SetResourceHandler({});
        disconnect(view_, nullptr, this, nullptr);
    }
    if (tree_) {
        disconnect(tree_, nullptr, this, nullptr);
        tree_->removeEventFilter(this);
        tree_->clear();  // its items point at nodes that go with the store
    }
}

void THTMLHelp::BindView(THTMLView* view)
{
    if (view_) {
        view_->SetResourceHandler({});
        disconnect(view_, nullptr, this, nullptr);
    }
    view_ = view;
    if (!view)
        return;
    view->setOpenLinks(false);
    view->clearHistory();
    view->SetResourceHandler([this](int type, const QUrl& name) { return Resource(type, name); });
    connect(view, &QTextBrowser::anchorClicked, this, &THTMLHelp::OnAnchor);
}

void THTMLHelp::BindTree(QTreeWidget* tree)
{
    if (tree_) {
        disconnect(tree_, nullptr, this, nullptr);
        tree_->removeEventFilter(this);
    }
    tree_ = tree;
    if (!tree)
        return;
    tree->setHeaderHidden(true);
    tree->setColumnCount(1);
    tree->setRootIsDecorated(true);
    tree->setStyleSheet(tree->styleSheet() + QStringLiteral("QTreeView::branch { border-image: none; }"));
    tree->setSelectionMode(QAbstractItemView::SingleSelection);
    tree->installEventFilter(this);
    connect(tree, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current, QTreeWidgetItem*) { OnCurrentChanged(current); });
    connect(tree, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* item) { UpdateIcon(item); });
    connect(tree, &QTreeWidget::itemCollapsed, this, [this](QTreeWidgetItem* item) { UpdateIcon(item); });
}

int THTMLHelp::Load(const QString& fileName)
{
    loading_ = true;
    if (tree_)
        tree_->setUpdatesEnabled(false);
    const int status = store_.Load(fileName.toStdString());
    if (tree_)
        tree_->setUpdatesEnabled(true);
    loading_ = false;
    return status;
}

void THTMLHelp::SetVariables(const std::map<std::string, std::u16string>& values)
{
    store_.FVariables.Clear();
    for (const auto& [name, value] : values)
        store_.FVariables.SetValue(name, Utf16ToUtf8(value));
}

void THTMLHelp::OnCleared()
{
    shown_ = nullptr;
    items_.clear();
    if (tree_) {
        const bool wasLoading = loading_;
        loading_ = true;
        tree_->clear();
        loading_ = wasLoading;
    }
}

void THTMLHelp::OnNodeAdded(THelpTreeNode& node)
{
    if (!tree_ || !node.FItem)
        return;
    QTreeWidgetItem* parent = node.FParent ? items_.value(node.FParent, nullptr) : nullptr;
    auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(tree_);
    const QString title = QString::fromStdU16String(node.FItem->FTitle);
    item->setText(0, title);
    item->setToolTip(0, title);
    item->setData(0, NodeRole, QVariant::fromValue(reinterpret_cast<quintptr>(&node)));
    items_.insert(&node, item);
    UpdateIcon(item);
    if (parent)
        UpdateIcon(parent);
}

void THTMLHelp::UpdateIcon(QTreeWidgetItem* item) const
{
    const TImageList& small = TImageLists::Instance().Small;
    int index = img::SmallPage;
    if (item->childCount() > 0)
        index = item->isExpanded() ? img::SmallTopicOpen : img::SmallTopicClosed;
    item->setIcon(0, small.Icon(index));
}

QTreeWidgetItem* THTMLHelp::ItemOf(const THTMLHelpItem* topic) const
{
    if (!topic || !topic->Node())
        return nullptr;
    return items_.value(topic->Node(), nullptr);
}

THTMLHelpItem* THTMLHelp::TopicOf(const QTreeWidgetItem* item) const
{
    if (!item)
        return nullptr;
    const auto* node = reinterpret_cast<const THelpTreeNode*>(item->data(0, NodeRole).value<quintptr>());
    return node ? node->FItem : nullptr;
}

void THTMLHelp::OnCurrentChanged(QTreeWidgetItem* current)
{
    if (navigating_ || loading_ || !current)
        return;
    if (THTMLHelpItem* topic = TopicOf(current))
        ShowTopic(*topic);
}

QString THTMLHelp::PageHtml(const THTMLHelpItem& topic) const
{
    const std::optional<std::string> bytes = store_.ReadContent(topic);
    if (!bytes)
        return {};
    const std::string text = store_.Substitute(InlineStyleSheets(PageAsUtf8(*bytes)));
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

void THTMLHelp::ShowTopic(const THTMLHelpItem& topic)
{
    shown_ = &topic;
    if (view_)
        view_->ShowHtml(PageHtml(topic));
}

void THTMLHelp::FocusItem(QTreeWidgetItem* item)
{
    if (!tree_ || !item)
        return;
    for (QTreeWidgetItem* p = item->parent(); p; p = p->parent())
        p->setExpanded(true);
    tree_->setCurrentItem(item);
    tree_->clearSelection();
    item->setSelected(true);
    tree_->scrollToItem(item);
}

bool THTMLHelp::AskBeforeShow(const QString& page) const
{
    if (!OnBeforeShow)
        return true;
    try {
        return OnBeforeShow(page);
    } catch (...) {
        return true;
    }
}

void THTMLHelp::TellNotFound(const QString& page) const
{
    if (!OnNotFound)
        return;
    try {
        OnNotFound(page);
    } catch (...) {
    }
}

void THTMLHelp::OnAnchor(const QUrl& url)
{
    const QString target = url.toString();
    if (target.startsWith(QLatin1Char('#'))) {
        // A place on the same page.
        if (view_)
            view_->scrollToAnchor(target.mid(1));
        return;
    }
    THTMLHelpItem* topic = store_.FindPage(ToAnsi(target));
    QString fragment;
    if (!topic && target.contains(QLatin1Char('#')) && url.scheme().isEmpty()) {
        const qsizetype hash = target.indexOf(QLatin1Char('#'));
        topic = store_.FindPage(ToAnsi(target.left(hash)));
        if (topic)
            fragment = target.mid(hash + 1);
    }
    if (!topic) {
        TellNotFound(target);
        return;
    }
    const QString page = fragment.isEmpty() ? target : target.left(target.indexOf(QLatin1Char('#')));
    if (!AskBeforeShow(page))
        return;
    navigating_ = true;
    FocusItem(ItemOf(topic));
    navigating_ = false;
    ShowTopic(*topic);
    if (!fragment.isEmpty() && view_)
        view_->scrollToAnchor(fragment);
}

int THTMLHelp::ShowPage(const QString& pageName)
{
    THTMLHelpItem* topic = store_.FindPage(ToAnsi(pageName));
    if (!topic) {
        TellNotFound(pageName);
        return NotFound;
    }
    if (!AskBeforeShow(pageName))
        return Refused;
    QTreeWidgetItem* item = ItemOf(topic);
    if (item && tree_ && tree_->currentItem() != item) {
        FocusItem(item);  // the focus change shows the page
        if (shown_ != topic)
            ShowTopic(*topic);
    } else {
        // Already focused, or a topic outside the tree: the page is shown all the same.
        if (item)
            FocusItem(item);
        ShowTopic(*topic);
    }
    return Shown;
}

void THTMLHelp::FocusFirstTopicIfNone()
{
    if (!tree_ || tree_->currentItem() || tree_->topLevelItemCount() == 0)
        return;
    FocusItem(tree_->topLevelItem(0));
}

void THTMLHelp::ReShowFocused()
{
    if (tree_ && tree_->currentItem()) {
        if (THTMLHelpItem* topic = TopicOf(tree_->currentItem()))
            ShowTopic(*topic);
    } else if (shown_) {
        ShowTopic(*shown_);
    }
}

QVariant THTMLHelp::Resource(int type, const QUrl& name) const
{
    const QString target = name.toString();
    const THTMLHelpItem* topic = store_.FindPage(ToAnsi(target));
    if (!topic)
        return {};
    if (type == QTextDocument::HtmlResource)
        return PageHtml(*topic);
    const std::optional<std::string> bytes = store_.ReadContent(*topic);
    if (!bytes)
        return {};
    const QByteArray data(bytes->data(), static_cast<qsizetype>(bytes->size()));
    if (type == QTextDocument::ImageResource) {
        if (LooksLikeSvg(target, *bytes)) {
            QSvgRenderer renderer(data);
            if (!renderer.isValid())
                return {};
            QSize size = renderer.defaultSize();
            if (size.isEmpty())
                size = QSize(64, 64);
            QImage image(size, QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::transparent);
            QPainter painter(&image);
            renderer.render(&painter);
            painter.end();
            return image;
        }
        QImage image = QImage::fromData(data);
        return image.isNull() ? QVariant() : QVariant(image);
    }
    if (type == QTextDocument::StyleSheetResource)
        return QString::fromUtf8(PageAsUtf8(*bytes).c_str());
    return data;
}

bool THTMLHelp::IsTypeAheadChar(QChar ch)
{
    const char16_t c = ch.unicode();
    return c == u' ' || c == u'-' || c == u'.' || c == u'_' || (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') ||
           (c >= u'A' && c <= u'Z') || (c >= 0x0410 && c <= 0x044F);
}

bool THTMLHelp::TypeAhead(QChar ch)
{
    if (!IsTypeAheadChar(ch))
        return false;
    const uint32_t now = TickCount();
    if (now - lastKey_ > TypeAheadResetMs)
        typeAhead_.clear();
    lastKey_ = now;
    typeAhead_ += ch.toLower();
    if (!tree_)
        return true;
    // The visible topics from the top: children only of expanded topics.
    std::function<QTreeWidgetItem*(QTreeWidgetItem*)> search = [&](QTreeWidgetItem* item) -> QTreeWidgetItem* {
        if (item->isHidden())
            return nullptr;
        if (item->text(0).toLower().contains(typeAhead_))
            return item;
        if (item->isExpanded())
            for (int i = 0; i < item->childCount(); ++i)
                if (QTreeWidgetItem* found = search(item->child(i)))
                    return found;
        return nullptr;
    };
    for (int i = 0; i < tree_->topLevelItemCount(); ++i) {
        if (QTreeWidgetItem* found = search(tree_->topLevelItem(i))) {
            tree_->setCurrentItem(found);
            tree_->clearSelection();
            found->setSelected(true);
            tree_->scrollToItem(found);
            break;
        }
    }
    return true;
}

bool THTMLHelp::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == tree_ && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const QString text = key->text();
        if (text.size() == 1 && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) && TypeAhead(text[0]))
            return true;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace orlinda
