#include "ui/Skins.h"

#include "ui/ImageLists.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStyle>
#include <QStyleFactory>

#include <algorithm>

namespace orlinda {

namespace {

QColor Literal(const char* text)
{
    return QColor(QString::fromLatin1(text));
}

QByteArray ReadFileBytes(const QString& path, bool* ok)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *ok = false;
        return {};
    }
    *ok = true;
    return file.readAll();
}

const TSkin& FallbackSkin()
{
    static const TSkin skin = [] {
        TSkin s;
        s.name = QString::fromLatin1(TSkinManager::DefaultSkin);
        s.internal = true;
        return s;
    }();
    return skin;
}

} // namespace

QColor TSkin::Colour(const QString& key) const
{
    if (auto it = colours.constFind(key); it != colours.constEnd())
        return *it;
    auto from = [this](const char* other) { return Colour(QString::fromLatin1(other)); };
    const QByteArray k = key.toLatin1();
    if (k == "Form") return Literal("#dfe9f5");
    if (k == "FormText") return colours.contains(QStringLiteral("WindowText")) ? from("WindowText") : Literal("#000000");
    if (k == "Window") return Literal("#ffffff");
    if (k == "WindowText") return Literal("#000000");
    if (k == "ListText") return from("WindowText");
    if (k == "Accent") return Literal("#1d5aa6");
    if (k == "Selection") return from("Accent");
    if (k == "SelectionText") return IsDarkColour(from("Selection")) ? Literal("#ffffff") : Literal("#000000");
    if (k == "Button") return from("Form");
    if (k == "ButtonEnd") return from("Button");
    if (k == "ButtonText") return from("FormText");
    if (k == "Header") return from("Button");
    if (k == "HeaderEnd") return from("ButtonEnd");
    if (k == "Frame") return ShiftColour(from("Form"), IsDarkColour(from("Form")) ? -30 : -60);
    if (k == "BaseColor") return from("Form");
    if (k == "HighlightFont") return from("Accent");
    if (k == "ToolTip") return from("Window");
    if (k == "ToolTipText") return from("WindowText");
    return Literal("#000000");
}

QPalette TSkin::Palette() const
{
    QPalette p;
    auto set = [&p](QPalette::ColorRole role, const QColor& c) { p.setColor(QPalette::All, role, c); };
    const QColor form = Colour(QStringLiteral("Form"));
    const QColor window = WindowColour();
    set(QPalette::Window, form);
    set(QPalette::WindowText, Colour(QStringLiteral("FormText")));
    set(QPalette::Base, window);
    set(QPalette::AlternateBase, ListRowColour(window, 1));
    set(QPalette::Text, Colour(QStringLiteral("WindowText")));
    set(QPalette::Button, Colour(QStringLiteral("Button")));
    set(QPalette::ButtonText, Colour(QStringLiteral("ButtonText")));
    set(QPalette::Highlight, Colour(QStringLiteral("Selection")));
    set(QPalette::HighlightedText, Colour(QStringLiteral("SelectionText")));
    set(QPalette::Link, AccentColour());
    set(QPalette::LinkVisited, AccentColour());
    set(QPalette::ToolTipBase, Colour(QStringLiteral("ToolTip")));
    set(QPalette::ToolTipText, Colour(QStringLiteral("ToolTipText")));
    set(QPalette::BrightText, Literal("#ffffff"));
    const QColor frame = Colour(QStringLiteral("Frame"));
    set(QPalette::Light, ShiftColour(form, 40));
    set(QPalette::Midlight, ShiftColour(form, 20));
    set(QPalette::Mid, frame);
    set(QPalette::Dark, ShiftColour(frame, -30));
    set(QPalette::Shadow, ShiftColour(frame, -60));
    QColor placeholder = Colour(QStringLiteral("WindowText"));
    placeholder.setAlpha(128);
    set(QPalette::PlaceholderText, placeholder);
    const QColor disabled = frame;
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(QPalette::Disabled, role, disabled);
    return p;
}

QString TSkin::FullStyleSheet(const QString& common) const
{
    static const QRegularExpression placeholder(QStringLiteral("@([A-Za-z]+)@"));
    QString out;
    out.reserve(common.size() + styleSheet.size() + 64);
    qsizetype last = 0;
    for (auto it = placeholder.globalMatch(common); it.hasNext();) {
        const auto m = it.next();
        out += common.mid(last, m.capturedStart() - last);
        out += Colour(m.captured(1)).name();
        last = m.capturedEnd();
    }
    out += common.mid(last);
    if (!styleSheet.isEmpty())
        out += QLatin1Char('\n') + styleSheet;
    return out;
}

std::optional<TSkin> ParseSkin(const QByteArray& text, const QString& fallbackName, QString* error)
{
    TSkin skin;
    QString section;
    bool haveColours = false;
    const QStringList lines = QString::fromUtf8(text).split(QRegularExpression(QStringLiteral("\r\n|\r|\n")));
    for (QString line : lines) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')) || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            section = line.mid(1, line.size() - 2).trimmed().toLower();
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq <= 0)
            continue;
        const QString key = line.left(eq).trimmed();
        const QString value = line.mid(eq + 1).trimmed();
        if (section == QLatin1String("skin") && key.compare(QLatin1String("Name"), Qt::CaseInsensitive) == 0) {
            skin.name = value;
        } else if (section == QLatin1String("colors") || section == QLatin1String("colours")) {
            const QColor c(value);
            if (c.isValid()) {
                skin.colours.insert(key, c);
                haveColours = true;
            }
        }
    }
    if (!haveColours) {
        if (error)
            *error = QStringLiteral("no [Colors] section with a readable colour");
        return std::nullopt;
    }
    if (skin.name.isEmpty())
        skin.name = fallbackName;
    return skin;
}

QColor ListRowColour(const QColor& window, int row)
{
    if (row % 2 == 0)
        return window;
    return QColor(std::max(0, window.red() - 15), std::max(0, window.green() - 15), std::max(0, window.blue() - 15));
}

// --- TSkinManager ---------------------------------------------------------------------------------

TSkinManager& TSkinManager::Instance()
{
    static TSkinManager* manager = new TSkinManager;  // lives as long as the process
    return *manager;
}

void TSkinManager::RegisterBuiltIns()
{
    if (registered_)
        return;
    registered_ = true;
    InitOrlindaResources();
    bool ok = false;
    commonStyle_ = QString::fromUtf8(ReadFileBytes(QStringLiteral(":/skins/common.qss"), &ok));
    const QByteArray names = ReadFileBytes(QStringLiteral(":/skins/SKIN_NAMES"), &ok);
    for (QString line : QString::fromUtf8(names).split(QLatin1Char('\n'))) {
        line = line.trimmed();
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq <= 0)
            continue;
        const QString resource = line.left(eq).trimmed();
        const QString display = line.mid(eq + 1).trimmed();
        const QString path = QStringLiteral(":/skins/") + resource + QStringLiteral(".skin");
        bool read = false;
        const QByteArray data = ReadFileBytes(path, &read);
        if (!read || display.isEmpty())
            continue;
        auto skin = ParseSkin(data, display);
        if (!skin)
            continue;  // a broken built-in skin is dropped
        skin->name = display;
        skin->internal = true;
        skin->source = path;
        bool haveStyle = false;
        skin->styleSheet = QString::fromUtf8(ReadFileBytes(QStringLiteral(":/skins/") + resource + QStringLiteral(".qss"), &haveStyle));
        builtIn_.push_back(std::move(*skin));
    }
    emit SkinListChanged();
}

void TSkinManager::SetSkinsFolder(const QString& folder)
{
    folder_ = folder;
    folderSkins_.clear();
    if (!folder.isEmpty()) {
        const QDir dir(folder);
        const QFileInfoList files = dir.entryInfoList({QStringLiteral("*.skin")}, QDir::Files | QDir::Readable, QDir::Name);
        for (const QFileInfo& info : files) {
            bool ok = false;
            const QByteArray data = ReadFileBytes(info.absoluteFilePath(), &ok);
            if (!ok)
                continue;
            auto skin = ParseSkin(data, info.completeBaseName());
            if (!skin)
                continue;
            bool clash = false;
            for (const TSkin& b : builtIn_)
                clash = clash || b.name.compare(skin->name, Qt::CaseInsensitive) == 0;
            for (const TSkin& f : folderSkins_)
                clash = clash || f.name.compare(skin->name, Qt::CaseInsensitive) == 0;
            if (clash)
                continue;
            skin->source = info.absoluteFilePath();
            bool haveStyle = false;
            skin->styleSheet = QString::fromUtf8(
                ReadFileBytes(info.absolutePath() + QLatin1Char('/') + info.completeBaseName() + QStringLiteral(".qss"), &haveStyle));
            folderSkins_.push_back(std::move(*skin));
        }
        std::sort(folderSkins_.begin(), folderSkins_.end(),
                  [](const TSkin& a, const TSkin& b) { return a.name.localeAwareCompare(b.name) < 0; });
    }
    emit SkinListChanged();
}

QStringList TSkinManager::Names() const
{
    QStringList names;
    for (const TSkin& s : builtIn_)
        names << s.name;
    for (const TSkin& s : folderSkins_)
        names << s.name;
    return names;
}

const TSkin* TSkinManager::Find(const QString& name) const
{
    for (const TSkin& s : builtIn_)
        if (s.name == name)
            return &s;
    for (const TSkin& s : folderSkins_)
        if (s.name == name)
            return &s;
    return nullptr;
}

const TSkin& TSkinManager::Current() const
{
    if (const TSkin* s = Find(current_))
        return *s;
    if (const TSkin* s = Find(QString::fromLatin1(DefaultSkin)))
        return *s;
    return FallbackSkin();
}

QString TSkinManager::Apply(const QString& name)
{
    RegisterBuiltIns();
    const TSkin* skin = Find(name);
    if (!skin)
        skin = Find(QString::fromLatin1(DefaultSkin));
    if (!skin)
        skin = &FallbackSkin();
    emit BeforeChange();
    current_ = skin->name;
    if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance())) {
        // One style everywhere, so the palettes look the same on every desktop.
        if (app->style()->name().compare(QLatin1String("fusion"), Qt::CaseInsensitive) != 0)
            if (QStyle* fusion = QStyleFactory::create(QStringLiteral("Fusion")))
                QApplication::setStyle(fusion);
        QApplication::setPalette(skin->Palette());
        app->setStyleSheet(skin->FullStyleSheet(commonStyle_));
    }
    TImageLists& lists = TImageLists::Instance();
    if (lists.Loaded())
        lists.Recolour(skin->BaseColour(), skin->HighlightFontColour());
    emit AfterChange(current_);
    return current_;
}

} // namespace orlinda
