#pragma once
// Skins: named sets of colours and an optional style sheet that dress every window of the
// program. The built-in skins come with the program (resources/skins, their display names
// end in " (internal)"); more are read from the skins folder.
//
// A skin file (NAME.skin, UTF-8) is a small INI text:
//
//   ; comment
//   [Skin]
//   Name=Evening            display name; the file's base name when missing
//   [Colors]
//   Form=#2b2f36            windows and panels
//   FormText=#e3e6ea
//   Window=#353a42          lists, text boxes and HTML views (the skin's window colour)
//   WindowText=#e3e6ea
//   ListText=#e3e6ea        text of the lists and the HTML views
//   Accent=#7fb4ff          links and message texts (the skin's highlight colour)
//   Selection=#4a6fa5       selected rows, and their text SelectionText
//   Button, ButtonEnd, ButtonText, Header, HeaderEnd, Frame, ToolTip, ToolTipText
//   BaseColor=#2b2f36       the colour the status animations are painted in
//   HighlightFont=#ffffff   the second colour of the check boxes
//
// Missing colours are derived from the others. A NAME.qss beside the file is added to
// the style sheet that all skins share.
#include <QColor>
#include <QHash>
#include <QObject>
#include <QPalette>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace orlinda {

struct TSkin {
    QString name;        // display name
    bool internal = false;
    QString source;      // the resource or file it was read from
    QHash<QString, QColor> colours;  // as given in the file
    QString styleSheet;  // the skin's own addition, may be empty

    // The colour of that name, derived from the others when the file does not give it.
    QColor Colour(const QString& key) const;

    QColor WindowColour() const { return Colour(QStringLiteral("Window")); }
    QColor AccentColour() const { return Colour(QStringLiteral("Accent")); }
    QColor ListTextColour() const { return Colour(QStringLiteral("ListText")); }
    QColor BaseColour() const { return Colour(QStringLiteral("BaseColor")); }
    QColor HighlightFontColour() const { return Colour(QStringLiteral("HighlightFont")); }

    QPalette Palette() const;
    // The shared style sheet with "@Name@" replaced by the colours, then the skin's own.
    QString FullStyleSheet(const QString& common) const;
};

// Reads a skin file's text; nullopt (and the reason in error) when it holds no [Colors]
// section with at least one readable colour. Unreadable lines are skipped.
std::optional<TSkin> ParseSkin(const QByteArray& text, const QString& fallbackName, QString* error = nullptr);

// The colour of a list row: the window colour for even rows, each channel lowered by 15
// (at least 0) for odd rows.
QColor ListRowColour(const QColor& window, int row);

class TSkinManager : public QObject {
    Q_OBJECT
public:
    static TSkinManager& Instance();
    static constexpr char DefaultSkin[] = "Office2007 Blue (internal)";

    // Registers the built-in skins listed in the resource "SKIN_NAMES" ("resource=display
    // name" lines); a skin whose data cannot be read is left out. Called once; later calls
    // do nothing.
    void RegisterBuiltIns();
    // Reads the skins of the folder (*.skin), replacing those read from a folder before.
    // A folder skin whose name a built-in one already has is left out.
    void SetSkinsFolder(const QString& folder);
    const QString& SkinsFolder() const { return folder_; }

    // Built-in skins first, in their listed order, then the folder's, sorted by name.
    QStringList Names() const;
    const TSkin* Find(const QString& name) const;

    // Applies the skin of that name (the default one when there is none such): the
    // application's palette and style sheet, and the recolouring of the animation and
    // check-box images. Tells BeforeChange and AfterChange. Returns the name applied.
    QString Apply(const QString& name);
    const TSkin& Current() const;
    QString CurrentName() const { return Current().name; }

signals:
    void BeforeChange();
    void AfterChange(const QString& name);
    void SkinListChanged();

private:
    TSkinManager() = default;
    std::vector<TSkin> builtIn_;
    std::vector<TSkin> folderSkins_;
    QString folder_;
    QString current_;
    QString commonStyle_;
    bool registered_ = false;
};

} // namespace orlinda
