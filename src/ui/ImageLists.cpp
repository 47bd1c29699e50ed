#include "ui/ImageLists.h"

#include "ui/Skins.h"

#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <QSvgRenderer>

#include <algorithm>
#include <cmath>

// Outside any namespace, as Qt's resource initialiser needs.
static void InitOrlindaResourcesOnce()
{
    Q_INIT_RESOURCE(orlinda);
}

namespace orlinda {

void InitOrlindaResources()
{
    static const bool done = [] {
        InitOrlindaResourcesOnce();
        return true;
    }();
    (void)done;
}

namespace {

qreal ScreenRatio()
{
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return std::max<qreal>(1.0, app->devicePixelRatio());
    return 1.0;
}

int Clamp(int v)
{
    return std::clamp(v, 0, 255);
}

} // namespace

// --- TImageList ---------------------------------------------------------------------------------

TImageList::TImageList(QSize size, QObject* parent) : QObject(parent), size_(size) {}

QPixmap TImageList::Pixmap(int index) const
{
    if (index < 0 || index >= count_)
        return {};
    const auto i = static_cast<size_t>(index);
    if (!rendered_[i]) {
        rendered_[i] = true;
        if (render_)
            pixmaps_[i] = render_(index);
    }
    return pixmaps_[i];
}

QIcon TImageList::Icon(int index) const
{
    const QPixmap p = Pixmap(index);
    return p.isNull() ? QIcon() : QIcon(p);
}

void TImageList::Clear()
{
    SetPixmaps({});
}

void TImageList::Add(const QPixmap& pixmap)
{
    for (int i = 0; i < count_; ++i)
        Pixmap(i);  // the pictures before it stay as they are
    render_ = nullptr;
    pixmaps_.push_back(pixmap);
    rendered_.push_back(true);
    count_ = static_cast<int>(pixmaps_.size());
    emit Changed();
}

void TImageList::SetPixmaps(std::vector<QPixmap> pixmaps)
{
    render_ = nullptr;
    count_ = static_cast<int>(pixmaps.size());
    pixmaps_ = std::move(pixmaps);
    rendered_.assign(pixmaps_.size(), true);
    emit Changed();
}

void TImageList::SetRenderer(int count, TRenderer render)
{
    render_ = std::move(render);
    count_ = std::max(0, count);
    pixmaps_.assign(static_cast<size_t>(count_), QPixmap());
    rendered_.assign(static_cast<size_t>(count_), false);
    emit Changed();
}

namespace {

int CountResources(const QString& prefix)
{
    int n = 0;
    while (QFile::exists(QStringLiteral(":/img/%1%2").arg(prefix).arg(n)))
        ++n;
    return n;
}

} // namespace

int TImageList::LoadResources(const QString& prefix)
{
    InitOrlindaResources();
    const int n = CountResources(prefix);
    const QSize size = size_;
    SetRenderer(n, [prefix, size](int i) { return RenderSvg(QStringLiteral(":/img/%1%2").arg(prefix).arg(i), size); });
    return n;
}

// --- rendering -----------------------------------------------------------------------------------

QImage RenderSvgImage(const QString& path, QSize size)
{
    QSvgRenderer renderer(path);
    if (!renderer.isValid() || size.isEmpty())
        return {};
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
    painter.end();
    return image;
}

QPixmap RenderSvg(const QString& path, QSize size, qreal pixelRatio)
{
    const qreal ratio = pixelRatio > 0 ? pixelRatio : ScreenRatio();
    QImage image = RenderSvgImage(path, (QSizeF(size) * ratio).toSize());
    if (image.isNull())
        return {};
    QPixmap pixmap = QPixmap::fromImage(std::move(image));
    pixmap.setDevicePixelRatio(ratio);
    return pixmap;
}

// --- recolouring --------------------------------------------------------------------------------

QColor ShiftColour(const QColor& colour, int amount)
{
    return QColor(Clamp(colour.red() + amount), Clamp(colour.green() + amount), Clamp(colour.blue() + amount));
}

bool IsDarkColour(const QColor& colour)
{
    return 76 * colour.red() + 150 * colour.green() + 30 * colour.blue() < 100 * 256;
}

std::pair<QColor, QColor> AnimationColours(const QColor& base)
{
    if (IsDarkColour(base))
        return {ShiftColour(base, 40), base};
    return {base, ShiftColour(base, -40)};
}

QImage RecolourTemplate(const QImage& tile, const QColor& first, const QColor& second)
{
    QImage in = tile.convertToFormat(QImage::Format_ARGB32);
    QImage out(in.size(), QImage::Format_ARGB32);
    out.fill(Qt::transparent);
    constexpr int Grey = 0x80;
    constexpr int Silver = 0xC0;
    for (int y = 0; y < in.height(); ++y) {
        const auto* src = reinterpret_cast<const QRgb*>(in.constScanLine(y));
        auto* dst = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < in.width(); ++x) {
            const QRgb p = src[x];
            const int a = qAlpha(p);
            if (a == 0)
                continue;
            const int r = qRed(p), g = qGreen(p), b = qBlue(p);
            if (r == 255 && g == 0 && b == 255)
                continue;  // the transparent colour of bitmap templates
            // Only the greys between the two template colours carry paint; a little slack
            // absorbs the rounding of faint edge pixels.
            const int hi = std::max({r, g, b});
            const int lo = std::min({r, g, b});
            const int slack = a < 64 ? 24 : 6;
            if (hi - lo > slack)
                continue;
            const int level = (r + g + b) / 3;
            if (level < Grey - slack || level > Silver + slack)
                continue;
            const double t = std::clamp((level - Grey) / double(Silver - Grey), 0.0, 1.0);
            const int cr = static_cast<int>(std::lround(second.red() + (first.red() - second.red()) * t));
            const int cg = static_cast<int>(std::lround(second.green() + (first.green() - second.green()) * t));
            const int cb = static_cast<int>(std::lround(second.blue() + (first.blue() - second.blue()) * t));
            dst[x] = qRgba(cr, cg, cb, a);
        }
    }
    return out;
}

// --- the program's lists -------------------------------------------------------------------------

TImageLists& TImageLists::Instance()
{
    static TImageLists* lists = new TImageLists;  // lives as long as the process
    return *lists;
}

void TImageLists::Load()
{
    if (loaded_)
        return;
    InitOrlindaResources();
    loaded_ = true;
    Main.LoadResources(QStringLiteral("IMG_MAIN_"));
    Menu.LoadResources(QStringLiteral("IMG_MENU_"));
    Small.LoadResources(QStringLiteral("IMG_SMALL_"));
    anim_ = {QStringLiteral("IMG_ANIM_"), CountResources(QStringLiteral("IMG_ANIM_")), Anim.ImageSize(), {}};
    check_ = {QStringLiteral("IMG_CHECK_"), CountResources(QStringLiteral("IMG_CHECK_")), Check.ImageSize(), {}};
    const TSkin& skin = TSkinManager::Instance().Current();
    Recolour(skin.BaseColour(), skin.HighlightFontColour());
}

QImage TImageLists::Tile(const TTemplate& t, int index)
{
    if (index < 0 || index >= t.count)
        return {};
    if (t.tiles.empty())
        t.tiles.resize(static_cast<size_t>(t.count));
    QImage& tile = t.tiles[static_cast<size_t>(index)];
    if (tile.isNull()) {
        const qreal ratio = ScreenRatio();
        tile = RenderSvgImage(QStringLiteral(":/img/%1%2").arg(t.prefix).arg(index), (QSizeF(t.size) * ratio).toSize());
        tile.setDevicePixelRatio(ratio);
    }
    return tile;
}

void TImageLists::Recolour(const QColor& base, const QColor& highlightFont)
{
    const auto [first, second] = AnimationColours(base);
    auto painter = [](const TTemplate* t, QColor a, QColor b) {
        return [t, a, b](int i) {
            const QImage tile = Tile(*t, i);
            if (tile.isNull())
                return QPixmap();
            QPixmap p = QPixmap::fromImage(RecolourTemplate(tile, a, b));
            p.setDevicePixelRatio(tile.devicePixelRatio());
            return p;
        };
    };
    Anim.SetRenderer(anim_.count, painter(&anim_, first, second));
    Check.SetRenderer(check_.count, painter(&check_, first, highlightFont));
}

QPixmap DialogIcon(int kind)
{
    InitOrlindaResources();
    const char* name = "DLG_INFO";
    switch (kind) {
    case 0: name = "DLG_WARNING"; break;
    case 1: name = "DLG_ERROR"; break;
    case 3: name = "DLG_CONFIRM"; break;
    default: break;
    }
    return RenderSvg(QStringLiteral(":/img/") + QLatin1String(name), QSize(48, 48));
}

QIcon TrayIcon(bool dialogOpen)
{
    InitOrlindaResources();
    const QString path = dialogOpen ? QStringLiteral(":/img/TRAY_DIALOG") : QStringLiteral(":/img/TRAY_NORMAL");
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64})
        icon.addPixmap(RenderSvg(path, QSize(size, size), 1.0));
    return icon;
}

QIcon ProgramIcon()
{
    InitOrlindaResources();
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(RenderSvg(QStringLiteral(":/img/ORLINDA"), QSize(size, size), 1.0));
    return icon;
}

} // namespace orlinda
