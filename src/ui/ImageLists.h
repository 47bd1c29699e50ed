#pragma once
// The program's pictures: image lists filled from the resources (resources/orlinda.qrc),
// the dialog, tray and program icons, and the recolouring of the two template lists
// (status animations and check boxes) in the colours of the skin.
#include <QColor>
#include <QIcon>
#include <QImage>
#include <QObject>
#include <QPixmap>
#include <QSize>
#include <QString>

#include <functional>
#include <utility>
#include <vector>

namespace orlinda {

// Makes the compiled-in resources available (safe to call more than once).
void InitOrlindaResources();

// A list of equally sized pictures addressed by position. Pictures drawn from the
// resources are rendered when first asked for, so that start-up pays only for what is
// shown.
class TImageList : public QObject {
    Q_OBJECT
public:
    using TRenderer = std::function<QPixmap(int index)>;

    explicit TImageList(QSize size = QSize(16, 16), QObject* parent = nullptr);

    QSize ImageSize() const { return size_; }
    int Count() const { return count_; }
    // The picture at index; a null pixmap outside the list.
    QPixmap Pixmap(int index) const;
    QIcon Icon(int index) const;

    void Clear();
    void Add(const QPixmap& pixmap);
    // Replaces all pictures at once and tells Changed.
    void SetPixmaps(std::vector<QPixmap> pixmaps);
    // count pictures that render draws on demand (each once); tells Changed.
    void SetRenderer(int count, TRenderer render);
    // Fills the list from the resources ":/img/<prefix>0", "<prefix>1", ... in numeric
    // order, stopping at the first missing one. Returns the number found.
    int LoadResources(const QString& prefix);

signals:
    void Changed();

private:
    QSize size_;
    int count_ = 0;
    TRenderer render_;
    mutable std::vector<QPixmap> pixmaps_;
    mutable std::vector<bool> rendered_;
};

// Renders an SVG (resource or file) at the given size in logical pixels, for the screen's
// pixel ratio; a null pixmap when it cannot be read.
QPixmap RenderSvg(const QString& path, QSize size, qreal pixelRatio = 0);
// The same into a plain image of exactly that many pixels, transparent around the drawing.
QImage RenderSvgImage(const QString& path, QSize size);

// --- recolouring -------------------------------------------------------------------------------
// A channel-wise shift, each channel clamped to 0..255.
QColor ShiftColour(const QColor& colour, int amount);
// 76·R + 150·G + 30·B < 100·256.
bool IsDarkColour(const QColor& colour);
// The pair of the status animations for the skin's base colour c: (c lightened by 40, c)
// when c is dark, otherwise (c, c darkened by 40).
std::pair<QColor, QColor> AnimationColours(const QColor& base);
// A template tile painted anew: silver (#c0c0c0) becomes first, grey (#808080) second,
// shades between them shades between the two colours; magenta (#ff00ff) and every other
// colour become transparent. The tile's own transparency is kept.
QImage RecolourTemplate(const QImage& tile, const QColor& first, const QColor& second);

// --- the lists of the program ------------------------------------------------------------------
class TImageLists : public QObject {
    Q_OBJECT
public:
    static TImageLists& Instance();

    // Fills every list from the resources (once; later calls do nothing).
    void Load();
    bool Loaded() const { return loaded_; }

    // Paints the animation and check-box lists from their templates: the animation in
    // AnimationColours(base), the check boxes in (its first colour, highlightFont).
    void Recolour(const QColor& base, const QColor& highlightFont);

    TImageList Main{QSize(24, 24)};   // "IMG_MAIN_*", 57 pictures (ui/ImageIndex.h)
    TImageList Menu{QSize(24, 24)};   // "IMG_MENU_*", the frame bar
    TImageList Small{QSize(16, 16)};  // "IMG_SMALL_*", the help tree and small buttons
    TImageList Anim{QSize(16, 16)};   // recoloured "IMG_ANIM_*"
    TImageList Check{QSize(16, 16)};  // recoloured "IMG_CHECK_*"

    // A tile of a template list as drawn (silver and grey); a null image outside it.
    QImage AnimTemplate(int index) const { return Tile(anim_, index); }
    QImage CheckTemplate(int index) const { return Tile(check_, index); }

private:
    struct TTemplate {
        QString prefix;
        int count = 0;
        QSize size;
        mutable std::vector<QImage> tiles;  // rendered on first use
    };
    TImageLists() = default;
    static QImage Tile(const TTemplate& t, int index);
    bool loaded_ = false;
    TTemplate anim_;
    TTemplate check_;
};

// The 48 px icon of a message dialog: kind 0 warning, 1 error, 3 confirmation, any other
// information.
QPixmap DialogIcon(int kind);
// The tray icon: normal, or the one shown while an editor or the chooser is open.
QIcon TrayIcon(bool dialogOpen);
QIcon ProgramIcon();

} // namespace orlinda
